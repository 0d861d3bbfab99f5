#pragma once

#include <cstddef>

namespace zort::bench {

// Bytes held by operator new in this process, counted by the replacement allocation functions
// of HeapCounter.cpp. Lets a benchmark report the peak heap a workbook needed beside its size.
struct HeapCounter
{
    static std::size_t current();
    static std::size_t peak();
    // Starts a new peak measurement from what is held now.
    static void resetPeak();
};

} // namespace zort::bench
