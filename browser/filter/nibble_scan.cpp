#include "browser/filter/nibble_scan.h"

#include <bit>

#include "browser/filter/pattern.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define LUMBREL_X86 1
#endif

namespace lumbrel::filter {

uint32_t NibbleGroupsFor(size_t count) {
    return count <= 24 ? 1 : count <= 64 ? 2 : 4;
}

std::vector<uint8_t> BuildNibbleTables(std::span<const std::string_view> literals,
                                       uint32_t maskedBytes, uint32_t groups) {
    std::vector<uint8_t> tables(kNibbleTableBytes * maskedBytes * groups, 0);
    // One group of literals all ASCII after their first byte: the high nibbles there say only
    // "ASCII", which costs the scan least (see HasAsciiTail) and loses little.
    bool asciiTail = groups == 1 && maskedBytes > 1;
    for (const std::string_view literal : literals) {
        for (uint32_t k = 1; k < maskedBytes && k < literal.size(); ++k) {
            asciiTail = asciiTail && static_cast<uint8_t>(literal[k]) < 0x80;
        }
    }
    const size_t buckets = size_t(8) * groups;
    const size_t perBucket = (literals.size() + buckets - 1) / buckets;
    for (size_t l = 0; l < literals.size(); ++l) {
        const size_t bucket = l / perBucket;
        const auto bit = static_cast<uint8_t>(1u << (bucket % 8));
        uint8_t* group = tables.data() + kNibbleTableBytes * maskedBytes * (bucket / 8);
        for (uint32_t k = 0; k < maskedBytes && k < literals[l].size(); ++k) {
            uint8_t* table = group + kNibbleTableBytes * k;
            for (int c = 0; c < 256; ++c) {
                if (FoldCase(static_cast<uint8_t>(c)) == static_cast<uint8_t>(literals[l][k])) {
                    table[c & 15] |= bit;
                    table[16 + (c >> 4)] |= bit;
                }
            }
        }
    }
    for (uint32_t k = 1; asciiTail && k < maskedBytes; ++k) {
        for (int nibble = 0; nibble < 16; ++nibble) {
            tables[kNibbleTableBytes * k + 16 + nibble] = nibble < 8 ? 0xFF : 0;
        }
    }
    return tables;
}

bool NibbleTablesFit(size_t size, uint32_t maskedBytes) {
    if (maskedBytes < 1 || maskedBytes > kMaxMaskedBytes) {
        return false;
    }
    const size_t perGroup = kNibbleTableBytes * maskedBytes;
    return size == perGroup || size == 2 * perGroup || size == 4 * perGroup;
}

#if LUMBREL_X86
namespace {

// The candidates of one vector: the set bits of `bits` are offsets from `base`.
inline size_t Emit(uint64_t bits, size_t base, size_t* out, size_t count) {
    while (bits != 0) {
        out[count++] = base + static_cast<size_t>(std::countr_zero(bits));
        bits &= bits - 1;
    }
    return count;
}

// One kernel per instruction set, alike but for the operations, each compiled for its own set.
// `Ops` gives the vector type V and: Wide (a 16-byte table in every lane), Load, And, And3, Nibble
// and HighNibble (as shuffle indexes), Shuffle, and Nonzero (a bit per byte that is not zero).
#define LUMBREL_NIBBLE_KERNEL(Name, Target, Ops)                                               \
    template <uint32_t kBytes, uint32_t kGroups, bool kAsciiTail>                              \
    __attribute__((target(Target))) size_t Name(const uint8_t* tables, std::string_view text,  \
                                                size_t& at, size_t* out) {                     \
        using V = Ops::V;                                                                      \
        constexpr size_t kWidth = sizeof(V);                                                   \
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());                     \
        const size_t n = text.size();                                                          \
        V low[kGroups][kBytes];                                                                \
        V high[kGroups][kBytes];                                                               \
        for (uint32_t g = 0; g < kGroups; ++g) {                                               \
            for (uint32_t k = 0; k < kBytes; ++k) {                                            \
                const uint8_t* table = tables + kNibbleTableBytes * (g * kBytes + k);          \
                low[g][k] = Ops::Wide(table);                                                  \
                high[g][k] = Ops::Wide(table + 16);                                            \
            }                                                                                  \
        }                                                                                      \
        size_t count = 0;                                                                      \
        size_t i = at;                                                                         \
        for (; i + kWidth + kBytes - 1 <= n && count + kWidth <= kCandidateRoom &&             \
               (count == 0 || i - at < kCandidateLag);                                         \
             i += kWidth) {                                                                    \
            V lo[kBytes];                                                                      \
            V hi[kBytes];                                                                      \
            for (uint32_t k = 0; k < kBytes; ++k) {                                            \
                const V v = Ops::Load(bytes + i + k);                                          \
                if (kAsciiTail && k > 0) {                                                     \
                    lo[k] = v;                                                                 \
                } else {                                                                       \
                    lo[k] = Ops::Nibble(v);                                                    \
                    hi[k] = Ops::HighNibble(v);                                                \
                }                                                                              \
            }                                                                                  \
            uint64_t passed = 0;                                                               \
            for (uint32_t g = 0; g < kGroups; ++g) {                                           \
                V buckets =                                                                    \
                    Ops::And(Ops::Shuffle(low[g][0], lo[0]), Ops::Shuffle(high[g][0], hi[0])); \
                for (uint32_t k = 1; k < kBytes; ++k) {                                        \
                    buckets = kAsciiTail ? Ops::And(buckets, Ops::Shuffle(low[g][k], lo[k]))   \
                                         : Ops::And3(buckets, Ops::Shuffle(low[g][k], lo[k]),  \
                                                     Ops::Shuffle(high[g][k], hi[k]));         \
                }                                                                              \
                passed |= Ops::Nonzero(buckets);                                               \
            }                                                                                  \
            if (passed != 0) [[unlikely]] {                                                    \
                count = Emit(passed, i, out, count);                                           \
            }                                                                                  \
        }                                                                                      \
        at = i;                                                                                \
        return count;                                                                          \
    }

#define LUMBREL_OP(Target) static __attribute__((target(Target), always_inline)) inline

struct Ssse3Ops {
    using V = __m128i;
    LUMBREL_OP("ssse3") V Wide(const uint8_t* t) { return _mm_loadu_si128((const __m128i*)t); }
    LUMBREL_OP("ssse3") V Load(const uint8_t* p) { return _mm_loadu_si128((const __m128i*)p); }
    LUMBREL_OP("ssse3") V And(V a, V b) { return _mm_and_si128(a, b); }
    LUMBREL_OP("ssse3") V And3(V a, V b, V c) { return And(a, And(b, c)); }
    LUMBREL_OP("ssse3") V Nibble(V v) { return _mm_and_si128(v, _mm_set1_epi8(0x0F)); }
    LUMBREL_OP("ssse3") V HighNibble(V v) { return Nibble(_mm_srli_epi16(v, 4)); }
    LUMBREL_OP("ssse3") V Shuffle(V t, V i) { return _mm_shuffle_epi8(t, i); }
    LUMBREL_OP("ssse3") uint64_t Nonzero(V v) {
        return ~static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128()))) &
               0xFFFFu;
    }
};

struct Avx2Ops {
    using V = __m256i;
    LUMBREL_OP("avx2") V Wide(const uint8_t* t) {
        return _mm256_broadcastsi128_si256(_mm_loadu_si128((const __m128i*)t));
    }
    LUMBREL_OP("avx2") V Load(const uint8_t* p) { return _mm256_loadu_si256((const __m256i*)p); }
    LUMBREL_OP("avx2") V And(V a, V b) { return _mm256_and_si256(a, b); }
    LUMBREL_OP("avx2") V And3(V a, V b, V c) { return And(a, And(b, c)); }
    LUMBREL_OP("avx2") V Nibble(V v) { return _mm256_and_si256(v, _mm256_set1_epi8(0x0F)); }
    LUMBREL_OP("avx2") V HighNibble(V v) { return Nibble(_mm256_srli_epi16(v, 4)); }
    LUMBREL_OP("avx2") V Shuffle(V t, V i) { return _mm256_shuffle_epi8(t, i); }
    LUMBREL_OP("avx2") uint64_t Nonzero(V v) {
        return ~static_cast<uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(v, _mm256_setzero_si256())));
    }
};

struct Avx512Ops {
    using V = __m512i;
    LUMBREL_OP("avx512bw") V Wide(const uint8_t* t) {
        return _mm512_maskz_broadcast_i32x4(0xFFFF, _mm_loadu_si128((const __m128i*)t));
    }
    LUMBREL_OP("avx512bw") V Load(const uint8_t* p) { return _mm512_loadu_si512(p); }
    LUMBREL_OP("avx512bw") V And(V a, V b) { return _mm512_and_si512(a, b); }
    LUMBREL_OP("avx512bw") V And3(V a, V b, V c) {  // one instruction: a & b & c
        return _mm512_ternarylogic_epi32(a, b, c, 0x80);
    }
    LUMBREL_OP("avx512bw") V Nibble(V v) { return _mm512_and_si512(v, _mm512_set1_epi8(0x0F)); }
    LUMBREL_OP("avx512bw") V HighNibble(V v) { return Nibble(_mm512_srli_epi16(v, 4)); }
    LUMBREL_OP("avx512bw") V Shuffle(V t, V i) { return _mm512_shuffle_epi8(t, i); }
    LUMBREL_OP("avx512bw") uint64_t Nonzero(V v) { return _mm512_test_epi8_mask(v, v); }
};

LUMBREL_NIBBLE_KERNEL(FindSsse3, "ssse3", Ssse3Ops)
LUMBREL_NIBBLE_KERNEL(FindAvx2, "avx2", Avx2Ops)
LUMBREL_NIBBLE_KERNEL(FindAvx512, "avx512bw", Avx512Ops)

// The kernels of one instruction set by groups (1, 2, 4; then 1 with an ASCII tail) and masked
// bytes (1 to 4).
#define LUMBREL_ROW(Name, G, A) \
    { Name<1, G, A>, Name<2, G, A>, Name<3, G, A>, Name<4, G, A> }
#define LUMBREL_KERNELS_OF(Name)                                                               \
    {                                                                                          \
        LUMBREL_ROW(Name, 1, false), LUMBREL_ROW(Name, 2, false), LUMBREL_ROW(Name, 4, false), \
            LUMBREL_ROW(Name, 1, true)                                                         \
    }

constexpr NibbleKernel kSsse3[4][4] = LUMBREL_KERNELS_OF(FindSsse3);
constexpr NibbleKernel kAvx2[4][4] = LUMBREL_KERNELS_OF(FindAvx2);
constexpr NibbleKernel kAvx512[4][4] = LUMBREL_KERNELS_OF(FindAvx512);

// Whether the tables of one group say of every masked byte after the first only that it is
// ASCII: high nibbles 0 to 7 pass every bucket and 8 to F none. A shuffle by the byte itself
// then tests its low nibble and that at once (an index over 0x7F looks up 0).
bool HasAsciiTail(std::span<const uint8_t> tables, uint32_t maskedBytes) {
    for (uint32_t k = 1; k < maskedBytes; ++k) {
        const uint8_t* high = tables.data() + kNibbleTableBytes * k + 16;
        for (int nibble = 0; nibble < 16; ++nibble) {
            if (high[nibble] != (nibble < 8 ? 0xFF : 0)) {
                return false;
            }
        }
    }
    return maskedBytes > 1;
}

}  // namespace
#endif

NibbleKernel NibbleKernelFor(VectorScan scan, std::span<const uint8_t> tables,
                             uint32_t maskedBytes) {
#if LUMBREL_X86
    if (scan == VectorScan::None || !NibbleTablesFit(tables.size(), maskedBytes)) {
        return nullptr;
    }
    const size_t groups = tables.size() / (kNibbleTableBytes * maskedBytes);
    const size_t row = groups == 2                         ? 1
                       : groups == 4                       ? 2
                       : HasAsciiTail(tables, maskedBytes) ? 3
                                                           : 0;
    const auto& kernels = scan == VectorScan::Avx512 ? kAvx512
                          : scan == VectorScan::Avx2 ? kAvx2
                                                     : kSsse3;
    return kernels[row][maskedBytes - 1];
#else
    (void)scan, (void)tables, (void)maskedBytes;
    return nullptr;
#endif
}

}  // namespace lumbrel::filter
