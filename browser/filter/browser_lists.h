// A URL rule file turned into the block and allow lists that Edge and Chrome read, or into
// nothing.
//
// The browsers' lists match by scheme, host (with or without its subdomains), port and path
// prefix, and have no order: the filter with the longest host wins, then the longest path,
// and an allow filter wins a tie. A file is translated only when, for every address as the
// browsers write it (lower-case scheme and host, no default port, a path from "/"), the lists
// never allow what the rule file refuses: each refusing line becomes a filter that covers at
// least what the line matches, each allowing line one that covers at most what it matches, and
// an allowing line is only taken when every refusing line before it that shares addresses with
// it wins over it in the browsers' order. Any other file gives no lists at all.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "browser/filter/rule_lines.h"

namespace lumbrel::filter {

// Each browser takes at most this many filters per list and ignores the rest.
inline constexpr size_t kBrowserListLimit = 1000;

struct BrowserUrlLists {
    std::vector<std::string> blocklist;
    std::vector<std::string> allowlist;
};

struct UntranslatableLine {
    size_t line;         // index into the file's lines
    std::string reason;  // why the browsers' lists cannot express it
};

struct BrowserTranslation {
    std::optional<BrowserUrlLists> lists;     // none when any line prevents it
    std::vector<UntranslatableLine> refused;  // every line that prevents it, in file order
};

// `blocklistRoom` is what the blocklist may hold, less what else goes in it.
BrowserTranslation TranslateForBrowsers(const RuleLines& lines,
                                        size_t blocklistRoom = kBrowserListLimit);

}  // namespace lumbrel::filter
