// The sim reads each deliverable's resource script itself; the Windows build compiles it. Every
// string and every dialog header the script holds reads the same both ways.
#include "platform/sim/resources.h"
#include "tests/contract/fixture.h"

namespace contract {
namespace {

class ResourcesContract : public Contract {
  protected:
    // The script as the sim reads it, for the list of what to compare.
    static std::shared_ptr<sim::Resources> Script(const std::string& path) {
        std::string root = CORVANE_SOURCE_DIR;
#ifdef _WIN32
        root = "Z:" + root;  // the source tree as Wine sees it
#endif
        return sim::Resources::FromRcFile(root + "/" + path);
    }

    void ExpectSameAsScript(const std::string& script, const std::string& module) {
        const auto expected = Script(script);
        const auto resources = env->Resources(script, module);
        ASSERT_FALSE(expected->strings.empty());
        for (const auto& [id, text] : expected->strings) {
            EXPECT_EQ(resources->String(id), text) << module << " string " << id;
        }
        for (const auto& [id, dialog] : expected->dialogs) {
            const auto header = resources->Dialog(id);
            ASSERT_TRUE(header.has_value()) << module << " dialog " << id;
            EXPECT_EQ(header->caption, dialog.caption) << module << " dialog " << id;
            EXPECT_EQ(header->style, dialog.style)
                << module << " dialog " << id << std::hex << " style " << header->style;
            EXPECT_EQ(header->width, dialog.width) << module << " dialog " << id;
            EXPECT_EQ(header->height, dialog.height) << module << " dialog " << id;
        }
    }
};

TEST_F(ResourcesContract, TheMainProgramsStringsAndDialogsReadAsTheScriptSays) {
    ExpectSameAsScript("app/res/corvane.rc", "Corvane.exe");
    const auto resources = env->Resources("app/res/corvane.rc", "Corvane.exe");
    // Doubled quotes and \n escapes, as the message boxes show them.
    EXPECT_EQ(resources->String(1005),
              "All restrictions have been removed.\n\nClicking the \"Apply\" or \"Ok\" button "
              "will re-apply the restrictions.");
    EXPECT_EQ(resources->String(1202), "Error registering Lumbrel.");
    EXPECT_EQ(resources->String(4242), "");  // no such entry
}

TEST_F(ResourcesContract, TheBrowserHelpersStringAndMessageDialogReadAsTheScriptSays) {
    ExpectSameAsScript("browser/server/lumbrel.rc", "Lumbrel.dll");
    const auto resources = env->Resources("browser/server/lumbrel.rc", "Lumbrel.dll");
    EXPECT_EQ(resources->String(100), "Lumbrel");
    const auto message = resources->Dialog(108);
    ASSERT_TRUE(message.has_value());
    EXPECT_EQ(message->caption, "Attention:");
    EXPECT_EQ(message->width, 400);
    EXPECT_EQ(message->height, 250);
}

}  // namespace
}  // namespace contract
