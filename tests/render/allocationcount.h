// Counts every operator new of this test program, so a test can prove a stretch allocates nothing.
#pragma once

#include <cstddef>

std::size_t AllocationCount();
