// Required literals: texts of which a match must contain at least one, and one pass over a text
// that finds which of them occur.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
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

// The tables of a literal scanner: built by a LiteralScannerBuilder, or read from a compiled
// image. Every index in them stays inside them (ScannerTablesAreSound checks that).
struct ScannerTables {
    uint32_t count = 0;  // literals; none of the spans is used when 0
    uint32_t width = 0;  // bytes of a beginning: 1 to 4
    // The trie over folded bytes: the root's children in full (0: none), every other state's
    // children as a run of (byte, child) edges sorted by byte.
    std::span<const uint32_t> rootChildren;  // 256
    std::span<const uint32_t> firstEdge;     // per state, and one past the last
    std::span<const uint8_t> edgeBytes;
    std::span<const uint32_t> edgeTargets;
    std::span<const uint32_t> endsHere;    // per state: the literal that ends there, or ~0u
    std::span<const uint8_t> starts;       // a mark per beginning
    std::span<const uint8_t> startsAgain;  // the same by a second hash, for wide beginnings
};

// Whether the tables are what a builder makes: sizes that agree, indexes in range, edges in
// byte order. A scanner over tables that pass reads nothing outside them.
bool ScannerTablesAreSound(const ScannerTables& tables);

// Collects literals and builds the scanner's tables.
class LiteralScannerBuilder {
  public:
    LiteralScannerBuilder() = default;
    LiteralScannerBuilder(const LiteralScannerBuilder&) = delete;  // Tables() points into it
    LiteralScannerBuilder& operator=(const LiteralScannerBuilder&) = delete;

    // Returns the id of the literal, reusing the id of an equal one. Not after Build.
    uint32_t Add(std::string_view literal);
    void Build();
    uint32_t Count() const { return count_; }
    // After Build; valid while the builder lives.
    ScannerTables Tables() const;

  private:
    // The literals, folded, one after another in one buffer; each id's place in it; and an
    // open-addressing table of ids by the literal's hash (0: empty, else id + 1). A long list
    // adds hundreds of thousands of literals: no allocation per literal.
    struct Place {
        uint32_t offset;
        uint32_t length;
    };
    std::string_view Literal(uint32_t id) const {
        return {arena_.data() + places_[id].offset, places_[id].length};
    }
    void GrowSlots();
    std::string arena_;
    std::vector<Place> places_;
    std::vector<uint32_t> slots_;
    uint32_t count_ = 0;

    uint32_t width_ = 0;
    std::vector<uint32_t> rootChildren_;
    std::vector<uint32_t> firstEdge_;
    std::vector<uint8_t> edgeBytes_;
    std::vector<uint32_t> edgeTargets_;
    std::vector<uint32_t> endsHere_;
    std::vector<uint8_t> starts_;
    std::vector<uint8_t> startsAgain_;
};

// Finds which of many literals occur in a text, in one pass. Most positions are passed over
// after one test of the first bytes there (three or four, fewer when a literal is shorter)
// against a table of the literals' beginnings; from the few others, a trie of the literals is
// walked. Memory grows with the literals' total length, never with the text. The scanner only
// reads its tables, which must outlive it.
class LiteralScanner {
  public:
    LiteralScanner() = default;
    explicit LiteralScanner(const ScannerTables& tables);
    uint32_t Count() const { return tables_.count; }

    // The ids of the literals that occur in the text, each once.
    // `seen` is scratch space of one bit per literal.
    void Scan(std::string_view text, std::vector<uint64_t>& seen, std::vector<uint32_t>& ids) const;

    // The first `width` bytes at `at`, with bit 5 set in each: A to Z fold onto a to z, and so
    // do the bytes of any other pair that differ in bit 5 alone (a coarser test, never a lost
    // literal).
    static uint32_t Window(const uint8_t* at, uint32_t width) {
        uint32_t word = 0;
        for (uint32_t k = 0; k < width; ++k) {
            word |= uint32_t(at[k]) << (8 * k);
        }
        return (word | 0x20202020u) & WindowMask(width);
    }
    static uint32_t WindowMask(uint32_t width) {
        return width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
    }
    // Where a window's mark is: the window itself when it has two bytes or fewer, else a hash;
    // wide windows are marked twice, by two hashes, each in its own table.
    static uint32_t Mark(uint32_t window, uint32_t width) {
        return width <= 2 ? window : (window * 0x9E3779B1u) >> 17;
    }
    static uint32_t SecondMark(uint32_t window) { return (window * 0x85EBCA6Bu + 7) >> 17; }
    static size_t MarkTableSize(uint32_t width) {
        return width <= 2 ? size_t(1) << (8 * width) : 32768;
    }

  private:
    void VerifyFrom(size_t at, std::string_view text, std::vector<uint64_t>& seen,
                    std::vector<uint32_t>& ids) const;
    uint32_t Child(uint32_t state, uint8_t folded) const;

    ScannerTables tables_;
    std::array<uint8_t, 256> fold_{};
};

}  // namespace lumbrel::filter
