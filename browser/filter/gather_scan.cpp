#include "browser/filter/gather_scan.h"

#include <bit>

#if defined(__x86_64__) || defined(__i386__)
#if defined(__GNUC__) && !defined(__clang__)
// GCC 12 takes the deliberately undefined vectors inside the AVX-512 intrinsics for our own.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>
#define LUMBREL_X86 1
#endif

namespace lumbrel::filter {

#if LUMBREL_X86
namespace {

// A shuffle that makes four 32-bit windows, `stride` bytes apart, of a 16-byte lane.
constexpr int8_t SpreadByte(uint32_t stride, int byte) {
    return static_cast<int8_t>(static_cast<int>(stride) * (byte / 4) + byte % 4);
}
#define LUMBREL_SPREAD_LANE(s)                                                                    \
    SpreadByte(s, 0), SpreadByte(s, 1), SpreadByte(s, 2), SpreadByte(s, 3), SpreadByte(s, 4),     \
        SpreadByte(s, 5), SpreadByte(s, 6), SpreadByte(s, 7), SpreadByte(s, 8), SpreadByte(s, 9), \
        SpreadByte(s, 10), SpreadByte(s, 11), SpreadByte(s, 12), SpreadByte(s, 13),               \
        SpreadByte(s, 14), SpreadByte(s, 15)

// Each lane of windows is loaded from `4 * stride` bytes after the one before; each window's
// mark is hashed (or is the window), looked up by a gather, and its bit moved to the top of its
// 32-bit place, where a sign test reads it.
template <uint32_t kStride>
__attribute__((target("avx2"), always_inline)) inline uint32_t MarkedOf8(const uint8_t* from,
                                                                         const int* table,
                                                                         __m256i keep,
                                                                         bool hashed) {
    const __m256i spread =
        _mm256_setr_epi8(LUMBREL_SPREAD_LANE(kStride), LUMBREL_SPREAD_LANE(kStride));
    const __m256i bitOf = _mm256_set1_epi32(31);
    const __m256i v = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * kStride)), 1);
    const __m256i window = _mm256_and_si256(
        _mm256_or_si256(_mm256_shuffle_epi8(v, spread), _mm256_set1_epi32(0x20202020)), keep);
    const __m256i factor = _mm256_set1_epi32(static_cast<int>(kFirstMarkFactor));
    const __m256i mark =
        hashed ? _mm256_srli_epi32(_mm256_mullo_epi32(window, factor), 32 - kGatheredMarkBits)
               : window;
    const __m256i words = _mm256_i32gather_epi32(table, _mm256_srli_epi32(mark, 5), 4);
    const __m256i top =
        _mm256_sllv_epi32(words, _mm256_sub_epi32(bitOf, _mm256_and_si256(mark, bitOf)));
    return static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(top)));
}

template <uint32_t kStride>
__attribute__((target("avx512f,avx512bw"), always_inline)) inline uint32_t MarkedOf16(
    const uint8_t* from, const int* table, __m512i keep, bool hashed) {
    const __m512i spread =
        _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_setr_epi8(LUMBREL_SPREAD_LANE(kStride)));
    const __m512i bitOf = _mm512_set1_epi32(31);
    __m512i v = _mm512_zextsi128_si512(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4 * kStride)),
                           1);
    v = _mm512_inserti32x4(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8 * kStride)),
                           2);
    v = _mm512_inserti32x4(
        v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12 * kStride)), 3);
    const __m512i window = _mm512_and_si512(
        _mm512_or_si512(_mm512_shuffle_epi8(v, spread), _mm512_set1_epi32(0x20202020)), keep);
    const __m512i factor = _mm512_set1_epi32(static_cast<int>(kFirstMarkFactor));
    const __m512i mark =
        hashed ? _mm512_srli_epi32(_mm512_mullo_epi32(window, factor), 32 - kGatheredMarkBits)
               : window;
    const __m512i words = _mm512_i32gather_epi32(_mm512_srli_epi32(mark, 5), table, 4);
    const __m512i top =
        _mm512_sllv_epi32(words, _mm512_sub_epi32(bitOf, _mm512_and_si512(mark, bitOf)));
    return _mm512_cmplt_epi32_mask(top, _mm512_setzero_si512());
}

// Positions i, i + stride, ...: a marked one is where a literal's window at offset 0 to
// stride - 1 lies.
inline size_t EmitMarked(uint32_t bits, size_t i, uint32_t stride, size_t* out, size_t count) {
    while (bits != 0) {
        out[count++] = i + stride * static_cast<size_t>(std::countr_zero(bits));
        bits &= bits - 1;
    }
    return count;
}

template <uint32_t kStride>
__attribute__((target("avx2"))) size_t FindAvx2(const int* table, uint32_t width,
                                                std::string_view text, size_t& at, size_t* out) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    const __m256i keep = _mm256_set1_epi32(static_cast<int>(WindowMask(width)));
    const bool hashed = width > 2;
    constexpr size_t kRound = 16 * kStride;  // two gathers in flight
    size_t count = 0;
    size_t i = at;
    for (; i + kRound + 16 <= n && count + 32 <= kMarkedRoom && (count == 0 || i - at < kMarkedLag);
         i += kRound) {
        const uint32_t both =
            MarkedOf8<kStride>(bytes + i, table, keep, hashed) |
            (MarkedOf8<kStride>(bytes + i + 8 * kStride, table, keep, hashed) << 8);
        if (both != 0) [[unlikely]] {
            count = EmitMarked(both, i, kStride, out, count);
        }
    }
    at = i;
    return count;
}

template <uint32_t kStride>
__attribute__((target("avx512f,avx512bw"))) size_t FindAvx512(const int* table, uint32_t width,
                                                              std::string_view text, size_t& at,
                                                              size_t* out) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const size_t n = text.size();
    const __m512i keep = _mm512_set1_epi32(static_cast<int>(WindowMask(width)));
    const bool hashed = width > 2;
    constexpr size_t kRound = 32 * kStride;
    size_t count = 0;
    size_t i = at;
    for (; i + kRound + 16 <= n && count + 32 <= kMarkedRoom && (count == 0 || i - at < kMarkedLag);
         i += kRound) {
        const uint64_t both =
            MarkedOf16<kStride>(bytes + i, table, keep, hashed) |
            (uint64_t(MarkedOf16<kStride>(bytes + i + 16 * kStride, table, keep, hashed)) << 16);
        if (both != 0) [[unlikely]] {
            count = EmitMarked(static_cast<uint32_t>(both), i, kStride, out, count);
        }
    }
    at = i;
    return count;
}

using Kernel = size_t (*)(const int*, uint32_t, std::string_view, size_t&, size_t*);
constexpr Kernel kAvx2[4] = {FindAvx2<1>, FindAvx2<2>, FindAvx2<3>, FindAvx2<4>};
constexpr Kernel kAvx512[4] = {FindAvx512<1>, FindAvx512<2>, FindAvx512<3>, FindAvx512<4>};

}  // namespace
#endif

size_t FindMarkedStarts(VectorScan scan, std::span<const uint32_t> gathered, uint32_t width,
                        uint32_t stride, std::string_view text, size_t& at, size_t* out) {
#if LUMBREL_X86
    if (width >= 1 && width <= 4 && stride >= 1 && stride <= kMaxStride &&
        gathered.size() == GatheredTableWords(width)) {
        const auto* table = reinterpret_cast<const int*>(gathered.data());
        if (scan == VectorScan::Avx512) {
            return kAvx512[stride - 1](table, width, text, at, out);
        }
        if (scan == VectorScan::Avx2) {
            return kAvx2[stride - 1](table, width, text, at, out);
        }
    }
#endif
    (void)scan, (void)gathered, (void)width, (void)stride, (void)text, (void)at, (void)out;
    return 0;
}

}  // namespace lumbrel::filter
