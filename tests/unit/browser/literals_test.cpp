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

// A crafted image whose edge runs say more than the edge table holds is refused before any
// edge is read: every run's bounds are checked first (AddressSanitizer sees a read past the
// exactly-sized table otherwise).
TEST(LiteralScanner, EdgeRunsPastTheTableAreRefusedBeforeAnyEdgeIsRead) {
    const std::vector<uint32_t> rootChildren(256, 0);
    const std::vector<uint32_t> endsHere = {~0u, ~0u, ~0u};
    const std::vector<uint8_t> starts(LiteralScanner::MarkTableSize(1), 0);
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

}  // namespace
}  // namespace lumbrel::filter
