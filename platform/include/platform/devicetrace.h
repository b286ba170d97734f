// A record of every Direct3D device call, for tests and the capture tool.
//
// Every device the DirectDraw core creates goes through a tracing wrapper. While a sink is
// installed, each call reaches the sink as one TraceRecord before it is forwarded, with its
// arguments under the Direct3D 7 parameter names:
//   SetRenderState        state, value
//   SetTransform          type, matrix (16 numbers, row by row)
//   SetLight              index, light.type, light.diffuse (r g b a), light.specular,
//                         light.ambient, light.position (x y z), light.direction, light.range,
//                         light.falloff, light.attenuation0, light.attenuation1,
//                         light.attenuation2, light.theta, light.phi
//   LightEnable           index, enable
//   SetMaterial           material.diffuse, material.ambient, material.specular,
//                         material.emissive (r g b a each), material.power
//   SetTexture            stage, texture (the image file name, or null)
//   SetTextureStageState  stage, state, value
//   DrawPrimitive         type, vertexFormat, vertexCount, flags, vertices (every vertex's
//                         fields in order; colours as 0xAARRGGBB integers)
//   DrawIndexedPrimitiveVB type, vertexFormat, startVertex, vertexCount, indexCount, flags
//   Clear                 rectCount, flags, colour, z, stencil
//   SetViewport           x, y, width, height, minZ, maxZ
//   BeginScene, EndScene, GetCaps, EnumTextureFormats, GetRenderTarget   (no arguments)
//   SetRenderTarget       flags
//
// Usage:
//   std::vector<platform::TraceRecord> calls;
//   platform::SetTraceSink([&](const platform::TraceRecord& r) { calls.push_back(r); });
//   platform::SetDeviceRasterising(false);   // record only: run frames quickly
//   ... run frames ...
//   const platform::TraceArgument* state = calls[0].Find("state");
//   puts(platform::FormatTraceRecord(calls[0]).c_str());   // "SetRenderState state=7 value=1"
//   platform::SetTraceSink(nullptr);
//
// Texture names: a texture surface is named by the file last opened for reading (with fopen)
// before it was created, reduced to its base name ("gfx//key.jpg" -> "key.jpg"). Programs
// linking the platform library have fopen wrapped at link time (-Wl,--wrap=fopen, set on the
// library's link interface), and the wrapper reports each successful read-only open through
// NoteFileOpenedForReading. A name is taken by the next texture created; a texture created
// with no file opened since the previous one has no name.
#pragma once

#include <ddraw.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace platform {

struct TraceArgument {
    enum Kind { Numbers, Text, Null };
    std::string name;
    Kind kind = Numbers;
    std::vector<double> numbers;  // one for a scalar; integers are exact
    std::string text;

    double Number(size_t at = 0) const { return at < numbers.size() ? numbers[at] : 0.0; }
};

struct TraceRecord {
    std::string call;  // the IDirect3DDevice7 operation's name
    std::vector<TraceArgument> arguments;

    // The argument with this name, or null when the call has none.
    const TraceArgument* Find(const std::string& name) const;
};

using TraceSink = std::function<void(const TraceRecord&)>;

// Installs the sink that receives every device call from now on; an empty sink stops tracing.
void SetTraceSink(TraceSink sink);

// Whether devices draw (Clear, DrawPrimitive, DrawIndexedPrimitiveVB). When off, every other
// call still reaches the device, so its state stays in step and drawing can resume at any
// frame; Flip still presents the (undrawn) back buffer. On by default.
void SetDeviceRasterising(bool rasterise);
bool DeviceRasterising();

// Triangles a draw call of the primitive type makes from its vertex or index count.
uint64_t TrianglesOf(unsigned primitiveType, uint64_t count);
// Triangles the devices have been asked to draw since the program started, counted whether or
// not a sink is installed or the devices draw.
uint64_t TrianglesAskedFor();

// One line: the call name, then name=value pairs; several numbers are joined by commas,
// a missing texture is "null".
std::string FormatTraceRecord(const TraceRecord& record);

// Labels the next texture surface created with this file's base name.
void NoteFileOpenedForReading(const char* path);
// The image file a texture surface was loaded from, or null.
const char* TextureName(IDirectDrawSurface7* texture);

}  // namespace platform
