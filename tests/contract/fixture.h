#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/constants.h"
#include "tests/contract/contract_env.h"

namespace contract {

class Contract : public testing::Test {
  protected:
    void TearDown() override { env->CheckClean(); }

    // A name no other test or earlier run uses, for keys, mutexes and messages.
    std::string Unique(const std::string& base) const {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        return base + "-" + info->name() + "-" + std::to_string(sys.processes.CurrentProcessId());
    }

    std::unique_ptr<Env> env = MakeEnv();
    platform::System& sys = env->Self();
};

}  // namespace contract
