#include "platform/sim/html_dom.h"

#include <gumbo.h>

#include <functional>

#include "platform/text.h"

namespace sim {

namespace {

std::unique_ptr<DomNode> Convert(const GumboNode* node, DomNode* parent) {
    auto out = std::make_unique<DomNode>();
    out->parent = parent;
    if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_WHITESPACE ||
        node->type == GUMBO_NODE_CDATA) {
        out->isText = true;
        out->text = node->v.text.text;
        return out;
    }
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) {
        return nullptr;
    }
    const GumboElement& element = node->v.element;
    if (element.tag == GUMBO_TAG_UNKNOWN) {
        GumboStringPiece original = element.original_tag;
        gumbo_tag_from_original_text(&original);
        out->tag = platform::AsciiLower(std::string(original.data, original.length));
    } else {
        out->tag = gumbo_normalized_tagname(element.tag);
    }
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        out->attributes.emplace_back(attribute->name, attribute->value);
    }
    if (out->tag == "input") {
        out->value = out->Attribute("value").value_or("");
        out->checked = out->Attribute("checked").has_value();
    }
    for (unsigned i = 0; i < element.children.length; ++i) {
        if (auto child =
                Convert(static_cast<const GumboNode*>(element.children.data[i]), out.get())) {
            out->children.push_back(std::move(child));
        }
    }
    if (out->tag == "textarea") {
        out->value = HtmlDom::InnerText(*out);
    }
    return out;
}

std::unique_ptr<DomNode> Parse(const std::string& html) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    std::unique_ptr<DomNode> root = Convert(output->root, nullptr);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return root;
}

const DomNode* Find(const DomNode& node, const std::function<bool(const DomNode&)>& match) {
    if (!node.isText && match(node)) {
        return &node;
    }
    for (const auto& child : node.children) {
        if (const DomNode* found = Find(*child, match)) {
            return found;
        }
    }
    return nullptr;
}

bool IsVoid(const std::string& tag) {
    for (const char* v : {"area", "base", "br", "col", "embed", "hr", "img", "input", "link",
                          "meta", "param", "source", "track", "wbr"}) {
        if (tag == v) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<std::string> DomNode::Attribute(const std::string& name) const {
    for (const auto& [key, value] : attributes) {
        if (platform::EqualsIgnoreAsciiCase(key, name)) {
            return value;
        }
    }
    return std::nullopt;
}

HtmlDom::HtmlDom(const std::string& html, bool idsIgnoreCase)
    : root_(Parse(html)), idsIgnoreCase_(idsIgnoreCase) {}

DomNode* HtmlDom::FindById(const std::string& id) const {
    return const_cast<DomNode*>(Find(*root_, [&](const DomNode& node) {
        const auto value = node.Attribute("id");
        return value &&
               (idsIgnoreCase_ ? platform::EqualsIgnoreAsciiCase(*value, id) : *value == id);
    }));
}

std::string HtmlDom::Title() const {
    const DomNode* title = Find(*root_, [](const DomNode& node) { return node.tag == "title"; });
    return title ? InnerText(*title) : std::string();
}

std::string HtmlDom::InnerText(const DomNode& node) {
    if (node.isText) {
        return node.text;
    }
    if (node.tag == "br") {
        return "\n";
    }
    std::string text;
    for (const auto& child : node.children) {
        text += InnerText(*child);
    }
    return text;
}

std::string HtmlDom::OuterHtml(const DomNode& node) {
    if (node.isText) {
        return platform::EscapeMarkup(node.text, false);
    }
    std::string html = "<" + node.tag;
    for (const auto& [name, value] : node.attributes) {
        html += " " + name + "=\"" + platform::EscapeMarkup(value, true) + "\"";
    }
    html += ">";
    if (IsVoid(node.tag)) {
        return html;
    }
    for (const auto& child : node.children) {
        html += OuterHtml(*child);
    }
    return html + "</" + node.tag + ">";
}

bool HtmlDom::ReplaceOuterHtml(DomNode& node, const std::string& html) {
    DomNode* parent = node.parent;
    if (parent == nullptr) {
        return false;
    }
    // Parsed as a body of its own: its elements take the node's place.
    std::unique_ptr<DomNode> fragment = Parse("<body>" + html + "</body>");
    DomNode* body =
        const_cast<DomNode*>(Find(*fragment, [](const DomNode& n) { return n.tag == "body"; }));
    auto& siblings = parent->children;
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() != &node) {
            continue;
        }
        std::vector<std::unique_ptr<DomNode>> replacement;
        if (body != nullptr) {
            replacement = std::move(body->children);
        }
        for (auto& child : replacement) {
            child->parent = parent;
        }
        siblings.erase(siblings.begin() + static_cast<long>(i));
        siblings.insert(siblings.begin() + static_cast<long>(i),
                        std::make_move_iterator(replacement.begin()),
                        std::make_move_iterator(replacement.end()));
        return true;
    }
    return false;
}

void HtmlDom::SetInnerText(DomNode& node, const std::string& text) {
    node.children.clear();
    auto child = std::make_unique<DomNode>();
    child->isText = true;
    child->text = text;
    child->parent = &node;
    node.children.push_back(std::move(child));
}

}  // namespace sim
