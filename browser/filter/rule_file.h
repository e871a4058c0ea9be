// Reading a rule file: 8-bit text, one rule a line, lines ended by LF or CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "browser/filter/rule_image.h"
#include "browser/filter/rule_lines.h"
#include "platform/file_system.h"

namespace lumbrel::filter {

// Cuts a stream of bytes into lines as they arrive; the line ends are not part of the lines.
class LineSplitter {
  public:
    void Feed(std::string_view bytes, RuleLines& lines);
    // The last line, when the file does not end with a line end.
    void Finish(RuleLines& lines);

  private:
    std::string partial_;
};

struct RuleFile {
    RuleLines lines;
    long openError = 0;  // the file could not be opened: no lines
    long readError = 0;  // reading stopped here: the lines before it are kept
    // Of the bytes read; none when the system could not hash them.
    std::optional<SourceId> source;
};

RuleFile ReadRuleFile(platform::FileSystem& files, std::string_view path);

// Only what identifies the file's bytes; none when it cannot be read or hashed.
std::optional<SourceId> HashRuleFile(platform::FileSystem& files, std::string_view path);

}  // namespace lumbrel::filter
