#include "ddraw/software/instructionset.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace software {

namespace {

InstructionSet Best() {
    if (Supports(InstructionSet::Avx512)) return InstructionSet::Avx512;
    return Supports(InstructionSet::Avx2) ? InstructionSet::Avx2 : InstructionSet::Sse2;
}

InstructionSet Choose() {
    const char* wanted = std::getenv("HELIOTROPIC_SIMD");
    if (!wanted || !*wanted) return Best();
    struct Name {
        const char* text;
        InstructionSet set;
    };
    const Name names[] = {
        {"scalar", InstructionSet::Scalar}, {"sse2", InstructionSet::Sse2}, {"avx2", InstructionSet::Avx2},
        {"avx512", InstructionSet::Avx512}};
    for (const Name& name : names) {
        if (std::strcmp(wanted, name.text) != 0) continue;
        if (Supports(name.set)) return name.set;
        std::fprintf(stderr, "HELIOTROPIC_SIMD=%s: this processor does not have it; drawing with the best it has\n",
                     wanted);
        return Best();
    }
    std::fprintf(stderr,
                 "HELIOTROPIC_SIMD=%s is not scalar, sse2, avx2 or avx512; drawing with the best the processor has\n",
                 wanted);
    return Best();
}

}  // namespace

bool Supports(InstructionSet set) {
    // The compiler's check covers the system saving the wide registers, not only the processor.
    if (set == InstructionSet::Avx2) return __builtin_cpu_supports("avx2");
    if (set == InstructionSet::Avx512)
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
               __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl");
    return true;  // SSE2 is part of x86-64
}

InstructionSet ChosenInstructionSet() {
    static const InstructionSet chosen = Choose();
    return chosen;
}

}  // namespace software
