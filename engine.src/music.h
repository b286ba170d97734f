// The music stream, the show's clock: its position is read once per frame.
#pragma once

#include <windows.h>
#include <bass.h>

extern HSTREAM MusicStream;

// Tells the user the audio library failed, frees it and ends the process with exit code 0.
[[noreturn]] void MusicFatal(HWND window, const char* text);

// End-of-stream callback: the show ends by the position, so the end of the music needs nothing.
void CALLBACK MusicSync(HSYNC handle, DWORD channel, DWORD data, DWORD user);
