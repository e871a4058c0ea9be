// Loading the administrator's rule files and the two decisions of a navigation.
#include <gtest/gtest.h>

#include "browser/filter/filter_lists.h"
#include "platform/constants.h"
#include "platform/sim/world.h"

namespace lumbrel::filter {
namespace {

class FilterListsTest : public testing::Test {
  protected:
    sim::World world;
    FilterLists lists{world.Driver()};
};

TEST_F(FilterListsTest, LinesAreKeptWithLfOrCrLfAndNoLimits) {
    world.Files().Put("C:\\f\\urls.txt",
                      "+example\r\n\r\n; note\n-all\n  \n" + std::string(1 << 20, 'x') + "\nlast");
    EXPECT_EQ(lists.LoadUrlList("c:\\F\\URLS.TXT"), 1);
    ASSERT_EQ(lists.urlList.size(), 7u);
    EXPECT_EQ(lists.urlList[0], "+example");
    EXPECT_EQ(lists.urlList[1], "");
    EXPECT_EQ(lists.urlList[5].size(), 1u << 20);
    EXPECT_EQ(lists.urlList[6], "last");
    EXPECT_EQ(lists.IsUrlAllowed("http://www.Example.com/"), 1);
    EXPECT_EQ(lists.IsUrlAllowed("http://other.com/"), 0);
    EXPECT_TRUE(world.MessageBoxes().empty());
    EXPECT_EQ(world.Files().OpenCount(), 0);
}

TEST_F(FilterListsTest, AFileThatCannotBeOpenedIsReportedAndLeavesTheListEmpty) {
    world.Files().Put("C:\\f\\urls.txt", "+all\n");
    ASSERT_EQ(lists.LoadUrlList("C:\\f\\urls.txt"), 1);
    EXPECT_EQ(lists.LoadUrlList("C:\\f\\missing.txt"), 0);
    EXPECT_TRUE(lists.urlList.empty());
    EXPECT_EQ(lists.IsUrlAllowed("http://x/"), 0);  // an empty list refuses
    ASSERT_EQ(world.MessageBoxes().size(), 1u);
    EXPECT_EQ(world.MessageBoxes()[0].caption, "Lumbrel");
    EXPECT_EQ(world.MessageBoxes()[0].text,
              "The URL filter file cannot be opened:\nC:\\f\\missing.txt\n\n"
              "The system cannot find the file specified.");
}

// A file that is there but cannot be had whole (another program of the kiosk's user holds it
// without sharing, access is refused, a read fails half-way) keeps its filter on, refusing
// everything, and says so: the filter never goes off for what the public can cause.
TEST_F(FilterListsTest, AFileThereButUnreadableRefusesEverything) {
    world.Files().Put("C:\\f\\urls.txt", "+all\n");
    for (const long error : {32L, 5L}) {
        world.Files().At("C:\\f\\urls.txt").openError = error;
        EXPECT_EQ(lists.LoadUrlList("C:\\f\\urls.txt"), 1) << error;
        EXPECT_EQ(lists.IsUrlAllowed("http://example.com/"), 0) << error;
        FilterSwitches switches{1, "C:\\f\\urls.txt", 0, ""};
        LoadSwitchedLists(lists, switches);
        EXPECT_EQ(switches.filterURLs, 1) << error;
        EXPECT_FALSE(
            CheckNavigation(lists, "http://example.com/", switches.filterURLs != 0, false));
    }
    ASSERT_FALSE(world.MessageBoxes().empty());
    EXPECT_EQ(world.MessageBoxes()[0].text,
              "The URL filter file cannot be opened:\nC:\\f\\urls.txt\n\n"
              "The process cannot access the file because it is being used by another process."
              "\n\nThe filter refuses everything in this window.");

    world.Files().Put("C:\\f\\content.txt", "-casino\n-poker\n-dice\n+all\n");
    auto& file = world.Files().At("C:\\f\\content.txt");
    file.readErrorAt = 18;  // inside "-dice"
    file.readError = 23;
    EXPECT_EQ(lists.LoadContentList("C:\\f\\content.txt"), 1);
    EXPECT_TRUE(lists.contentList.empty());  // the lines before it are not a list to trust
    EXPECT_NE(world.MessageBoxes().back().text.find("could not be read to its end"),
              std::string::npos);
    EXPECT_NE(world.MessageBoxes().back().text.find("Data error"), std::string::npos);
    EXPECT_EQ(lists.IsContentAllowed("<p>reading</p>"), 0);
}

TEST_F(FilterListsTest, BinaryGarbageLoadsAndRefuses) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    }
    world.Files().Put("C:\\f\\garbage.bin", garbage);
    EXPECT_EQ(lists.LoadUrlList("C:\\f\\garbage.bin"), 1);
    EXPECT_FALSE(lists.urlList.empty());
    EXPECT_EQ(lists.IsUrlAllowed("http://example.com/"), 0);
}

TEST_F(FilterListsTest, SchemeRuleIsExactAndCaseSensitive) {
    for (const char* allowed : {"http://a/", "https://a/", "javascript:void(0)", "about:blank",
                                "res://ieframe.dll/", "mms://stream/"}) {
        EXPECT_TRUE(PassesSchemeRule(allowed)) << allowed;
    }
    for (const char* refused :
         {"ftp://a/", "file:///C:/", "about:home", "HTTP://A/", "about:blank#", "", "http:/a"}) {
        EXPECT_FALSE(PassesSchemeRule(refused)) << refused;
    }
}

TEST_F(FilterListsTest, NavigationMustPassEveryRuleThatIsOn) {
    world.Files().Put("C:\\f\\urls.txt", "+example\n-all\n");
    ASSERT_EQ(lists.LoadUrlList("C:\\f\\urls.txt"), 1);
    EXPECT_TRUE(CheckNavigation(lists, "ftp://example.com/", true, false));
    EXPECT_FALSE(CheckNavigation(lists, "ftp://example.com/", true, true));
    EXPECT_FALSE(CheckNavigation(lists, "http://other.com/", true, true));
    EXPECT_TRUE(CheckNavigation(lists, "http://other.com/", false, true));
    EXPECT_FALSE(CheckNavigation(lists, "file:///c:/", false, true));
    EXPECT_TRUE(CheckNavigation(lists, "file:///c:/", false, false));
    EXPECT_TRUE(CheckNavigation(lists, "http://EXAMPLE.com/", true, true));
}

}  // namespace
}  // namespace lumbrel::filter

namespace lumbrel::filter {
namespace {

TEST_F(FilterListsTest, SwitchesTakeTheResultOfTheirLoads) {
    world.Files().Put("C:\\f\\urls.txt", "+example\n-all\n");
    FilterSwitches on{1, "C:\\f\\urls.txt", 1, ""};
    LoadSwitchedLists(lists, on);
    EXPECT_EQ(on.filterURLs, 1);
    EXPECT_EQ(on.filterContent, 0);  // no file: off, without a message
    EXPECT_TRUE(world.MessageBoxes().empty());

    FilterSwitches missing{1, "C:\\f\\gone.txt", 0, "C:\\f\\content.txt"};
    LoadSwitchedLists(lists, missing);
    EXPECT_EQ(missing.filterURLs, 0);
    EXPECT_EQ(missing.filterContent, 0);  // off stays off: its file is not even read
    EXPECT_EQ(world.MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace lumbrel::filter
