// The entry's state and operations: the main loop, the window procedure and the debugger trace.
#pragma once

#include <windows.h>

extern int AppActive;
extern int pauseToggle;  // flipped by P and F1; nothing reads it

int Startup(HINSTANCE instance, int showCommand);
// One frame of the loading screen at this light level (0 dark, 1 full).
void DrawLoadingFrame(float level);
int MainLoop(HINSTANCE instance, int showCommand);
// Messages first; on an idle pass one frame while active, the end once the show has finished.
int RunMessageLoop();
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HRESULT TraceMessage(const char* file, long line, HRESULT hr, const char* message);
