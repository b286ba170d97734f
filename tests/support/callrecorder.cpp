#include "callrecorder.h"

#include <d3d.h>

#include <algorithm>
#include <iterator>

using platform::TraceRecord;

CallRecorder::CallRecorder() {
    platform::SetTraceSink([this](const TraceRecord& record) {
        calls.push_back(record);
        if (onCall) onCall(calls.back());
    });
}

CallRecorder::~CallRecorder() { platform::SetTraceSink(nullptr); }

std::vector<std::string> CallRecorder::Lines() const {
    std::vector<std::string> lines;
    for (const TraceRecord& call : calls) lines.push_back(platform::FormatTraceRecord(call));
    return lines;
}

std::vector<std::string> CallRecorder::Outline() const {
    std::vector<std::string> lines;
    for (const TraceRecord& call : calls) {
        TraceRecord brief{call.call, {}};
        for (const platform::TraceArgument& argument : call.arguments)
            if (argument.numbers.size() <= 1 && argument.name.find('.') == std::string::npos &&
                argument.name != "vertices")
                brief.arguments.push_back(argument);
        lines.push_back(platform::FormatTraceRecord(brief));
    }
    return lines;
}

std::vector<std::string> CallRecorder::Names() const {
    std::vector<std::string> names;
    for (const TraceRecord& call : calls) names.push_back(call.call);
    return names;
}

std::vector<const TraceRecord*> CallRecorder::Matching(const std::string& prefix) const {
    std::vector<const TraceRecord*> found;
    for (const TraceRecord& call : calls) {
        // Most calls differ in their name already; only the others are formatted.
        const size_t name = std::min(prefix.size(), call.call.size());
        if (call.call.compare(0, name, prefix, 0, name) != 0) continue;
        if (platform::FormatTraceRecord(call).compare(0, prefix.size(), prefix) == 0) found.push_back(&call);
    }
    return found;
}

std::vector<RecordedDraw> CallRecorder::Draws() const {
    std::vector<RecordedDraw> draws;
    RecordedDraw state{};
    state.world = state.view = state.projection = IdentityMatrix();
    for (const TraceRecord& call : calls) {
        if (call.call == "SetTransform") {
            const double type = ArgumentOf(call, "type");
            if (type == D3DTRANSFORMSTATE_WORLD) state.world = MatrixOf(call);
            if (type == D3DTRANSFORMSTATE_VIEW) state.view = MatrixOf(call);
            if (type == D3DTRANSFORMSTATE_PROJECTION) state.projection = MatrixOf(call);
        } else if (call.call == "SetTexture" && ArgumentOf(call, "stage") == 0) {
            const platform::TraceArgument* texture = call.Find("texture");
            state.texture = texture && texture->kind == platform::TraceArgument::Text ? texture->text : "";
        } else if (call.call == "SetLight") {
            const double slot = ArgumentOf(call, "index");
            if (slot < std::size(state.lightRed))
                state.lightRed[static_cast<size_t>(slot)] = static_cast<float>(ArgumentOf(call, "light.diffuse"));
        } else if (call.call == "SetMaterial") {
            state.materialPower = static_cast<float>(ArgumentOf(call, "material.power"));
        } else if (call.call == "SetRenderState") {
            const DWORD value = static_cast<DWORD>(ArgumentOf(call, "value"));
            switch (static_cast<int>(ArgumentOf(call, "state"))) {
            case D3DRENDERSTATE_ZENABLE: state.zEnable = value; break;
            case D3DRENDERSTATE_ZWRITEENABLE: state.zWriteEnable = value; break;
            case D3DRENDERSTATE_ALPHABLENDENABLE: state.alphaBlend = value; break;
            case D3DRENDERSTATE_DESTBLEND: state.destBlend = value; break;
            default: break;
            }
        } else if (call.call == "DrawPrimitive" || call.call == "DrawIndexedPrimitiveVB") {
            state.call = &call;
            draws.push_back(state);
        }
    }
    return draws;
}

DWORD RecordedDraw::VertexFormat() const { return static_cast<DWORD>(ArgumentOf(*call, "vertexFormat")); }

const std::vector<double>& RecordedDraw::Vertices() const {
    static const std::vector<double> none;
    const platform::TraceArgument* vertices = call->Find("vertices");
    return vertices ? vertices->numbers : none;
}

double ArgumentOf(const TraceRecord& call, const std::string& name, size_t at) {
    const platform::TraceArgument* argument = call.Find(name);
    return argument ? argument->Number(at) : 0.0;
}

Matrix MatrixOf(const TraceRecord& call) {
    Matrix matrix = ZeroMatrix();
    for (int i = 0; i < 16; ++i) matrix.m[i / 4][i % 4] = static_cast<float>(ArgumentOf(call, "matrix", i));
    return matrix;
}
