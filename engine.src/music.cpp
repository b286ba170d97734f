#include "music.h"

HSTREAM MusicStream = 0;

void MusicFatal(HWND window, const char* text) {
    MessageBoxA(window, text, "Bass ERROR!!!", MB_OK);
    BASS_Free();
    ExitProcess(0);
}

void CALLBACK MusicSync(HSYNC handle, DWORD channel, DWORD data, DWORD user) {}
