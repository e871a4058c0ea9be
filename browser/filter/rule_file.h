// Reading a rule file: 8-bit text, one rule a line, lines ended by LF or CR LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace lumbrel::filter {

// Cuts a stream of bytes into lines as they arrive; the line ends are not part of the lines.
class LineSplitter {
  public:
    void Feed(std::string_view bytes, std::vector<std::string>& lines);
    // The last line, when the file does not end with a line end.
    void Finish(std::vector<std::string>& lines);

  private:
    std::string partial_;
};

struct RuleFile {
    std::vector<std::string> lines;
    long openError = 0;  // the file could not be opened: no lines
    long readError = 0;  // reading stopped here: the lines before it are kept
};

RuleFile ReadRuleFile(platform::FileSystem& files, std::string_view path);

}  // namespace lumbrel::filter
