// Edge and Chrome locked from the Policies tab: the values and lists user mode writes under
// each browser's key, the URL rules given to them only when they translate, and everything put
// back as it was when user mode ends.
#include "common/event_log.h"
#include "common/lumbrel_values.h"
#include "common/settings_store.h"
#include "platform/constants.h"
#include "policies/browser_policy_values.h"
#include "policies/policies.h"
#include "tests/scenario/corvane_world.h"

namespace corvane::scenario {
namespace {

using platform::Hive;

constexpr const char* kEdge = "Software\\Policies\\Microsoft\\Edge";
constexpr const char* kChrome = "Software\\Policies\\Google\\Chrome";
constexpr const char* kRulesFile = "C:\\kiosk\\urls.txt";

class BrowserPolicies : public CorvaneWorld {
  protected:
    void SetUp() override {
        SetNumber(kSettingsRoot, "EnablePolicies", 1);
        SetNumber(kLumbrelKey, "FilterURLs", 1);
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, kLumbrelKey, key), 0);
        SetStringValue(*key, "FilterURLFile", kRulesFile);
    }
    void SetNumber(const char* path, const char* name, uint32_t value) {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::LocalMachine, path, key), 0);
        SetDWordValue(*key, name, value);
    }
    void Tick(const char* name) { SetNumber(kPoliciesKey, name, 1); }
    void TickEverySwitch() {
        for (const BrowserSwitch& browserSwitch : kBrowserSwitches) {
            Tick(browserSwitch.name);
        }
    }
    std::optional<platform::RawValue> UserValue(const std::string& path, const std::string& name) {
        platform::RegistryKeyPtr key;
        platform::RawValue raw;
        if (OpenForReading(sys.registry, Hive::CurrentUser, path, key) != 0 ||
            key->QueryValue(name, 4096, raw) != 0) {
            return std::nullopt;
        }
        return raw;
    }
    // The list's entries "1", "2", ... in order, as the browsers read them.
    std::vector<std::string> List(const char* browserKey, const char* list) {
        std::vector<std::string> entries;
        const std::string path = std::string(browserKey) + "\\" + list;
        while (auto entry = ReadStringAt(sys.registry, Hive::CurrentUser, path,
                                         std::to_string(entries.size() + 1))) {
            entries.push_back(*entry);
        }
        return entries;
    }
    bool UserKeyExists(const char* path) {
        platform::RegistryKeyPtr key;
        return OpenForReading(sys.registry, Hive::CurrentUser, path, key) == 0;
    }
    void PutAnotherToolsValues() {
        platform::RegistryKeyPtr key;
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser, kChrome, key), 0);
        SetDWordValue(*key, "PrintingEnabled", 1);
        SetDWordValue(*key, "HomepageIsNewTabPage", 1);
        ASSERT_EQ(OpenForWriting(sys.registry, Hive::CurrentUser,
                                 std::string(kEdge) + "\\URLBlocklist", key),
                  0);
        SetStringValue(*key, "1", "example.org");
        SetStringValue(*key, "2", "example.net");
    }
    void ExitUserMode(platform::Process& kiosk) {
        const auto window = WindowOf(kiosk);
        ASSERT_TRUE(window.has_value());
        world.Page(window->handle)->Click("ButtonExitUserMode");
        EXPECT_EQ(kiosk.WaitForExit(5000), 1u);
    }
};

TEST_F(BrowserPolicies, EveryTickedValueReachesBothBrowsersAndTheExitPutsBackWhatWasThere) {
    PutAnotherToolsValues();
    TickEverySwitch();
    SetNumber(kPoliciesKey, "BrowsersUrlRules", 0);
    auto kiosk = Start("/user");
    for (const BrowserPolicyValue& value : kBrowserPolicyValues) {
        const auto stored = UserValue(BrowserPolicyKey(value.browser), value.name);
        ASSERT_TRUE(stored.has_value()) << BrowserName(value.browser) << " " << value.name;
        EXPECT_EQ(stored->type, platform::reg::kDword) << value.name;
        EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, BrowserPolicyKey(value.browser),
                              value.name),
                  value.data)
            << value.name;
    }
    // The names each browser documents for the same setting.
    EXPECT_EQ(UserValue(kEdge, "InPrivateModeAvailability")->data[0], 1);
    EXPECT_EQ(UserValue(kChrome, "IncognitoModeAvailability")->data[0], 1);
    EXPECT_EQ(UserValue(kEdge, "BrowserAddProfileEnabled")->data[0], 0);
    EXPECT_EQ(UserValue(kChrome, "BrowserAddPersonEnabled")->data[0], 0);
    EXPECT_EQ(UserValue(kEdge, "IncognitoModeAvailability"), std::nullopt);
    // Another tool's list is replaced, not added to: its allows could open what ours block.
    const std::vector<std::string> edgePages = List(kEdge, "URLBlocklist");
    ASSERT_EQ(edgePages.size(), std::size(kBrowserOwnPages));
    EXPECT_EQ(edgePages.front(), "edge://settings");
    EXPECT_EQ(List(kChrome, "URLBlocklist").at(1), "chrome://flags");
    EXPECT_TRUE(List(kChrome, "URLAllowlist").empty());

    // The hand-over's quit leaves them; the exit button puts back what was there.
    auto quit = Start("/q");
    EXPECT_EQ(kiosk->WaitForExit(5000), 1u);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kEdge, "DownloadRestrictions"), 3u);
    kiosk = Start("/user");
    ExitUserMode(*kiosk);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kChrome, "PrintingEnabled"), 1u);
    EXPECT_EQ(ReadDWordAt(sys.registry, Hive::CurrentUser, kChrome, "HomepageIsNewTabPage"), 1u);
    EXPECT_EQ(List(kEdge, "URLBlocklist"),
              (std::vector<std::string>{"example.org", "example.net"}));
    EXPECT_FALSE(UserKeyExists("Software\\Policies\\Google\\Chrome\\URLBlocklist"));
    for (const BrowserPolicyValue& value : kBrowserPolicyValues) {
        if (std::string_view(value.name) != "PrintingEnabled" || value.browser != Browser::Chrome) {
            EXPECT_EQ(UserValue(BrowserPolicyKey(value.browser), value.name), std::nullopt)
                << value.name;
        }
    }
    EXPECT_FALSE(UserKeyExists(kPoliciesBeforeKey));
}

TEST_F(BrowserPolicies, UntickedNothingIsWrittenUnderEitherBrowser) {
    world.Files().Put(kRulesFile, "+^https://kiosk\\.example/\n-all\n");
    auto kiosk = Start("/user");
    EXPECT_FALSE(UserKeyExists(kEdge));
    EXPECT_FALSE(UserKeyExists(kChrome));
    ExitUserMode(*kiosk);
}

TEST_F(BrowserPolicies, TheUrlRulesReachTheBrowsersOnlyWhenEveryLineTranslates) {
    world.Files().Put(kRulesFile,
                      "; the kiosk's sites\n+^https://([a-z0-9-]+\\.)*kiosk\\.example/\n-all\n");
    Tick("BrowsersUrlRules");
    Tick("BrowsersBlockOwnPages");
    auto kiosk = Start("/user");
    for (const char* browser : {kEdge, kChrome}) {
        const std::vector<std::string> blocked = List(browser, "URLBlocklist");
        ASSERT_EQ(blocked.size(), std::size(kBrowserOwnPages) + 1) << browser;
        EXPECT_EQ(blocked.back(), "*");
        EXPECT_EQ(List(browser, "URLAllowlist"),
                  (std::vector<std::string>{"https://kiosk.example:443"}));
    }
    EXPECT_TRUE(world.MessageBoxes().empty());

    // A line the lists cannot say, saved in the running kiosk: the page names it, the old list
    // goes (the browsers must not keep rules the file no longer has), the log says why.
    world.Files().Put(kRulesFile, "-casino\n+^https://kiosk\\.example/\n-all\n");
    const auto window = WindowOf(*kiosk);
    ASSERT_TRUE(window.has_value());
    world.Page(window->handle)->Click("ButtonApply");
    world.RunFor(50);
    ASSERT_NE(LastBox(), nullptr);
    EXPECT_NE(
        LastBox()->text.find("Edge and Chrome got no URL list: 1 line of C:\\kiosk\\urls.txt"),
        std::string::npos)
        << LastBox()->text;
    EXPECT_NE(LastBox()->text.find("Line 1 \"-casino\": it is not anchored"), std::string::npos);
    EXPECT_EQ(List(kEdge, "URLAllowlist"), std::vector<std::string>{});
    EXPECT_EQ(List(kChrome, "URLBlocklist").size(), std::size(kBrowserOwnPages));
    const std::vector<std::string> said = ReadEventLines(sys, 10);
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const std::string& line) {
        return line.find("warning  Edge and Chrome got no URL list") != std::string::npos;
    }));
    ExitUserMode(*kiosk);
}

// A rule file that is there but cannot be read whole (held open by another program) leaves the
// browsers refusing every address, as the browser helper does, and the page and the log say so.
TEST_F(BrowserPolicies, ARuleFileThatCannotBeReadWholeRefusesEveryAddress) {
    world.Files().Put(kRulesFile, "+^https://kiosk\\.example/\n-all\n");
    world.Files().At(kRulesFile).openError = platform::error::kSharingViolation;
    Tick("BrowsersUrlRules");
    auto kiosk = Start("/user");
    for (const char* browser : {kEdge, kChrome}) {
        EXPECT_EQ(List(browser, "URLBlocklist"), std::vector<std::string>{"*"}) << browser;
        EXPECT_TRUE(List(browser, "URLAllowlist").empty()) << browser;
    }
    const std::vector<std::string> said = ReadEventLines(sys, 10);
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const std::string& line) {
        return line.find(
                   "warning  Edge and Chrome refuse every address: C:\\kiosk\\urls.txt "
                   "cannot be opened") != std::string::npos;
    }));
    ExitUserMode(*kiosk);
    EXPECT_FALSE(UserKeyExists(kEdge));
}

TEST_F(BrowserPolicies, AFilterThatIsOffOrAFileThatIsNotThereGivesNoList) {
    Tick("BrowsersUrlRules");
    auto kiosk = Start("/user");  // no file there
    EXPECT_FALSE(UserKeyExists(kEdge));
    std::vector<std::string> said = ReadEventLines(sys, 10);
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const std::string& line) {
        return line.find("C:\\kiosk\\urls.txt cannot be opened") != std::string::npos;
    }));
    ExitUserMode(*kiosk);
    SetNumber(kLumbrelKey, "FilterURLs", 0);
    world.Files().Put(kRulesFile, "+all\n");
    kiosk = Start("/user");
    EXPECT_FALSE(UserKeyExists(kChrome));
    said = ReadEventLines(sys, 10);
    EXPECT_TRUE(std::any_of(said.begin(), said.end(), [](const std::string& line) {
        return line.find("URL filter is off") != std::string::npos;
    }));
    ExitUserMode(*kiosk);
}

}  // namespace
}  // namespace corvane::scenario
