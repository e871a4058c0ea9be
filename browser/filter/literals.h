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

#include "browser/filter/gather_scan.h"
#include "browser/filter/nibble_scan.h"
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
    uint32_t count = 0;   // literals; none of the spans is used when 0
    uint32_t width = 0;   // bytes of a beginning: 1 to 4
    uint32_t stride = 1;  // the gathered scan tests every stride-th position (see StrideFor)
    // The trie over folded bytes: the root's children in full (0: none), every other state's
    // children as a run of (byte, child) edges sorted by byte.
    std::span<const uint32_t> rootChildren;  // 256
    std::span<const uint32_t> firstEdge;     // per state, and one past the last
    std::span<const uint8_t> edgeBytes;
    std::span<const uint32_t> edgeTargets;
    std::span<const uint32_t> endsHere;    // per state: the literal that ends there, or ~0u
    std::span<const uint8_t> starts;       // a mark per beginning
    std::span<const uint8_t> startsAgain;  // the same by a second hash, for wide beginnings
    // The vector scans' marks, in bits: of the windows at each of a literal's first `stride`
    // offsets (which a gather tests), and of its first window by a second hash (which their
    // candidates are confirmed by, in a table as small as the first).
    std::span<const uint32_t> gathered;
    std::span<const uint32_t> gatheredAgain;
    // Nibble tables of the literals' first `width` bytes, for a small set (else empty).
    std::span<const uint8_t> nibbles;
};

// Texts shorter than this are scanned without vectors: a few rounds would not pay for starting.
inline constexpr size_t kMinVectorText = 256;
// Sets of up to this many literals are scanned by nibble tables where the processor can.
inline constexpr uint32_t kMaxNibbleScanLiterals = 128;
// Where gathers are there too, the nibble tables are faster for up to this many literals when
// the gathered scan must test every position or every other (word_list_bench, filter_bench).
inline constexpr uint32_t kNibblesBeforeGathers = 24;

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
    uint32_t stride_ = 1;
    std::vector<uint32_t> rootChildren_;
    std::vector<uint32_t> firstEdge_;
    std::vector<uint8_t> edgeBytes_;
    std::vector<uint32_t> edgeTargets_;
    std::vector<uint32_t> endsHere_;
    std::vector<uint8_t> starts_;
    std::vector<uint8_t> startsAgain_;
    std::vector<uint32_t> gathered_;
    std::vector<uint32_t> gatheredAgain_;
    std::vector<uint8_t> nibbles_;
};

// Told of each literal as a scan first finds it.
class ScanWatch {
  public:
    // True: nothing more needs finding, and the scan ends here.
    virtual bool Found(uint32_t id) = 0;

  protected:
    ~ScanWatch() = default;
};

// Finds which of many literals occur in a text, in one pass. Most positions are passed over
// after a test of the first bytes there (up to four, fewer when a literal is shorter): for a
// small set by nibble tables, 16 to 64 positions at a time; for a large one by a table of the
// literals' beginnings, eight at a time by a gather or four from one load where there are no
// vectors. From the few other positions a trie of the literals is walked. Memory grows with
// the literals' total length, never with the text, which is never copied. The scanner only
// reads its tables, which must outlive it.
class LiteralScanner {
  public:
    LiteralScanner() = default;
    // `vectors`: the widest vector scan to use; the processor's best unless a test says.
    explicit LiteralScanner(const ScannerTables& tables, VectorScan vectors = BestVectorScan());
    uint32_t Count() const { return tables_.count; }

    // The ids of the literals that occur in the text, each once; with a watch, those found
    // before it ended the scan. `seen` is scratch space of one bit per literal.
    void Scan(std::string_view text, std::vector<uint64_t>& seen, std::vector<uint32_t>& ids,
              ScanWatch* watch = nullptr) const;

  private:
    // One scan's text and findings. Add returns true when the watch ends the scan.
    struct Pass {
        std::string_view text;
        std::vector<uint64_t>& seen;
        std::vector<uint32_t>& ids;
        ScanWatch* watch;
        uint32_t count;  // of literals
        bool stopped = false;
        bool Add(uint32_t id);
    };
    // Each returns true when the scan is to end.
    bool VerifyFrom(size_t at, Pass& pass) const;
    // Each candidate tells of literals that may start there or up to `reach - 1` bytes before.
    bool VerifyCandidates(std::span<const size_t> candidates, uint32_t reach, Pass& pass) const;
    template <typename Find>
    size_t ScanByVectors(Find find, uint32_t reach, Pass& pass) const;
    uint32_t Child(uint32_t state, uint8_t folded) const;

    // Whether a vector scan's candidate window is marked in both tables of bits, where it is
    // wide enough to have two.
    bool Gathered(uint32_t window) const {
        return IsGathered(tables_.gathered, GatheredMarks::First(window, tables_.width)) &&
               (tables_.width <= 2 ||
                IsGathered(tables_.gatheredAgain, GatheredMarks::Second(window)));
    }

    ScannerTables tables_;
    // The vector scan chosen for these tables and this processor, if any: by nibble tables for a
    // small set, else by gathers.
    NibbleKernel nibbleKernel_ = nullptr;
    MarkedKernel markedKernel_ = nullptr;
    std::array<uint8_t, 256> fold_{};
};

}  // namespace lumbrel::filter
