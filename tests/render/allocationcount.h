// Counts every operator new of this test program, so a test can prove a stretch allocates nothing.
#pragma once

#include <cstddef>

// False in address-sanitised builds, whose own allocator must keep operator new.
bool AllocationCounting();
std::size_t AllocationCount();
