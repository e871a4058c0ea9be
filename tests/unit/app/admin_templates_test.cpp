// The administrative templates as Group Policy reads them: parsed by a real XML parser and
// checked against the catalog the program reads its settings by.
#include <expat.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/setting_catalog.h"
#include "common/managed_settings.h"
#include "tools/admx/admx.h"

namespace corvane {
namespace {

constexpr const char* kPolicyNamespace =
    "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions";

struct Node {
    std::string name;  // "namespace|local" for a namespaced element
    std::map<std::string, std::string> attributes;
    std::vector<std::unique_ptr<Node>> children;
    std::string text;
    Node* parent = nullptr;

    const Node* Child(const std::string& local) const {
        for (const auto& child : children) {
            if (child->Local() == local) {
                return child.get();
            }
        }
        return nullptr;
    }
    std::vector<const Node*> All(const std::string& local) const {
        std::vector<const Node*> found;
        for (const auto& child : children) {
            if (child->Local() == local) {
                found.push_back(child.get());
            }
            for (const Node* below : child->All(local)) {
                found.push_back(below);
            }
        }
        return found;
    }
    std::string Local() const { return name.substr(name.find('|') + 1); }
    std::string Attribute(const std::string& key) const {
        const auto it = attributes.find(key);
        return it == attributes.end() ? std::string() : it->second;
    }
};

// The document, or null with the parser's message when it is not well-formed XML.
std::unique_ptr<Node> Parse(const std::string& xml, std::string& error) {
    auto root = std::make_unique<Node>();
    Node* current = root.get();
    XML_Parser parser = XML_ParserCreateNS("UTF-8", '|');
    XML_SetUserData(parser, &current);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            Node*& at = *static_cast<Node**>(data);
            auto node = std::make_unique<Node>();
            node->name = name;
            node->parent = at;
            for (int i = 0; attributes[i] != nullptr; i += 2) {
                node->attributes[attributes[i]] = attributes[i + 1];
            }
            at->children.push_back(std::move(node));
            at = at->children.back().get();
        },
        [](void* data, const XML_Char*) {
            Node*& at = *static_cast<Node**>(data);
            at = at->parent;
        });
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int length) {
        (*static_cast<Node**>(data))->text.append(text, static_cast<size_t>(length));
    });
    const bool parsed =
        XML_Parse(parser, xml.data(), static_cast<int>(xml.size()), XML_TRUE) == XML_STATUS_OK;
    if (!parsed) {
        error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    return parsed && root->children.size() == 1 ? std::move(root->children.front()) : nullptr;
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

class AdminTemplates : public testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        admx = Parse(ReadFile(std::string(CORVANE_DEFINITIONS) + "/Corvane.admx"), error);
        ASSERT_NE(admx, nullptr) << "Corvane.admx: " << error;
        adml = Parse(ReadFile(std::string(CORVANE_DEFINITIONS) + "/en-US/Corvane.adml"), error);
        ASSERT_NE(adml, nullptr) << "Corvane.adml: " << error;
        for (const Node* string : adml->All("string")) {
            strings[string->Attribute("id")] = string->text;
        }
        for (const Node* presentation : adml->All("presentation")) {
            presentations[presentation->Attribute("id")] = presentation;
        }
    }
    std::unique_ptr<Node> admx;
    std::unique_ptr<Node> adml;
    std::map<std::string, std::string> strings;
    std::map<std::string, const Node*> presentations;
};

TEST_F(AdminTemplates, TheFilesAreWhatGroupPolicyExpects) {
    EXPECT_EQ(admx->name, std::string(kPolicyNamespace) + "|policyDefinitions");
    EXPECT_EQ(adml->name, std::string(kPolicyNamespace) + "|policyDefinitionResources");
    for (const Node* file : {admx.get(), adml.get()}) {
        EXPECT_EQ(file->Attribute("revision"), "1.0");
        EXPECT_EQ(file->Attribute("schemaVersion"), "1.0");
    }
    const Node* namespaces = admx->Child("policyNamespaces");
    ASSERT_NE(namespaces, nullptr);
    ASSERT_NE(namespaces->Child("target"), nullptr);
    EXPECT_EQ(namespaces->Child("target")->Attribute("namespace"), "Vemtrix.Policies.Corvane");
    ASSERT_NE(admx->Child("resources"), nullptr);
    EXPECT_EQ(admx->Child("resources")->Attribute("minRequiredRevision"), "1.0");
    // A category per tab, under Corvane's own.
    EXPECT_EQ(admx->All("category").size(), std::size(kCatalogTabs) + 1);
}

TEST_F(AdminTemplates, EveryPolicyIsAValueOfTheCatalogWithItsKeyNameAndType) {
    std::map<std::string, const CatalogValue*> byName;
    for (const CatalogValue& value : SettingCatalog()) {
        ASSERT_TRUE(byName.emplace(admx::PolicyName(value), &value).second) << value.name;
    }
    const std::vector<const Node*> policies = admx->All("policy");
    ASSERT_EQ(policies.size(), SettingCatalog().size());
    std::set<std::string> categories;
    for (const Node* category : admx->All("category")) {
        categories.insert(category->Attribute("name"));
    }
    for (const Node* policy : policies) {
        const std::string name = policy->Attribute("name");
        ASSERT_TRUE(byName.contains(name)) << name;
        const CatalogValue& value = *byName[name];
        EXPECT_EQ(policy->Attribute("class"), "Machine");
        EXPECT_EQ(policy->Attribute("key"), *ManagedPathOf(value.key)) << name;
        ASSERT_NE(policy->Child("parentCategory"), nullptr);
        EXPECT_TRUE(categories.contains(policy->Child("parentCategory")->Attribute("ref")));
        const Node* elements = policy->Child("elements");
        switch (value.type) {
            case CatalogType::Flag:
                EXPECT_EQ(policy->Attribute("valueName"), value.name);
                ASSERT_NE(policy->Child("enabledValue"), nullptr) << name;
                EXPECT_EQ(policy->Child("enabledValue")->Child("decimal")->Attribute("value"), "1");
                EXPECT_EQ(policy->Child("disabledValue")->Child("decimal")->Attribute("value"),
                          "0");
                EXPECT_EQ(elements, nullptr);
                break;
            case CatalogType::Number:
            case CatalogType::DriveMask:
                ASSERT_NE(elements, nullptr) << name;
                ASSERT_NE(elements->Child("decimal"), nullptr) << name;
                EXPECT_EQ(elements->Child("decimal")->Attribute("valueName"), value.name);
                EXPECT_EQ(elements->Child("decimal")->Attribute("minValue"), "0");
                break;
            case CatalogType::Text:
                ASSERT_NE(elements, nullptr) << name;
                ASSERT_NE(elements->Child("text"), nullptr) << name;
                EXPECT_EQ(elements->Child("text")->Attribute("valueName"), value.name);
                break;
        }
        // The password is never a policy: a template would put it where every user reads it.
        EXPECT_NE(value.name, "DefaultPassword");
    }
}

TEST_F(AdminTemplates, EveryStringAndPresentationReferenceResolves) {
    static const std::regex reference(R"(\$\((string|presentation)\.([^)]+)\))");
    const std::string text = ReadFile(std::string(CORVANE_DEFINITIONS) + "/Corvane.admx");
    int resolved = 0;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), reference);
         it != std::sregex_iterator(); ++it) {
        const std::string id = (*it)[2];
        if ((*it)[1] == "string") {
            EXPECT_TRUE(strings.contains(id)) << id;
        } else {
            ASSERT_TRUE(presentations.contains(id)) << id;
        }
        ++resolved;
    }
    EXPECT_GT(resolved, 2 * static_cast<int>(SettingCatalog().size()));  // each names two
    // A presentation's box is the element of its own policy.
    for (const Node* policy : admx->All("policy")) {
        const std::string presentation = policy->Attribute("presentation");
        if (presentation.empty()) {
            continue;
        }
        const std::string id = presentation.substr(15, presentation.size() - 16);
        const Node* shown = presentations[id];
        const Node* box = shown->Child("decimalTextBox") ? shown->Child("decimalTextBox")
                                                         : shown->Child("textBox");
        ASSERT_NE(box, nullptr) << id;
        const Node* element = policy->Child("elements")->children.front().get();
        EXPECT_EQ(box->Attribute("refId"), element->Attribute("id")) << id;
    }
    // The page's labels are the policies' names, with their section where they have one.
    EXPECT_EQ(strings["HideGUI_HideTaskbar"], "User Interface Settings: Hide Taskbar");
    EXPECT_EQ(strings["Timers_TimerDialogLeft"], "Timer Dialog: Left");
    EXPECT_EQ(strings["Root_EnablePolicies"], "Policy Settings");
}

}  // namespace
}  // namespace corvane
