// Where any of a large set of literals may begin: a mark per beginning of its first one to four
// bytes, looked up one position at a time in a table of bytes, or eight at once by a gather in
// a finer table of bits.
//
// A window is the first `width` bytes at a position with bit 5 set in each: A to Z fold onto a
// to z, and so do the bytes of any other pair that differ in bit 5 alone (a coarser test, never
// a lost literal). A window of one or two bytes is its own mark; a wider one is hashed, and
// marked again by a second hash in a table of its own, which the caller tests.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "browser/filter/vector_scan.h"

namespace lumbrel::filter {

inline uint32_t WindowMask(uint32_t width) {
    return width >= 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
}

inline uint32_t Window(const uint8_t* at, uint32_t width) {
    uint32_t word = 0;
    if (width == 4 && std::endian::native == std::endian::little) {
        std::memcpy(&word, at, 4);  // one load for the usual width
    } else {
        for (uint32_t k = 0; k < width; ++k) {
            word |= uint32_t(at[k]) << (8 * k);
        }
    }
    return (word | 0x20202020u) & WindowMask(width);
}

// A window's marks in a table of 2^kBits marks (when the window is wider than two bytes, which
// are their own mark), by the first hash and by the second.
inline constexpr uint32_t kFirstMarkFactor = 0x9E3779B1u;
template <uint32_t kBits>
struct Marks {
    static constexpr uint32_t kHashBits = kBits;
    static uint32_t First(uint32_t window, uint32_t width) {
        return width <= 2 ? window : (window * kFirstMarkFactor) >> (32 - kBits);
    }
    static uint32_t Second(uint32_t window) { return (window * 0x85EBCA6Bu + 7) >> (32 - kBits); }
    static size_t Count(uint32_t width) {
        return width <= 2 ? size_t(1) << (8 * width) : size_t(1) << kBits;
    }
};

// The tables of bytes: a byte load tests a position, the fewest instructions for a short text.
using ByteMarks = Marks<15>;
// The gathered tables of bits: four times the marks in half the bytes, for the few false marks
// that a stride's several windows a literal need.
using GatheredMarks = Marks<17>;
inline size_t GatheredTableWords(uint32_t width) {
    return GatheredMarks::Count(width) / 32;
}
inline bool IsGathered(std::span<const uint32_t> table, uint32_t mark) {
    return (table[mark >> 5] >> (mark & 31)) & 1u;
}

// Literals at least `width + stride - 1` bytes long may be looked for at every `stride`-th
// position only, when the windows at each of their first `stride` offsets are marked: a
// literal that starts at p has one of them at a tested position q, p <= q < p + stride.
inline constexpr uint32_t kMaxStride = 4;
inline uint32_t StrideFor(size_t shortestLiteral, uint32_t width) {
    return width < 4 || shortestLiteral < 4
               ? 1
               : static_cast<uint32_t>(std::min<size_t>(shortestLiteral - 3, kMaxStride));
}

// A gathered scan of one stride: of positions at, at + stride, ..., those whose window is
// marked in `gathered`, in rising order, into `out` (room for kMarkedRoom), until a round of
// vectors no longer fits before the end, the room runs short, or the first is kMarkedLag bytes
// behind; `at` is moved past what was tested (a multiple of `stride` on).
inline constexpr size_t kMarkedRoom = 128;
inline constexpr size_t kMarkedLag = 4096;
using MarkedKernel = size_t (*)(const uint32_t* gathered, uint32_t width, std::string_view text,
                                size_t& at, size_t* out);

// The kernel for this stride and processor, chosen once; null where the processor has no
// gathers or the tables do not fit the width and stride.
MarkedKernel MarkedKernelFor(VectorScan scan, std::span<const uint32_t> gathered, uint32_t width,
                             uint32_t stride);

}  // namespace lumbrel::filter
