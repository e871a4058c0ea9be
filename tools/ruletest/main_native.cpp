// lumbrel-ruletest on the host.
#include <iostream>

#include "platform/host/host_files.h"
#include "tools/ruletest/ruletest.h"

int main(int argc, char** argv) {
    platform::host::HostFiles files;
    return lumbrel::tools::RunRuleTester({argv + 1, argv + argc}, files, std::cin, std::cout,
                                         std::cerr);
}
