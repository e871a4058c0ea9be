// The lines of a rule file, one after another in one buffer without their line ends: the lines
// as read from the file, or as a compiled image holds them. No allocation per line.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumbrel::filter {

class RuleLines {
  public:
    RuleLines() = default;
    explicit RuleLines(const std::vector<std::string>& lines);
    // Lines kept elsewhere: line i is text[starts[i], starts[i + 1]). `keep` holds what they
    // live in. The caller has checked that the starts rise and stay inside the text.
    RuleLines(std::string_view text, std::span<const uint32_t> starts,
              std::shared_ptr<const void> keep);

    // Not on lines kept elsewhere. Throws std::bad_alloc past 4 GB of text.
    void push_back(std::string_view line);

    size_t size() const { return Starts().empty() ? 0 : Starts().size() - 1; }
    bool empty() const { return size() == 0; }
    std::string_view operator[](size_t i) const {
        const auto starts = Starts();
        return Text().substr(starts[i], starts[i + 1] - starts[i]);
    }
    std::vector<std::string> ToVector() const;

    std::string_view Text() const { return kept_ ? keptText_ : std::string_view(ownText_); }
    std::span<const uint32_t> Starts() const {
        return kept_ ? keptStarts_ : std::span<const uint32_t>(ownStarts_);
    }

  private:
    std::string ownText_;
    std::vector<uint32_t> ownStarts_;
    std::string_view keptText_;
    std::span<const uint32_t> keptStarts_;
    std::shared_ptr<const void> keep_;
    bool kept_ = false;  // the lines are kept elsewhere
};

}  // namespace lumbrel::filter
