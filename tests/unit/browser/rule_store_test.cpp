// Compiled images on disk: written by the administrator's side, mapped by every window while
// they match the rule file, and never used once the file or the image is not what they were.
#include <gtest/gtest.h>

#include <sstream>

#include "browser/filter/filter_lists.h"
#include "browser/filter/rule_file.h"
#include "browser/filter/rule_store.h"
#include "platform/constants.h"
#include "platform/sha256.h"
#include "platform/sim/world.h"
#include "platform/text.h"
#include "tools/ruletest/ruletest.h"

namespace lumbrel::filter {
namespace {

constexpr const char* kRules = "C:\\Kiosk\\urls.txt";
constexpr const char* kFolder = "C:\\Program Files\\Corvane\\Rules";

class RuleStoreTest : public testing::Test {
  protected:
    void SetUp() override {
        files.MakeFolder("C:\\Program Files\\Corvane");
        files.Put(kRules, "-casino\r\n+library\r\n-all\r\n");
    }
    std::string Verdicts(const RuleList& rules) {
        std::string out;
        for (const char* address : {"http://casino.example/", "http://library.example/", "x"}) {
            out += rules.Evaluate(address).allowed ? '+' : '-';
        }
        return out;
    }
    std::vector<std::string> Images() { return files.FindFiles(std::string(kFolder) + "\\*.lri"); }

    sim::World world;
    sim::SimFiles& files = world.Files();
};

TEST_F(RuleStoreTest, WindowsMapOneImageWhileItMatchesTheFile) {
    EXPECT_EQ(ImageFolderOf("C:\\Program Files\\Corvane\\Corvane.exe"), kFolder);
    EXPECT_EQ(ImageFolderOf(""), "");

    // No image yet: compiled in the window, and nothing written by it.
    LoadedList before = LoadRuleList(files, kRules, kFolder);
    EXPECT_FALSE(before.fromImage);
    EXPECT_EQ(before.imageProblem, ImageProblem::None);
    EXPECT_EQ(Verdicts(before.rules), "-+-");
    EXPECT_TRUE(Images().empty());

    const StoredImage stored = StoreRuleImage(files, kRules, kFolder);
    ASSERT_EQ(stored.error, 0);
    EXPECT_TRUE(stored.written);
    EXPECT_EQ(Images().size(), 1u);
    EXPECT_FALSE(StoreRuleImage(files, kRules, kFolder).written);  // already there and sound

    // Two windows: both map the image, the same bytes.
    LoadedList first = LoadRuleList(files, kRules, kFolder);
    LoadedList second = LoadRuleList(files, kRules, kFolder);
    ASSERT_TRUE(first.fromImage);
    ASSERT_TRUE(second.fromImage);
    EXPECT_EQ(first.rules.Image().data(), second.rules.Image().data());
    EXPECT_EQ(Verdicts(first.rules), "-+-");
    EXPECT_EQ(first.rules.Lines()[1], "+library");

    // The administrator edits the file: its old image is not used, the new text is compiled.
    files.Put(kRules, "+casino\r\n-all\r\n");
    LoadedList edited = LoadRuleList(files, kRules, kFolder);
    EXPECT_FALSE(edited.fromImage);
    EXPECT_EQ(Verdicts(edited.rules), "+--");
    // Saved again, the new text gets its image and the old one goes.
    const StoredImage again = StoreRuleImage(files, kRules, kFolder);
    ASSERT_EQ(again.error, 0);
    EXPECT_NE(again.path, stored.path);
    // The old image goes once no window maps it any more.
    EXPECT_EQ(PruneRuleImages(files, kFolder, {again.path}), 0u);
    EXPECT_EQ(Images().size(), 2u);
    first = {};
    second = {};
    EXPECT_EQ(PruneRuleImages(files, kFolder, {again.path}), 1u);
    EXPECT_EQ(Images().size(), 1u);
    LoadedList after = LoadRuleList(files, kRules, kFolder);
    EXPECT_TRUE(after.fromImage);
    EXPECT_EQ(Verdicts(after.rules), "+--");
}

TEST_F(RuleStoreTest, ABadImageIsNeverUsedAndIsRebuilt) {
    const StoredImage stored = StoreRuleImage(files, kRules, kFolder);
    ASSERT_EQ(stored.error, 0);
    const std::string sound = files.Contents(stored.path);

    struct Case {
        const char* what;
        std::string bytes;
        ImageProblem problem;
    };
    std::string foreign = sound;
    foreign[8] = 9;
    std::string forged = sound;
    forged[24] ^= 1;  // the size of the file it was compiled from
    const Case cases[] = {
        {"cut short", sound.substr(0, sound.size() / 2), ImageProblem::Truncated},
        {"of another version", foreign, ImageProblem::ForeignVersion},
        {"of another text", forged, ImageProblem::OtherSource},
        {"garbage", std::string(600, '\x7f'), ImageProblem::NotAnImage},
    };
    for (const Case& c : cases) {
        files.Put(stored.path, c.bytes);
        LoadedList loaded = LoadRuleList(files, kRules, kFolder);
        EXPECT_FALSE(loaded.fromImage) << c.what;
        EXPECT_EQ(loaded.imageProblem, c.problem) << c.what;
        EXPECT_EQ(Verdicts(loaded.rules), "-+-") << c.what;
        const StoredImage rebuilt = StoreRuleImage(files, kRules, kFolder);
        EXPECT_TRUE(rebuilt.written) << c.what;
        EXPECT_EQ(files.Contents(stored.path), sound) << c.what;
    }
    // An empty image file cannot even be mapped: compiled, as with none.
    files.Put(stored.path, "");
    EXPECT_FALSE(LoadRuleList(files, kRules, kFolder).fromImage);
}

// Two texts of the same length that a fast unkeyed hash took for one: one refuses casino, the
// other allows it. Each window must get its own text's rules, never the other's image.
TEST_F(RuleStoreTest, AnImageOfAnotherTextIsNeverUsedHoweverAlikeTheTexts) {
    const std::string refusing("-cASIno\n;jrscpso\n;end\n", 22);
    const std::string allowing(
        "+casino\n;\x19\x17\xb1\xaa\x14"
        "Bd\n;end\n",
        22);
    files.Put(kRules, refusing);
    const StoredImage stored = StoreRuleImage(files, kRules, kFolder);
    ASSERT_EQ(stored.error, 0);
    EXPECT_EQ(stored.path, std::string(kFolder) + "\\" +
                               platform::HexOf(*platform::Sha256Of(refusing)) + ".lri");
    EXPECT_FALSE(LoadRuleList(files, kRules, kFolder).rules.Evaluate("http://casino/").allowed);

    files.Put(kRules, allowing);
    const LoadedList loaded = LoadRuleList(files, kRules, kFolder);
    EXPECT_FALSE(loaded.fromImage);
    EXPECT_TRUE(loaded.rules.Evaluate("http://casino/").allowed);
    // Even an image of the refusing text put under the allowing text's name is not used.
    files.Put(std::string(kFolder) + "\\" + platform::HexOf(*platform::Sha256Of(allowing)) + ".lri",
              files.Contents(stored.path));
    const LoadedList renamed = LoadRuleList(files, kRules, kFolder);
    EXPECT_FALSE(renamed.fromImage);
    EXPECT_EQ(renamed.imageProblem, ImageProblem::OtherSource);
    EXPECT_TRUE(renamed.rules.Evaluate("http://casino/").allowed);
}

// Installed where users may change things, the image folder still gets a list of its own, and
// a window uses no image anyone but an administrator could have written.
TEST_F(RuleStoreTest, OnlyImagesNoOneButAnAdministratorCouldWriteAreUsed) {
    platform::Custody usersMayChange = platform::AdministratorsOnly();
    usersMayChange.entries.push_back(
        {platform::AccessEntry::kAllow, std::string(platform::kUsersSid), 0x001301BF, false});
    const std::string root = "C:\\Corvane";
    const std::string folder = root + "\\Rules";
    files.MakeFolder(root);
    files.SetCustody(root, usersMayChange);
    const StoredImage stored = StoreRuleImage(files, kRules, folder);
    ASSERT_EQ(stored.error, 0);
    platform::Custody custody;
    ASSERT_EQ(files.ReadCustody(folder, custody), 0);
    EXPECT_TRUE(
        platform::OnlyAdministratorsMayChange(custody, [](std::string_view) { return false; }));
    EXPECT_TRUE(LoadRuleList(files, kRules, folder).fromImage);

    // A kiosk user plants an image of "+all" for the rule file's text under its name.
    const RuleList everything(RuleLines({"+all"}), *HashRuleFile(files, kRules));
    const std::string planted(everything.Image());
    const auto plant = [&](const platform::Custody& custody) {
        files.Put(stored.path, planted);
        files.SetCustody(stored.path, custody);
        return LoadRuleList(files, kRules, folder);
    };
    platform::Custody userOwned = platform::AdministratorsOnly();
    userOwned.owner = "S-1-5-21-1-2-3-1001";
    platform::Custody usersMayWrite = platform::AdministratorsOnly();
    usersMayWrite.entries.push_back(
        {platform::AccessEntry::kAllow, std::string(platform::kUsersSid), 0x0002, false});
    platform::Custody noList = platform::AdministratorsOnly();
    noList.hasList = false;
    platform::Custody unreadableEntry = platform::AdministratorsOnly();
    unreadableEntry.entries.push_back({platform::AccessEntry::kOther, "", 0, false});
    // An administrator's own account may own it, as where the system keeps no owners.
    files.SetAdministratorAccounts({"S-1-5-21-1-2-3-500"});
    platform::Custody adminOwned = platform::AdministratorsOnly();
    adminOwned.owner = "S-1-5-21-1-2-3-500";
    EXPECT_TRUE(plant(adminOwned).fromImage);
    for (const platform::Custody& c : {userOwned, usersMayWrite, noList, unreadableEntry}) {
        const LoadedList loaded = plant(c);
        EXPECT_FALSE(loaded.fromImage) << c.owner;
        EXPECT_EQ(loaded.imageProblem, ImageProblem::OpenToOthers) << c.owner;
        EXPECT_EQ(Verdicts(loaded.rules), "-+-") << c.owner;
    }
    // Entries only for what is made inside, and denials, give no one the file.
    platform::Custody inheritOnly = platform::AdministratorsOnly();
    inheritOnly.entries.push_back({platform::AccessEntry::kAllow, "S-1-3-0", 0x001F01FF, true});
    inheritOnly.entries.push_back(
        {platform::AccessEntry::kDeny, std::string(platform::kUsersSid), 0x001F01FF, false});
    EXPECT_TRUE(plant(inheritOnly).fromImage);

    // The next save replaces a planted image with the administrator's own.
    plant(userOwned);
    const StoredImage again = StoreRuleImage(files, kRules, folder);
    ASSERT_EQ(again.error, 0);
    EXPECT_TRUE(again.written);
    const LoadedList loaded = LoadRuleList(files, kRules, folder);
    EXPECT_TRUE(loaded.fromImage);
    EXPECT_EQ(Verdicts(loaded.rules), "-+-");

    // A program of the kiosk user cannot write an image that would be used.
    files.Put(kRules, "+all\r\n");
    files.SetCreator("S-1-5-21-1-2-3-1001");
    const StoredImage refused = StoreRuleImage(files, kRules, folder);
    EXPECT_EQ(refused.error, platform::error::kInvalidOwner);
    EXPECT_FALSE(refused.written);
    EXPECT_FALSE(LoadRuleList(files, kRules, folder).fromImage);
}

TEST_F(RuleStoreTest, FailuresAreToldAndLoseNothing) {
    // The rule file cannot be read to its end: no image of half a file.
    files.At(kRules).readErrorAt = 4;
    files.At(kRules).readError = 23;
    StoredImage stored = StoreRuleImage(files, kRules, kFolder);
    EXPECT_EQ(stored.error, 23);
    EXPECT_TRUE(stored.readFile);
    EXPECT_TRUE(Images().empty());
    files.At(kRules).readErrorAt.reset();

    // The folder cannot be made: told, and the window compiles.
    stored = StoreRuleImage(files, kRules, "C:\\Missing\\Corvane\\Rules");
    EXPECT_EQ(stored.error, platform::error::kPathNotFound);
    EXPECT_FALSE(stored.readFile);
    EXPECT_TRUE(LoadRuleList(files, kRules, "C:\\Missing\\Corvane\\Rules").rules.Lines().size() ==
                3u);

    // A missing rule file is the load's open error, image folder or not.
    EXPECT_EQ(LoadRuleList(files, "C:\\Kiosk\\gone.txt", kFolder).openError,
              platform::error::kFileNotFound);
}

TEST_F(RuleStoreTest, TheRuleTesterCompilesAndJudgesAsTheHelper) {
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(tools::RunRuleTester({"--compile", kRules}, files, in, out, err, kFolder), 0);
    EXPECT_EQ(out.str().rfind("compiled C:\\Kiosk\\urls.txt into " + std::string(kFolder), 0), 0u);
    ASSERT_EQ(Images().size(), 1u);

    out.str("");
    err.str("");
    EXPECT_EQ(
        tools::RunRuleTester({kRules, "http://casino.example/"}, files, in, out, err, kFolder), 1);
    EXPECT_EQ(err.str(), "lumbrel-ruletest: using the compiled image of C:\\Kiosk\\urls.txt\n");
    EXPECT_EQ(out.str(), "REFUSE http://casino.example/: matched by line 1 \"-casino\"\n");

    std::ostringstream none;
    EXPECT_EQ(tools::RunRuleTester({"--compile", kRules}, files, in, out, none), 2);
    EXPECT_EQ(none.str(),
              "lumbrel-ruletest: no folder for compiled images; name one with --images\n");
}

TEST_F(RuleStoreTest, AWindowsListsComeFromTheImageWhenThereIsOne) {
    ASSERT_EQ(StoreRuleImage(files, kRules, kFolder).error, 0);
    FilterLists lists(world.Driver());
    lists.SetImageFolder(kFolder);
    EXPECT_EQ(lists.LoadUrlList(kRules), 1);
    EXPECT_TRUE(lists.urlListFromImage);
    EXPECT_EQ(lists.urlList.size(), 3u);
    EXPECT_EQ(lists.IsUrlAllowed("http://library.example/"), 1);
    EXPECT_EQ(lists.IsUrlAllowed("http://casino.example/"), 0);
    FilterLists without(world.Driver());
    EXPECT_EQ(without.LoadUrlList(kRules), 1);
    EXPECT_FALSE(without.urlListFromImage);
}

}  // namespace
}  // namespace lumbrel::filter
