// One line of debugger output for a failure the user is not shown: "file(line): message",
// followed by "(hr=...)" when hr is not zero. Returns hr.
#pragma once

#include <windows.h>

HRESULT TraceMessage(const char* file, long line, HRESULT hr, const char* message);
