// What the shell answers when asked to open a file: the administrator's shortcuts and the rule
// files' edit buttons report a failure by these numbers.
#include "platform/text.h"
#include "tests/contract/fixture.h"

namespace contract {
namespace {

using ShellContract = Contract;

TEST_F(ShellContract, OpeningAFileAnswersByWhetherItIsThereAndOfAKnownKind) {
    const std::string folder = env->ScratchFolder();
    EXPECT_EQ(sys.processes.ShellExecute("open", folder + "\\missing.txt", "", "",
                                         platform::sw::kShowNormal),
              2);  // SE_ERR_FNF
    env->PutFile(folder + "\\rules.corvane-unknown-kind", "+all\n");
    EXPECT_EQ(sys.processes.ShellExecute("open", folder + "\\rules.corvane-unknown-kind", "", "",
                                         platform::sw::kShowNormal),
              31);  // SE_ERR_NOASSOC
    // A program runs: an instance value above 32. The peer exits at once.
    EXPECT_GT(sys.processes.ShellExecute("", env->PeerProgram(), "--peer none x", "",
                                         platform::sw::kShowNormal),
              32);
}

TEST_F(ShellContract, AShortcutReadsAsItsTargetAndArgumentsAndAnythingElseAsNothing) {
    const std::string folder = env->ScratchFolder();
    const std::string program = env->PeerProgram();
    env->PutShortcut(folder + "\\Kiosk.lnk", program, "--peer none \"a b\"");
    const auto target = sys.processes.ResolveShortcut(folder + "\\Kiosk.lnk");
    ASSERT_TRUE(target.has_value());
    EXPECT_TRUE(platform::EqualsIgnoreAsciiCase(target->path, program)) << target->path;
    EXPECT_EQ(target->arguments, "--peer none \"a b\"");

    EXPECT_FALSE(sys.processes.ResolveShortcut(folder + "\\missing.lnk").has_value());
    env->PutFile(folder + "\\garbage.lnk", std::string(300, '\x7f'));
    EXPECT_FALSE(sys.processes.ResolveShortcut(folder + "\\garbage.lnk").has_value());
}

}  // namespace
}  // namespace contract
