#include "browser/filter/rule_file.h"

namespace lumbrel::filter {

void LineSplitter::Feed(std::string_view bytes, std::vector<std::string>& lines) {
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            partial_.append(bytes);
            return;
        }
        partial_.append(bytes.substr(0, end));
        if (!partial_.empty() && partial_.back() == '\r') {
            partial_.pop_back();
        }
        lines.push_back(std::move(partial_));
        partial_.clear();
        bytes.remove_prefix(end + 1);
    }
}

void LineSplitter::Finish(std::vector<std::string>& lines) {
    if (!partial_.empty()) {
        lines.push_back(std::move(partial_));
        partial_.clear();
    }
}

RuleFile ReadRuleFile(platform::FileSystem& files, std::string_view path) {
    RuleFile result;
    std::unique_ptr<platform::InputFile> file;
    result.openError = files.OpenForReading(path, file);
    if (result.openError != 0) {
        return result;
    }
    LineSplitter splitter;
    std::string buffer(64 * 1024, '\0');
    while (true) {
        size_t read = 0;
        result.readError = file->Read(buffer.data(), buffer.size(), read);
        if (result.readError != 0 || read == 0) {
            break;
        }
        splitter.Feed(std::string_view(buffer.data(), read), result.lines);
    }
    // A line cut by a read error is not a whole rule: leave it out.
    if (result.readError == 0) {
        splitter.Finish(result.lines);
    }
    return result;
}

}  // namespace lumbrel::filter
