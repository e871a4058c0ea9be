// Integration tests of the real deliverables under Wine. Usage: wine_tests CORVANE_EXE
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/wine/corvane_process.h"

namespace corvane::wine {

std::string& CorvaneExe() {
    static std::string path;
    return path;
}

}  // namespace corvane::wine

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: wine_tests CORVANE_EXE\n");
        return 2;
    }
    // CTest hands over a Unix path: Wine sees the root as drive Z.
    std::string path = argv[1];
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
    }
    corvane::wine::CorvaneExe() = path;
    return RUN_ALL_TESTS();
}
