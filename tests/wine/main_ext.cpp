// Tests of CorvaneExt.dll under Wine, or with --peer ROLE one of their helper processes.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/system.h"

namespace corvane::wine {
int RunExtPeer(platform::System& system, const std::string& role);
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--peer") {
        platform::win32::Win32System system;
        return corvane::wine::RunExtPeer(system.Get(), argv[2]);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
