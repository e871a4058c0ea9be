// The vector instructions the literal scans may use, as this processor runs them.
#pragma once

#include <cstdint>

namespace lumbrel::filter {

// SSSE3 brings the byte shuffle; AVX2 doubles its width and adds gathers; AVX-512 (with its byte
// instructions) doubles the width again.
enum class VectorScan : uint8_t { None, Ssse3, Avx2, Avx512 };

// The widest this processor (and its operating system, which must save the wide registers)
// runs. Decided once.
VectorScan BestVectorScan();

}  // namespace lumbrel::filter
