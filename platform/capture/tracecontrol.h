// What the tracing wrapper reads of the trace controls.
#pragma once

#include "platform/devicetrace.h"

namespace ddraw {

bool Tracing();
void Emit(const platform::TraceRecord& record);
bool Rasterising();
// Adds a draw call's triangles to the count TrianglesAskedFor reports.
void CountTriangles(unsigned primitiveType, uint64_t count);

}  // namespace ddraw
