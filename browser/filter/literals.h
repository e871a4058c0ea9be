// Required literals: texts of which a match must contain at least one, and one pass over a text
// that finds which of them occur.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "browser/filter/pattern.h"

namespace lumbrel::filter {

struct RequiredLiterals {
    // Folded to lower case. Empty: the pattern requires no literal and can match anywhere.
    std::vector<std::string> anyOf;
    // The pattern is exactly these literals, unanchored: finding one is a match.
    bool isWholePattern = false;
};

RequiredLiterals FindRequiredLiterals(const Pattern& pattern);

// Aho-Corasick over folded bytes, as a dense table over the bytes the literals use.
class LiteralScanner {
  public:
    // Returns the id of the literal, reusing the id of an equal one.
    uint32_t Add(std::string_view literal);
    void Build();
    uint32_t Count() const { return static_cast<uint32_t>(literals_.size()); }

    // The ids of the literals that occur in the text, each once, in order of first occurrence.
    // `seen` is scratch space of one bit per literal.
    void Scan(std::string_view text, std::vector<uint64_t>& seen, std::vector<uint32_t>& ids) const;

  private:
    void Report(uint32_t row, std::vector<uint64_t>& seen, std::vector<uint32_t>& ids) const;

    std::vector<std::string> literals_;
    size_t longest_ = 0;
    std::unordered_map<std::string, uint32_t> ids_;
    std::array<uint16_t, 256> byteClass_{};
    uint32_t classCount_ = 1;
    // Indexed by a state's row (state * classCount_) plus a class; holds the next state's row,
    // with kHasOutput set when that state ends a literal.
    std::vector<uint32_t> next_;
    std::vector<uint32_t> outputs_;     // per state: index into outputList_, or 0 for none
    std::vector<uint32_t> outputList_;  // literal ids, each run ended by ~0u
};

}  // namespace lumbrel::filter
