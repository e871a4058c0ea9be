// Runs the contract tests, or, with --peer ROLE ARG, the peer side of one of them.
#include <gtest/gtest.h>

#include <string>

#include "tests/contract/contract_env.h"

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "--peer") {
        auto env = contract::MakeEnv();
        return contract::RunPeer(env->Self(), argv[2], argv[3]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
