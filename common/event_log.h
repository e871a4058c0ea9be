// What user mode did and when, where administrators look: the system's Application event log
// under Corvane's own source, and a small text file of the user's that corvane-inspect prints
// (some systems, Wine among them, keep no event log). Never a password.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace corvane {

inline constexpr const char* kEventSource = "Corvane";
// The file starts again past this size; the one before it is kept as events.1.log.
inline constexpr uint64_t kEventLogLimit = 64 * 1024;

class EventLog {
  public:
    explicit EventLog(platform::System& system) : system_(system) {}

    // One entry, type from platform::event_type. A line end in the text becomes a blank.
    void Record(uint16_t type, std::string_view text);
    void Note(std::string_view text) { Record(platform::event_type::kInformation, text); }
    void Warn(std::string_view text) { Record(platform::event_type::kWarning, text); }
    void Error(std::string_view text) { Record(platform::event_type::kError, text); }

    // The file's folder and path; empty when the system gives the user no data folder.
    std::string Folder() const;
    std::string FilePath() const;
    std::string OlderFilePath() const;

  private:
    platform::System& system_;
};

// One line of the file: "2026-12-08 09:00:05  warning  text".
std::string EventLine(const platform::LocalTime& time, uint16_t type, std::string_view text);

// The file's last `count` lines, the older copy's first; empty when there is none.
std::vector<std::string> ReadEventLines(platform::System& system, size_t count);

}  // namespace corvane
