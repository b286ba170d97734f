// Device calls as JSON lines. A line is {"frame":N, ...tail}: the frame number goes first, and
// the rest (the tail) is made here. Loading frames carry "loading":true and "pos":null; show
// frames carry the music position of the virtual clock.
#pragma once

#include <platform/devicetrace.h>

#include <windows.h>

#include <cstdint>
#include <string>

struct FramePlace {
    bool loading = false;
    uint64_t position = 0;  // show frames only
};

// Appends the tail of one device call's line: its place, "call" and the arguments under their
// Direct3D names ("light.diffuse" becomes "light":{"diffuse":[...]}; the vertices of a draw
// become one array per vertex), then "}\n". Numbers and strings as JsonWriter writes them.
void AppendCallTail(std::string& line, const platform::TraceRecord& record, const FramePlace& place);

// Appends the tail of the line that opens a frame: call "Frame" with the director's clocks.
void AppendFrameTail(std::string& line, const FramePlace& place, DWORD musicPosition, float frameClock,
                     float frameDelta);
