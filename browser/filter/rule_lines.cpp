#include "browser/filter/rule_lines.h"

#include <new>
#include <stdexcept>

namespace lumbrel::filter {

RuleLines::RuleLines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        push_back(line);
    }
}

RuleLines::RuleLines(std::string_view text, std::span<const uint32_t> starts,
                     std::shared_ptr<const void> keep)
    : keptText_(text), keptStarts_(starts), keep_(std::move(keep)), kept_(true) {}

void RuleLines::push_back(std::string_view line) {
    if (kept_) {
        throw std::logic_error("lines kept elsewhere cannot grow");
    }
    if (ownStarts_.empty()) {
        ownStarts_.push_back(0);
    }
    if (line.size() > UINT32_MAX - ownText_.size()) {
        throw std::bad_alloc();  // past what a start can say
    }
    ownText_.append(line);
    ownStarts_.push_back(static_cast<uint32_t>(ownText_.size()));
}

std::vector<std::string> RuleLines::ToVector() const {
    std::vector<std::string> lines;
    lines.reserve(size());
    for (size_t i = 0; i < size(); ++i) {
        lines.emplace_back((*this)[i]);
    }
    return lines;
}

}  // namespace lumbrel::filter
