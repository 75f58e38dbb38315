// Counts the heap the program uses through operator new, so that a test or a
// benchmark can tell how much memory a piece of code needed at its peak.
// Linking HeapCounter.cpp replaces the global operator new and delete.
#pragma once

#include <cstddef>

namespace updstart::testing {

std::size_t HeapInUse();
// The most that was in use at once since the last ResetHeapPeak.
std::size_t HeapPeak();
void ResetHeapPeak();

}  // namespace updstart::testing
