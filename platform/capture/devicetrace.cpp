// The trace sink, the rasterising switch, record formatting and texture names.
#include "platform/devicetrace.h"

#include "devicedriver.h"
#include "tracecontrol.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace ddraw {

namespace {
platform::TraceSink sink;
bool rasterising = true;
uint64_t trianglesAskedFor = 0;
}  // namespace

bool Tracing() { return static_cast<bool>(sink); }

void CountTriangles(unsigned primitiveType, uint64_t count) {
    trianglesAskedFor += platform::TrianglesOf(primitiveType, count);
}

void Emit(const platform::TraceRecord& record) {
    if (sink) sink(record);
}

bool Rasterising() { return rasterising; }

}  // namespace ddraw

namespace platform {

const TraceArgument* TraceRecord::Find(const std::string& name) const {
    for (const TraceArgument& argument : arguments)
        if (argument.name == name) return &argument;
    return nullptr;
}

void SetTraceSink(TraceSink newSink) { ddraw::sink = std::move(newSink); }

void SetDeviceRasterising(bool rasterise) { ddraw::rasterising = rasterise; }

bool DeviceRasterising() { return ddraw::rasterising; }

uint64_t TrianglesOf(unsigned primitiveType, uint64_t count) {
    switch (primitiveType) {
    case D3DPT_TRIANGLELIST: return count / 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return count >= 3 ? count - 2 : 0;
    default: return 0;  // points and lines
    }
}

uint64_t TrianglesAskedFor() { return ddraw::trianglesAskedFor; }

std::string FormatTraceRecord(const TraceRecord& record) {
    std::string line = record.call;
    for (const TraceArgument& argument : record.arguments) {
        line += ' ';
        line += argument.name;
        line += '=';
        switch (argument.kind) {
        case TraceArgument::Null: line += "null"; break;
        case TraceArgument::Text: line += argument.text; break;
        case TraceArgument::Numbers:
            for (size_t i = 0; i < argument.numbers.size(); ++i) {
                char number[40];
                const double value = argument.numbers[i];
                // Whole numbers (states, flags, colours) print in full; %.9g keeps every float.
                if (value == std::trunc(value) && std::fabs(value) < 9.0e15)
                    std::snprintf(number, sizeof number, "%.0f", value);
                else
                    std::snprintf(number, sizeof number, "%.9g", value);
                if (i) line += ',';
                line += number;
            }
            break;
        }
    }
    return line;
}

const char* TextureName(IDirectDrawSurface7* texture) { return SurfaceNameOf(texture); }

}  // namespace platform
