#include "browser/filter/rule_file.h"

namespace lumbrel::filter {

void LineSplitter::Feed(std::string_view bytes, RuleLines& lines) {
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            partial_.append(bytes);
            return;
        }
        std::string_view line = bytes.substr(0, end);
        if (!partial_.empty()) {
            partial_.append(line);
            line = partial_;
        }
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        partial_.clear();
        bytes.remove_prefix(end + 1);
    }
}

void LineSplitter::Finish(RuleLines& lines) {
    if (!partial_.empty()) {
        lines.push_back(partial_);
        partial_.clear();
    }
}

RuleFile ReadRuleFile(platform::FileSystem& files, std::string_view path) {
    RuleFile result;
    LineSplitter splitter;
    SourceHasher hasher;
    const long error =
        platform::ReadFileInPieces(files, path, result.openError, [&](std::string_view bytes) {
            hasher.Update(bytes);
            splitter.Feed(bytes, result.lines);
        });
    if (result.openError != 0) {
        return result;
    }
    result.readError = error;
    // A line cut by a read error is not a whole rule: leave it out. Only a whole file has an
    // identity an image may be named by.
    if (result.readError == 0) {
        splitter.Finish(result.lines);
        result.source = hasher.Finish();
    }
    return result;
}

std::optional<SourceId> HashRuleFile(platform::FileSystem& files, std::string_view path) {
    long openError = 0;
    SourceHasher hasher;
    if (platform::ReadFileInPieces(files, path, openError,
                                   [&](std::string_view bytes) { hasher.Update(bytes); }) != 0) {
        return std::nullopt;
    }
    return hasher.Finish();
}

}  // namespace lumbrel::filter
