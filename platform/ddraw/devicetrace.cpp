// The trace sink, the rasterising switch, record formatting and texture names.
#include "platform/devicetrace.h"

#include "surface.h"
#include "texturenames.h"
#include "tracecontrol.h"

#include <cstdio>
#include <cstring>

namespace ddraw {

namespace {
platform::TraceSink sink;
bool rasterising = true;
std::string openedFileName;
}  // namespace

bool Tracing() { return static_cast<bool>(sink); }

void Emit(const platform::TraceRecord& record) {
    if (sink) sink(record);
}

bool Rasterising() { return rasterising; }

std::string TakeOpenedFileName() {
    std::string name;
    name.swap(openedFileName);
    return name;
}

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
                char number[32];
                // %.9g keeps every float exactly; integers print without a fraction.
                std::snprintf(number, sizeof number, "%.9g", argument.numbers[i]);
                if (i) line += ',';
                line += number;
            }
            break;
        }
    }
    return line;
}

void NoteFileOpenedForReading(const char* path) {
    if (path == nullptr) return;
    const char* base = path;
    for (const char* c = path; *c; ++c)
        if (*c == '/' || *c == '\\') base = c + 1;
    ddraw::openedFileName = base;
}

const char* TextureName(IDirectDrawSurface7* texture) {
    ddraw::Surface* surface = ddraw::AsSurface(texture);
    if (surface == nullptr || surface->name.empty()) return nullptr;
    return surface->name.c_str();
}

}  // namespace platform
