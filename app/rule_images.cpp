#include "app/rule_images.h"

#include "browser/filter/rule_store.h"

namespace corvane {

std::vector<std::string> CompileRuleImages(platform::System& system, EventLog& log,
                                           const LumbrelSettings& settings,
                                           std::string_view programPath) {
    std::vector<std::string> failed;
    const std::string folder = lumbrel::filter::ImageFolderOf(programPath);
    if (folder.empty()) {
        return failed;
    }
    std::vector<std::string> images;
    const auto compile = [&](int on, const std::string& path) {
        if (on == 0 || path.empty()) {
            return;
        }
        const lumbrel::filter::StoredImage stored =
            lumbrel::filter::StoreRuleImage(system.files, path, folder);
        if (stored.error != 0) {
            failed.push_back(path);
            log.Warn("the rule file " + path + " could not be compiled for the browser (" +
                     (stored.readFile ? "reading it: " : "writing " + stored.path + ": ") +
                     system.files.DescribeError(stored.error) + ")");
            return;
        }
        images.push_back(stored.path);
        if (stored.written) {
            log.Note("the rule file " + path + " was compiled for the browser into " + stored.path);
        }
    };
    compile(settings.filterURLs, settings.filterURLFile);
    compile(settings.filterContent, settings.contentFile);
    lumbrel::filter::PruneRuleImages(system.files, folder, images);
    return failed;
}

}  // namespace corvane
