// The literal scanner finds every literal wherever it lies, across the parts of a long text.
#include <gtest/gtest.h>

#include <algorithm>

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

TEST(LiteralScanner, FindsOverlappingLiteralsInAnyCase) {
    LiteralScanner scanner;
    EXPECT_EQ(scanner.Add("he"), 0u);
    EXPECT_EQ(scanner.Add("she"), 1u);
    EXPECT_EQ(scanner.Add("hers"), 2u);
    EXPECT_EQ(scanner.Add("he"), 0u);
    scanner.Build();
    EXPECT_EQ(Found(scanner, "uSHErs"), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(Found(scanner, "hxe"), (std::vector<uint32_t>{}));
    EXPECT_EQ(Found(scanner, ""), (std::vector<uint32_t>{}));
}

TEST(LiteralScanner, LongTextsAreScannedInPartsWithoutLosingBorders) {
    LiteralScanner scanner;
    scanner.Add("needle-of-16-byt");
    scanner.Add("pin");
    scanner.Build();
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

}  // namespace
}  // namespace lumbrel::filter
