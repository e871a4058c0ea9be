#include "common/event_log.h"

#include <cstdio>
#include <memory>

namespace corvane {

namespace {

const char* TypeName(uint16_t type) {
    switch (type) {
        case platform::event_type::kError:
            return "error";
        case platform::event_type::kWarning:
            return "warning";
        default:
            return "information";
    }
}

std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        c = c == '\r' || c == '\n' ? ' ' : c;
    }
    return line;
}

// Every line of a file, or none when it cannot be read.
std::vector<std::string> Lines(platform::FileSystem& files, const std::string& path) {
    std::vector<std::string> lines;
    std::string text;
    if (path.empty() || platform::ReadWholeFile(files, path, text) != 0) {
        return lines;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

}  // namespace

std::string EventLine(const platform::LocalTime& t, uint16_t type, std::string_view text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return std::string(stamp) + "  " + TypeName(type) + "  " + OneLine(text);
}

std::string EventLog::Folder() const {
    const std::string base = system_.files.UserDataFolder();
    return base.empty() ? std::string() : base + "\\Corvane";
}

std::string EventLog::FilePath() const {
    const std::string folder = Folder();
    return folder.empty() ? std::string() : folder + "\\events.log";
}

std::string EventLog::OlderFilePath() const {
    const std::string folder = Folder();
    return folder.empty() ? std::string() : folder + "\\events.1.log";
}

void EventLog::Record(uint16_t type, std::string_view text) {
    system_.processes.ReportToEventLog(kEventSource, type, OneLine(text));
    const std::string path = FilePath();
    if (path.empty()) {
        return;
    }
    system_.files.CreateFolder(Folder());  // there already, mostly
    if (const auto size = system_.files.FileSize(path); size && *size >= kEventLogLimit) {
        system_.files.MoveReplacing(path, OlderFilePath());
    }
    system_.files.AppendToFile(path, EventLine(system_.processes.Now(), type, text) + "\r\n");
}

std::vector<std::string> ReadEventLines(platform::System& system, size_t count) {
    const EventLog log(system);
    std::vector<std::string> lines = Lines(system.files, log.OlderFilePath());
    const std::vector<std::string> newer = Lines(system.files, log.FilePath());
    lines.insert(lines.end(), newer.begin(), newer.end());
    if (lines.size() > count) {
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(count));
    }
    return lines;
}

}  // namespace corvane
