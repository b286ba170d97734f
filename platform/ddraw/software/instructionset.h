// Which instruction set the pixel stages use on this processor.
#pragma once

#include "ddraw/software/spans.h"

namespace software {

// The best set the processor has, or the one HELIOTROPIC_SIMD names ("scalar", "sse2",
// "avx2" or "avx512") when the processor has that one; decided once per run.
InstructionSet ChosenInstructionSet();

// Whether the processor (and the system, for the wider registers) can run the set.
bool Supports(InstructionSet set);

}  // namespace software
