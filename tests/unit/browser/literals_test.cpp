// The literal scanner finds every literal wherever it lies, across the parts of a long text.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "browser/filter/literals.h"

namespace lumbrel::filter {
namespace {

std::vector<uint32_t> Found(const LiteralScanner& scanner, std::string_view text) {
    std::vector<uint64_t> seen;
    std::vector<uint32_t> ids;
    scanner.Scan(text, seen, ids);
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Every scan this processor runs, the plain one first.
std::vector<VectorScan> ScansHere() {
    std::vector<VectorScan> scans;
    for (const VectorScan scan :
         {VectorScan::None, VectorScan::Ssse3, VectorScan::Avx2, VectorScan::Avx512}) {
        if (scan <= BestVectorScan()) {
            scans.push_back(scan);
        }
    }
    return scans;
}

// A crafted image whose edge runs say more than the edge table holds is refused before any
// edge is read: every run's bounds are checked first (AddressSanitizer sees a read past the
// exactly-sized table otherwise).
TEST(LiteralScanner, EdgeRunsPastTheTableAreRefusedBeforeAnyEdgeIsRead) {
    const std::vector<uint32_t> rootChildren(256, 0);
    const std::vector<uint32_t> endsHere = {~0u, ~0u, ~0u};
    const std::vector<uint8_t> starts(ByteMarks::Count(1), 0);
    const std::vector<uint32_t> gathered(GatheredTableWords(1), 0);
    const std::unique_ptr<uint8_t[]> edgeBytes(new uint8_t[4]{1, 2, 3, 4});  // ascending to the end
    const std::vector<uint32_t> edgeTargets = {0, 0, 0, 0};
    const std::vector<uint32_t> firstEdge = {0, 0, 100, 4};  // state 1's run ends at 100 of 4
    ScannerTables tables;
    tables.count = 1;
    tables.width = 1;
    tables.rootChildren = rootChildren;
    tables.firstEdge = firstEdge;
    tables.edgeBytes = std::span<const uint8_t>(edgeBytes.get(), 4);
    tables.edgeTargets = edgeTargets;
    tables.endsHere = endsHere;
    tables.starts = starts;
    tables.gathered = gathered;
    EXPECT_FALSE(ScannerTablesAreSound(tables));
}

TEST(LiteralScanner, FindsOverlappingLiteralsInAnyCase) {
    LiteralScannerBuilder builder;
    EXPECT_EQ(builder.Add("he"), 0u);
    EXPECT_EQ(builder.Add("she"), 1u);
    EXPECT_EQ(builder.Add("hers"), 2u);
    EXPECT_EQ(builder.Add("he"), 0u);
    builder.Build();
    ASSERT_TRUE(ScannerTablesAreSound(builder.Tables()));
    const LiteralScanner scanner(builder.Tables());
    EXPECT_EQ(Found(scanner, "uSHErs"), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(Found(scanner, "hxe"), (std::vector<uint32_t>{}));
    EXPECT_EQ(Found(scanner, ""), (std::vector<uint32_t>{}));
    LiteralScannerBuilder withEmpty;
    withEmpty.Add("");
    withEmpty.Add("x");
    withEmpty.Build();
    EXPECT_EQ(Found(LiteralScanner(withEmpty.Tables()), "ab"), (std::vector<uint32_t>{0}));
}

TEST(LiteralScanner, LongTextsAreScannedInPartsWithoutLosingBorders) {
    LiteralScannerBuilder builder;
    builder.Add("needle-of-16-byt");
    builder.Add("pin");
    builder.Add("zq");  // a two-character literal: the scan walks the whole automaton
    builder.Build();
    const LiteralScanner scanner(builder.Tables());
    for (const size_t size : {size_t(40000), size_t(100)}) {  // four walks, then two
        for (const size_t border : {size / 4, size / 2, 3 * size / 4, size - 16, size_t(0)}) {
            for (size_t shift = 0; shift < 20; ++shift) {
                const size_t at = border >= 10 ? border - 10 + shift : shift;
                std::string text(size, 'x');
                text.replace(at, 16, "NEEDLE-of-16-byt");
                EXPECT_EQ(Found(scanner, text), (std::vector<uint32_t>{0})) << "at " << at;
            }
        }
    }
    std::string tail(5000, 'y');
    tail += "pin";
    EXPECT_EQ(Found(scanner, tail), (std::vector<uint32_t>{1}));
}

// Every literal found exactly where a plain search finds it, whichever scan the literal set
// takes: by starts of three or four characters, or the whole automaton.
TEST(LiteralScanner, EveryScanFindsWhatAPlainSearchFinds) {
    std::mt19937 random(77);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    // Letters of both cases, bytes above 0x7F (which never fold), and pairs that differ in
    // bit 5 alone but are not letters.
    const std::string alphabet = "abcdeABCDE\xE9\xC9\x80@`[{ 12";
    for (int round = 0; round < 300; ++round) {
        const int shortest = pick(1, 5);
        LiteralScannerBuilder builder;
        std::vector<std::string> literals;
        for (int l = pick(1, 60); l > 0; --l) {
            std::string literal;
            for (int c = pick(shortest, shortest + 4); c > 0; --c) {
                literal += alphabet[static_cast<size_t>(pick(0, 12))];
            }
            literal = FoldText(literal);
            if (builder.Add(literal) == literals.size()) {
                literals.push_back(literal);
            }
        }
        builder.Build();
        ASSERT_TRUE(ScannerTablesAreSound(builder.Tables()));
        const LiteralScanner scanner(builder.Tables());
        for (int t = 0; t < 5; ++t) {
            std::string text;
            for (int c = pick(0, 300); c > 0; --c) {
                text +=
                    alphabet[static_cast<size_t>(pick(0, static_cast<int>(alphabet.size()) - 1))];
            }
            std::vector<uint32_t> expected;
            for (uint32_t id = 0; id < literals.size(); ++id) {
                if (FoldText(text).find(literals[id]) != std::string::npos) {
                    expected.push_back(id);
                }
            }
            ASSERT_EQ(Found(scanner, text), expected) << "text [" << text << "]";
        }
    }
}

// Sets of every size around where the scan changes (nibble tables in one, two or four groups,
// gathers testing every first to fourth position, the plain scan), literals of 1 to 64 bytes
// that overlap and nest, and texts of lengths around every vector's width and round: each
// vector scan finds exactly what a plain search finds.
TEST(LiteralScanner, EveryVectorScanFindsWhatAPlainSearchFinds) {
    std::mt19937 random(2612);
    const auto pick = [&](size_t low, size_t high) {
        return std::uniform_int_distribution<size_t>(low, high)(random);
    };
    // Texts always hold bytes over 0x7F; literals hold them in one round and not in the other,
    // whose nibble tables then test only that the bytes after the first are ASCII.
    const std::string alphabet = "abcABC\xE9\xC9@` <>1";
    const std::string asciiAlphabet = "abcABC@` <>1";
    const auto randomText = [&](size_t length, const std::string& letters) {
        std::string text;
        for (size_t c = 0; c < length; ++c) {
            text += letters[pick(0, letters.size() - 1)];
        }
        return text;
    };
    // Short texts are scanned plainly; from kMinVectorText on, every width and round ends.
    std::vector<size_t> lengths = {0, 1, 3, 17, kMinVectorText - 1, 5000};
    for (const size_t over : {0,  1,  15, 16, 17,  31,  32,  33,  47,  48,  63, 64,
                              65, 95, 96, 97, 127, 128, 129, 143, 191, 192, 193}) {
        lengths.push_back(kMinVectorText + over);
    }
    const std::pair<size_t, size_t> literalLengths[] = {{1, 3}, {2, 6}, {4, 9}, {5, 12}, {7, 64}};
    const size_t counts[] = {1, 3, 24, 25, 64, 65, 128, 129, 300};
    const std::vector<VectorScan> scans = ScansHere();
    for (const size_t count : counts) {
        for (const auto& [shortest, longest] : literalLengths) {
            const std::string& letters = pick(0, 1) == 0 ? alphabet : asciiAlphabet;
            LiteralScannerBuilder builder;
            std::vector<std::string> literals;
            while (literals.size() < count) {
                std::string literal = FoldText(randomText(pick(shortest, longest), letters));
                if (!literals.empty() && pick(0, 3) == 0) {  // nested in, or grown from, another
                    const std::string& other = literals[pick(0, literals.size() - 1)];
                    literal = other.size() > shortest && pick(0, 1) == 0
                                  ? other.substr(pick(0, other.size() - shortest), shortest)
                                  : other + literal.substr(0, 1);
                    literal = literal.substr(0, longest);
                }
                if (builder.Add(literal) == literals.size()) {
                    literals.push_back(literal);
                }
            }
            builder.Build();
            ASSERT_TRUE(ScannerTablesAreSound(builder.Tables()));
            for (const size_t length : lengths) {
                std::string text = randomText(length, alphabet);
                for (size_t put = pick(0, 3); put > 0 && length > 0; --put) {  // real hits too
                    const std::string& literal = literals[pick(0, literals.size() - 1)];
                    const size_t at = pick(0, length - 1);
                    text.replace(at, std::min(literal.size(), length - at), literal);
                }
                std::vector<uint32_t> expected;
                for (uint32_t id = 0; id < literals.size(); ++id) {
                    if (FoldText(text).find(literals[id]) != std::string::npos) {
                        expected.push_back(id);
                    }
                }
                for (const VectorScan scan : scans) {
                    ASSERT_EQ(Found(LiteralScanner(builder.Tables(), scan), text), expected)
                        << "scan " << int(scan) << ", " << count << " literals of " << shortest
                        << " to " << longest << " bytes, text [" << text << "]";
                }
            }
        }
    }
}

// A watch that says nothing more is needed ends the scan at once: later literals are not
// looked for (and not reported), in every scan.
TEST(LiteralScanner, AWatchEndsTheScan) {
    struct StopAtFirst final : ScanWatch {
        int calls = 0;
        bool Found(uint32_t) override { return ++calls == 1; }
    };
    for (const size_t count : {size_t(2), size_t(200)}) {  // nibble tables; gathers
        LiteralScannerBuilder builder;
        builder.Add("first");
        for (size_t k = 1; k < count; ++k) {
            builder.Add("other" + std::to_string(k));
        }
        builder.Build();
        const std::string text = std::string(300, '.') + "first" + std::string(3000, '.') +
                                 "other1" + std::string(300, '.');
        for (const VectorScan scan : ScansHere()) {
            StopAtFirst watch;
            std::vector<uint64_t> seen;
            std::vector<uint32_t> ids;
            LiteralScanner(builder.Tables(), scan).Scan(text, seen, ids, &watch);
            EXPECT_EQ(ids, (std::vector<uint32_t>{0})) << "scan " << int(scan);
            EXPECT_EQ(watch.calls, 1);
            EXPECT_EQ(Found(LiteralScanner(builder.Tables(), scan), text),
                      (std::vector<uint32_t>{0, 1}));
        }
    }
}

}  // namespace
}  // namespace lumbrel::filter
