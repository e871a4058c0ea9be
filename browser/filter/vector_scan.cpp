#include "browser/filter/vector_scan.h"

namespace lumbrel::filter {

namespace {

VectorScan DetectVectorScan() {
#if defined(__x86_64__) || defined(__i386__)
    // The compiler's checks include the operating system's saving of the wide registers.
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw")) {
        return VectorScan::Avx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return VectorScan::Avx2;
    }
    if (__builtin_cpu_supports("ssse3")) {
        return VectorScan::Ssse3;
    }
#endif
    return VectorScan::None;
}

}  // namespace

VectorScan BestVectorScan() {
    static const VectorScan best = DetectVectorScan();
    return best;
}

}  // namespace lumbrel::filter
