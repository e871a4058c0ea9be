// The plain decisions of the policy settings and the logon entry.
#include <gtest/gtest.h>

#include "app/corvane_dlg.h"
#include "policies/policies.h"
#include "tools/fakeshell/fake_shell.h"

namespace corvane {
namespace {

TEST(DriveMask, PacksTheTickedLettersAndUnpacksOnlyDriveBits) {
    int drives[kDriveCount] = {};
    drives[2] = 1;  // C
    drives[3] = 7;  // D, ticked however it was set
    EXPECT_EQ(PackDriveMask(drives), 0xCu);

    int loaded[kDriveCount] = {};
    loaded[1] = 1;  // B stays as it was: a clear bit does not untick
    UnpackDriveMask(0xFC000000u | 1u | (1u << 25), loaded);
    EXPECT_EQ(loaded[0], 1);
    EXPECT_EQ(loaded[1], 1);
    EXPECT_EQ(loaded[25], 1);
    EXPECT_EQ(PackDriveMask(loaded), 0x2000003u);  // bits 26 to 31 never come back
}

TEST(LogonCommand, QuotesAPathWithBlanksOnly) {
    EXPECT_EQ(LogonCommand("C:\\Kiosk\\Corvane.exe"), "C:\\Kiosk\\Corvane.exe /user");
    EXPECT_EQ(LogonCommand("C:\\Program Files\\Corvane\\Corvane.exe"),
              "\"C:\\Program Files\\Corvane\\Corvane.exe\" /user");
    EXPECT_EQ(LogonCommand("\"C:\\Program Files\\Corvane.exe\""),
              "\"C:\\Program Files\\Corvane.exe\" /user");
}

TEST(TrayIconMessage, ReadsWinesRecordAndRefusesAnythingElse) {
    const uint32_t record[6] = {0x1005E, 10011, 7, 10012, 0, 0};
    const auto bytes = std::span(reinterpret_cast<const uint8_t*>(record), sizeof record);
    const auto icon = tools::ParseTrayIconMessage(2, bytes);
    ASSERT_TRUE(icon.has_value());
    EXPECT_EQ(icon->action, 2u);
    EXPECT_EQ(icon->window, 0x1005Eu);
    EXPECT_EQ(icon->id, 10011u);
    EXPECT_EQ(icon->flags, 7u);
    EXPECT_EQ(icon->callbackMessage, 10012u);
    EXPECT_FALSE(tools::ParseTrayIconMessage(3, bytes).has_value());
    EXPECT_FALSE(tools::ParseTrayIconMessage(0, bytes.first(15)).has_value());
}

}  // namespace
}  // namespace corvane
