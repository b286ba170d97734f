// The one recorder for tests that watch device calls. Every device the DirectDraw core creates
// goes through the platform's tracing device; while a recorder lives it is the trace sink and
// keeps each call's record, in order.
#pragma once

#include <platform/devicetrace.h>

#include <functional>
#include <string>
#include <vector>

#include "vecmath.h"

// What was in force on the device when a draw was sent, replayed from the calls before it.
struct RecordedDraw {
    const platform::TraceRecord* call;  // the DrawPrimitive or DrawIndexedPrimitiveVB
    Matrix world, view, projection;
    std::string texture;  // stage 0's image file, "" for none
    DWORD zEnable, zWriteEnable, alphaBlend, destBlend;
    float lightRed[8];    // the diffuse red last sent to each of the first light slots
    float materialPower;  // of the material last sent

    float KeyLight() const { return lightRed[0]; }

    DWORD VertexFormat() const;
    // DrawPrimitive's vertices, every field in order (colours as 0xAARRGGBB).
    const std::vector<double>& Vertices() const;
};

class CallRecorder {
public:
    CallRecorder();
    ~CallRecorder();
    CallRecorder(const CallRecorder&) = delete;
    CallRecorder& operator=(const CallRecorder&) = delete;

    std::vector<platform::TraceRecord> calls;
    // Called with each call as it is recorded.
    std::function<void(const platform::TraceRecord&)> onCall;

    // Each call as FormatTraceRecord writes it: "SetRenderState state=27 value=1".
    std::vector<std::string> Lines() const;
    // The same without the bulky arguments (matrices, lights, materials, vertices):
    // "SetTransform type=1", "SetMaterial".
    std::vector<std::string> Outline() const;
    std::vector<std::string> Names() const;
    // The calls whose line starts with prefix, in order.
    std::vector<const platform::TraceRecord*> Matching(const std::string& prefix) const;
    std::vector<RecordedDraw> Draws() const;
};

// An argument of a recorded call (0 when the call has none); a matrix row by row.
double ArgumentOf(const platform::TraceRecord& call, const std::string& name, size_t at = 0);
Matrix MatrixOf(const platform::TraceRecord& call);
