// What the tracing wrapper reads of the trace controls.
#pragma once

#include "platform/devicetrace.h"

namespace ddraw {

bool Tracing();
void Emit(const platform::TraceRecord& record);
bool Rasterising();

}  // namespace ddraw
