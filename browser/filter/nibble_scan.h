// Where any of a small set of literals may begin, found 16 or 32 text bytes at a time.
//
// The literals are dealt into groups of eight buckets. For each of the first one to four bytes
// of a literal, two 16-byte tables per group say which buckets have a literal whose byte there
// has a given low nibble, and which a given high nibble; a byte shuffle looks up a whole vector
// of text bytes in each. A position is a candidate when some bucket passes at every masked byte:
// a coarse test (nibbles of different literals of a bucket combine), never a lost literal. More
// groups mean fewer literals a bucket and so fewer false candidates, for more shuffles.
// Candidates are confirmed by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "browser/filter/vector_scan.h"

namespace lumbrel::filter {

inline constexpr uint32_t kMaxMaskedBytes = 4;
inline constexpr uint32_t kMaxNibbleGroups = 4;
// Per group and masked byte: 16 bucket sets by low nibble, then 16 by high nibble.
inline constexpr size_t kNibbleTableBytes = 32;

// The groups a set of `count` literals is dealt into: 1, 2 or 4.
uint32_t NibbleGroupsFor(size_t count);

// The nibble tables of `literals` (folded, none shorter than `maskedBytes`) over their first
// `maskedBytes` bytes, every byte that folds onto a literal's byte included: `groups` of
// `maskedBytes` tables. Literals next to each other in the order given share a bucket: given
// sorted, those with common beginnings do.
std::vector<uint8_t> BuildNibbleTables(std::span<const std::string_view> literals,
                                       uint32_t maskedBytes, uint32_t groups);

// Whether tables of this size are tables of 1 to 4 masked bytes (the given count) in 1, 2 or 4
// groups.
bool NibbleTablesFit(size_t size, uint32_t maskedBytes);

// A scan by one set of nibble tables: candidates from `at` on, in rising order, into `out`,
// until no vector fits before the end, the room runs short, or the first candidate is
// kCandidateLag bytes behind (so that a page decided early is decided soon); `at` is moved past
// what was tested. Positions from `at` on are the caller's once no vector fits. `out` has room
// for kCandidateRoom positions.
inline constexpr size_t kCandidateRoom = 128;
inline constexpr size_t kCandidateLag = 4096;
using NibbleKernel = size_t (*)(const uint8_t* tables, std::string_view text, size_t& at,
                                size_t* out);

// The kernel for these tables and this processor, chosen once; null when the tables do not fit
// or the processor has no byte shuffle.
NibbleKernel NibbleKernelFor(VectorScan scan, std::span<const uint8_t> tables,
                             uint32_t maskedBytes);

}  // namespace lumbrel::filter
