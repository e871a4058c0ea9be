// The sim reads the program's strings and dialog templates from the resource script itself.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/constants.h"
#include "platform/sim/resources.h"

namespace sim {
namespace {

TEST(SimResources, ReadsTheProgramsStringTableAndTemplates) {
    const auto resources = Resources::FromRcFile(CORVANE_SOURCE_DIR "/app/res/corvane.rc");
    EXPECT_EQ(resources->LoadString(1010),
              "Failed to open Corvane Registry settings.\n\nCorvane must be ran as an "
              "Administrator for this computer.");
    EXPECT_EQ(resources->LoadString(1005),
              "All restrictions have been removed.\n\nClicking the \"Apply\" or \"Ok\" button will "
              "re-apply the restrictions.");
    EXPECT_EQ(resources->LoadString(101), "&About Corvane...");
    EXPECT_EQ(resources->LoadString(9999), "");

    const auto main = resources->FindDialog(102);
    ASSERT_TRUE(main.has_value());
    EXPECT_EQ(main->caption, "Corvane");
    EXPECT_EQ(main->width, 475);
    EXPECT_EQ(main->height, 321);
    EXPECT_TRUE(main->style & platform::ws::kVisible);
    EXPECT_TRUE(main->style & platform::ws::kMinimizeBox);
    const auto about = resources->FindDialog(100);
    ASSERT_TRUE(about.has_value());
    EXPECT_EQ(about->caption, "About Corvane");
    EXPECT_FALSE(about->style & platform::ws::kVisible);
}

TEST(SimResources, ReportsWhereAScriptIsBroken) {
    const std::string path = testing::TempDir() + "broken.rc";
    std::ofstream(path) << "STRINGTABLE\nBEGIN\n  12 \"unterminated\nEND\n";
    try {
        Resources::FromRcFile(path);
        FAIL() << "a broken script was accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("broken.rc:3"), std::string::npos) << e.what();
    }
    EXPECT_THROW(Resources::FromRcFile(path + ".missing"), std::runtime_error);
}

}  // namespace
}  // namespace sim
