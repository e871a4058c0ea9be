#include "browser/filter/gather_scan.h"

#include <array>
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

// A shuffle that makes four 32-bit windows, `kStride` bytes apart, of a 16-byte lane.
template <uint32_t kStride>
struct SpreadOrder {
    static constexpr auto kBytes = [] {
        std::array<int8_t, 16> order{};
        for (int byte = 0; byte < 16; ++byte) {
            order[byte] = static_cast<int8_t>(static_cast<int>(kStride) * (byte / 4) + byte % 4);
        }
        return order;
    }();
};
template <uint32_t kStride>
__attribute__((target("sse2"), always_inline)) inline __m128i SpreadLane() {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(SpreadOrder<kStride>::kBytes.data()));
}

__attribute__((target("sse2"), always_inline)) inline __m128i Load16(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// One kernel per instruction set, alike but for the operations, each compiled for its own set.
// Each 16-byte lane of windows is loaded from `4 * stride` bytes after the one before and
// shuffled into four windows; each window's mark is hashed (or is the window), looked up by a
// gather, and its bit moved to the top of its 32-bit place, where a sign test reads it. `Ops`
// gives the vector type V, Lanes (the loaded lanes), Spread (the shuffle), and the operations.
#define LUMBREL_GATHER_KERNEL(Name, Target, Ops)                                                   \
    template <uint32_t kStride>                                                                    \
    __attribute__((target(Target), always_inline)) inline uint32_t Name##Marked(                   \
        const uint8_t* from, const int* table, Ops::V keep, bool hashed) {                         \
        using V = Ops::V;                                                                          \
        const V bitOf = Ops::Splat(31);                                                            \
        const V window = Ops::And(                                                                 \
            Ops::Or(Ops::Shuffle(Ops::Lanes(from, 4 * kStride), Ops::template Spread<kStride>()),  \
                    Ops::Splat(0x20202020)),                                                       \
            keep);                                                                                 \
        const V factor = Ops::Splat(static_cast<int>(kFirstMarkFactor));                           \
        const V mark =                                                                             \
            hashed ? Ops::ShiftRight(Ops::Multiply(window, factor), 32 - GatheredMarks::kHashBits) \
                   : window;                                                                       \
        const V words = Ops::Gather(table, Ops::ShiftRight(mark, 5));                              \
        return Ops::SignBits(                                                                      \
            Ops::ShiftLeftBy(words, Ops::Subtract(bitOf, Ops::And(mark, bitOf))));                 \
    }                                                                                              \
                                                                                                   \
    template <uint32_t kStride>                                                                    \
    __attribute__((target(Target))) size_t Name(const uint32_t* gathered, uint32_t width,          \
                                                std::string_view text, size_t& at, size_t* out) {  \
        const auto* table = reinterpret_cast<const int*>(gathered);                                \
        constexpr size_t kLanes = sizeof(typename Ops::V) / 16;                                    \
        constexpr size_t kRound = 2 * 4 * kLanes * kStride; /* two gathers in flight */            \
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());                         \
        const size_t n = text.size();                                                              \
        const auto keep = Ops::Splat(static_cast<int>(WindowMask(width)));                         \
        const bool hashed = width > 2;                                                             \
        size_t count = 0;                                                                          \
        size_t i = at;                                                                             \
        for (; i + kRound + 16 <= n && count + 32 <= kMarkedRoom &&                                \
               (count == 0 || i - at < kMarkedLag);                                                \
             i += kRound) {                                                                        \
            const uint32_t both =                                                                  \
                Name##Marked<kStride>(bytes + i, table, keep, hashed) |                            \
                (Name##Marked<kStride>(bytes + i + kRound / 2, table, keep, hashed)                \
                 << (4 * kLanes));                                                                 \
            if (both != 0) [[unlikely]] {                                                          \
                count = EmitMarked(both, i, kStride, out, count);                                  \
            }                                                                                      \
        }                                                                                          \
        at = i;                                                                                    \
        return count;                                                                              \
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

#define LUMBREL_OP(Target) static __attribute__((target(Target), always_inline)) inline

struct Avx2Ops {
    using V = __m256i;
    LUMBREL_OP("avx2") V Splat(int value) { return _mm256_set1_epi32(value); }
    template <uint32_t kStride>
    LUMBREL_OP("avx2")
    V Spread() {
        return _mm256_broadcastsi128_si256(SpreadLane<kStride>());
    }
    LUMBREL_OP("avx2") V Lanes(const uint8_t* from, size_t apart) {
        return _mm256_inserti128_si256(_mm256_castsi128_si256(Load16(from)), Load16(from + apart),
                                       1);
    }
    LUMBREL_OP("avx2") V Shuffle(V v, V order) { return _mm256_shuffle_epi8(v, order); }
    LUMBREL_OP("avx2") V And(V a, V b) { return _mm256_and_si256(a, b); }
    LUMBREL_OP("avx2") V Or(V a, V b) { return _mm256_or_si256(a, b); }
    LUMBREL_OP("avx2") V Multiply(V a, V b) { return _mm256_mullo_epi32(a, b); }
    LUMBREL_OP("avx2") V Subtract(V a, V b) { return _mm256_sub_epi32(a, b); }
    LUMBREL_OP("avx2") V ShiftRight(V v, int bits) { return _mm256_srli_epi32(v, bits); }
    LUMBREL_OP("avx2") V ShiftLeftBy(V v, V bits) { return _mm256_sllv_epi32(v, bits); }
    LUMBREL_OP("avx2") V Gather(const int* table, V index) {
        return _mm256_i32gather_epi32(table, index, 4);
    }
    LUMBREL_OP("avx2") uint32_t SignBits(V v) {
        return static_cast<uint32_t>(_mm256_movemask_ps(_mm256_castsi256_ps(v)));
    }
};

struct Avx512Ops {
    using V = __m512i;
    LUMBREL_OP("avx512f,avx512bw") V Splat(int value) { return _mm512_set1_epi32(value); }
    template <uint32_t kStride>
    LUMBREL_OP("avx512f,avx512bw")
    V Spread() {
        return _mm512_maskz_broadcast_i32x4(0xFFFF, SpreadLane<kStride>());
    }
    LUMBREL_OP("avx512f,avx512bw") V Lanes(const uint8_t* from, size_t apart) {
        V v = _mm512_zextsi128_si512(Load16(from));
        v = _mm512_inserti32x4(v, Load16(from + apart), 1);
        v = _mm512_inserti32x4(v, Load16(from + 2 * apart), 2);
        return _mm512_inserti32x4(v, Load16(from + 3 * apart), 3);
    }
    LUMBREL_OP("avx512f,avx512bw") V Shuffle(V v, V order) { return _mm512_shuffle_epi8(v, order); }
    LUMBREL_OP("avx512f,avx512bw") V And(V a, V b) { return _mm512_and_si512(a, b); }
    LUMBREL_OP("avx512f,avx512bw") V Or(V a, V b) { return _mm512_or_si512(a, b); }
    LUMBREL_OP("avx512f,avx512bw") V Multiply(V a, V b) { return _mm512_mullo_epi32(a, b); }
    LUMBREL_OP("avx512f,avx512bw") V Subtract(V a, V b) { return _mm512_sub_epi32(a, b); }
    LUMBREL_OP("avx512f,avx512bw") V ShiftRight(V v, int bits) {
        return _mm512_srli_epi32(v, static_cast<unsigned>(bits));
    }
    LUMBREL_OP("avx512f,avx512bw") V ShiftLeftBy(V v, V bits) { return _mm512_sllv_epi32(v, bits); }
    LUMBREL_OP("avx512f,avx512bw") V Gather(const int* table, V index) {
        return _mm512_i32gather_epi32(index, table, 4);
    }
    LUMBREL_OP("avx512f,avx512bw") uint32_t SignBits(V v) {
        return _mm512_cmplt_epi32_mask(v, _mm512_setzero_si512());
    }
};

LUMBREL_GATHER_KERNEL(FindAvx2, "avx2", Avx2Ops)
LUMBREL_GATHER_KERNEL(FindAvx512, "avx512f,avx512bw", Avx512Ops)

constexpr MarkedKernel kAvx2[4] = {FindAvx2<1>, FindAvx2<2>, FindAvx2<3>, FindAvx2<4>};
constexpr MarkedKernel kAvx512[4] = {FindAvx512<1>, FindAvx512<2>, FindAvx512<3>, FindAvx512<4>};

}  // namespace
#endif

MarkedKernel MarkedKernelFor(VectorScan scan, std::span<const uint32_t> gathered, uint32_t width,
                             uint32_t stride) {
#if LUMBREL_X86
    if (width >= 1 && width <= 4 && stride >= 1 && stride <= kMaxStride &&
        gathered.size() == GatheredTableWords(width)) {
        if (scan == VectorScan::Avx512) {
            return kAvx512[stride - 1];
        }
        if (scan == VectorScan::Avx2) {
            return kAvx2[stride - 1];
        }
    }
#endif
    (void)scan, (void)gathered, (void)width, (void)stride;
    return nullptr;
}

}  // namespace lumbrel::filter
