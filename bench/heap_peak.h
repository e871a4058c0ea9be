// The heap's high-water mark, for the benchmarks' peak-memory figures: every operator new and
// delete of the program, and the C allocations of the engines that take an allocator, go
// through these counters.
#pragma once

// The counters pair malloc with free behind operator new and delete; the warning about
// mismatched pairs reads the replaced operators as the library's.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace lumbrel::bench {

struct HeapCounters {
    std::atomic<size_t> current{0};
    std::atomic<size_t> peak{0};
};

inline HeapCounters& Heap() {
    static HeapCounters counters;
    return counters;
}

inline void* CountedMalloc(size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) {
        HeapCounters& heap = Heap();
        const size_t now = heap.current += malloc_usable_size(p);
        size_t peak = heap.peak.load();
        while (now > peak && !heap.peak.compare_exchange_weak(peak, now)) {
        }
    }
    return p;
}

inline void CountedFree(void* p) {
    if (p != nullptr) {
        Heap().current -= malloc_usable_size(p);
        std::free(p);
    }
}

// Starts a measurement: the peak is what the heap grows by from here.
inline size_t StartPeak() {
    const size_t now = Heap().current.load();
    Heap().peak = now;
    return now;
}

inline double PeakMegabytes(size_t start) {
    return static_cast<double>(Heap().peak.load() - start) / (1 << 20);
}

}  // namespace lumbrel::bench

// The program's operator new and delete, counted. Include in one source file only.
#define LUMBREL_COUNT_HEAP()                           \
    void* operator new(size_t size) {                  \
        void* p = lumbrel::bench::CountedMalloc(size); \
        if (p == nullptr) {                            \
            throw std::bad_alloc();                    \
        }                                              \
        return p;                                      \
    }                                                  \
    void* operator new[](size_t size) {                \
        return operator new(size);                     \
    }                                                  \
    void operator delete(void* p) noexcept {           \
        lumbrel::bench::CountedFree(p);                \
    }                                                  \
    void operator delete[](void* p) noexcept {         \
        lumbrel::bench::CountedFree(p);                \
    }                                                  \
    void operator delete(void* p, size_t) noexcept {   \
        lumbrel::bench::CountedFree(p);                \
    }                                                  \
    void operator delete[](void* p, size_t) noexcept { \
        lumbrel::bench::CountedFree(p);                \
    }
