// corvane-admx HTMLPAGE FOLDER: writes FOLDER\Corvane.admx and FOLDER\en-US\Corvane.adml. Runs at
// build time on the build machine.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/admx/admx.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "Usage: corvane-admx CONFIGURATION-PAGE OUTPUT-FOLDER\n";
        return 2;
    }
    std::ifstream page(argv[1], std::ios::binary);
    if (!page) {
        std::cerr << "corvane-admx: cannot read " << argv[1] << "\n";
        return 2;
    }
    std::ostringstream html;
    html << page.rdbuf();
    const auto templates = corvane::admx::MakeTemplates(corvane::SettingCatalog(),
                                                        corvane::admx::PageLabels(html.str()));
    const std::filesystem::path folder(argv[2]);
    std::error_code error;
    std::filesystem::create_directories(folder / "en-US", error);
    std::ofstream admx(folder / "Corvane.admx", std::ios::binary);
    std::ofstream adml(folder / "en-US" / "Corvane.adml", std::ios::binary);
    admx << templates.admx;
    adml << templates.adml;
    if (!admx.flush() || !adml.flush()) {
        std::cerr << "corvane-admx: cannot write into " << argv[2] << "\n";
        return 2;
    }
    return 0;
}
