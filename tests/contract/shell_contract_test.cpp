// What the shell answers when asked to open a file: the administrator's shortcuts and the rule
// files' edit buttons report a failure by these numbers.
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

}  // namespace
}  // namespace contract
