#include <gtest/gtest.h>

#include "app/command_line.h"
#include "common/command_ids.h"

namespace corvane {
namespace {

CommandLineOptions Parse(std::vector<std::string> switches) {
    switches.insert(switches.begin(), "C:\\Corvane\\Corvane.exe");
    CommandLineOptions options;
    ParseSwitches(switches, options);
    return options;
}

TEST(CommandLine, UserModeSwitchesIgnoreCaseAndPrefix) {
    for (const char* sw : {"/user", "/USER", "-user", "/u", "/Unlock", "-us"}) {
        EXPECT_EQ(Parse({sw}).userMode, 1) << sw;
    }
    EXPECT_EQ(Parse({"/xuser"}).userMode, 0);
    EXPECT_EQ(Parse({}).userMode, 0);
}

TEST(CommandLine, CommandSwitchesByTheirLetters) {
    EXPECT_EQ(Parse({"/h"}).commandId, ID_SWITCH_H);
    EXPECT_EQ(Parse({"/s"}).commandId, ID_SWITCH_S);
    EXPECT_EQ(Parse({"/q"}).commandId, ID_SWITCH_Q);
    EXPECT_EQ(Parse({"-Quit"}).commandId, ID_SWITCH_Q);
    EXPECT_EQ(Parse({"/d"}).commandId, ID_SWITCH_D);
    EXPECT_EQ(Parse({"/e"}).commandId, ID_SWITCH_E);
    // "kd" only as the whole switch; "ke" as a prefix.
    EXPECT_EQ(Parse({"/kd"}).commandId, ID_SWITCH_KD);
    EXPECT_EQ(Parse({"/KD"}).commandId, ID_SWITCH_KD);
    EXPECT_EQ(Parse({"/kdx"}).commandId, 0u);
    EXPECT_EQ(Parse({"/k"}).commandId, 0u);
    EXPECT_EQ(Parse({"/ke"}).commandId, ID_SWITCH_KE);
    EXPECT_EQ(Parse({"/kex"}).commandId, ID_SWITCH_KE);
}

// The guard's switches carry a process id; anything but a decimal id in range is no process.
TEST(CommandLine, TheGuardsSwitchesTakeAProcessIdOrNothing) {
    const CommandLineOptions guard = Parse({"/guard:1234"});
    EXPECT_EQ(guard.guardOf, 1234u);
    EXPECT_EQ(guard.guardianId, 0u);
    EXPECT_EQ(guard.userMode, 0);
    EXPECT_EQ(guard.commandId, 0u);
    const CommandLineOptions guarded = Parse({"/user", "/GUARDIAN:77"});
    EXPECT_EQ(guarded.guardianId, 77u);
    EXPECT_EQ(guarded.guardOf, 0u);
    EXPECT_EQ(guarded.userMode, 1);
    for (const char* bad : {"/guard:", "/guard:12x", "/guard:-5", "/guard:4294967296",
                            "/guard:99999999999", "/guard 12"}) {
        EXPECT_EQ(Parse({bad}).guardOf, 0u) << bad;
    }
    EXPECT_EQ(Parse({"/guard:4294967295"}).guardOf, 4294967295u);
}

TEST(CommandLine, LaterSwitchWins) {
    EXPECT_EQ(Parse({"/q", "/h"}).commandId, ID_SWITCH_H);
    const CommandLineOptions options = Parse({"/lnk:c:\\a.lnk", "/q", "/lnk:D:\\B.LNK"});
    EXPECT_EQ(options.commandId, ID_SWITCH_Q);
    EXPECT_EQ(options.shortcutPath, "d:\\b.lnk");
    // A switch with no command leaves the earlier command alone.
    EXPECT_EQ(Parse({"/q", "/user"}).commandId, ID_SWITCH_Q);
}

TEST(CommandLine, ShortcutPathIsLowerCasedAfterTheSeparator) {
    EXPECT_EQ(Parse({"/lnk:D:\\Kiosk\\Start.lnk"}).shortcutPath, "d:\\kiosk\\start.lnk");
    EXPECT_EQ(Parse({"/lnk"}).shortcutPath, "");
    EXPECT_EQ(Parse({"/lnk:"}).shortcutPath, "");
    EXPECT_EQ(Parse({"-LNK=C:\\X"}).shortcutPath, "c:\\x");
    // Only A to Z change case: other letters stay as typed.
    EXPECT_EQ(Parse({"/lnk:C:\\Kiosk\\\xC3\x89t\xC3\xA9.lnk"}).shortcutPath,
              "c:\\kiosk\\\xC3\x89t\xC3\xA9.lnk");
}

TEST(CommandLine, OddArgumentsAreHarmless) {
    const CommandLineOptions bare = Parse({"C:\\Kiosk\\Start.lnk", "user", "q", ""});
    EXPECT_EQ(bare.userMode, 0);
    EXPECT_EQ(bare.commandId, 0u);
    const CommandLineOptions empty = Parse({"/", "-", "/ ", "/\xE2\x82\xAC"});
    EXPECT_EQ(empty.userMode, 0);
    EXPECT_EQ(empty.commandId, 0u);
    EXPECT_EQ(Parse({"/q" + std::string(100000, 'x')}).commandId, ID_SWITCH_Q);
    EXPECT_EQ(Parse({"/lnk:" + std::string(5000, 'P')}).shortcutPath, std::string(5000, 'p'));
    // The program's own name is never a switch.
    CommandLineOptions options;
    ParseSwitches({"/user"}, options);
    EXPECT_EQ(options.userMode, 0);
}

}  // namespace
}  // namespace corvane
