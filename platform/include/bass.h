// The audio-library subset the show plays its music through, provided on Linux by platform/audio:
// MP3 streams decoded to 16-bit stereo, positions in bytes of decoded audio.
#pragma once

#include <windows.h>

typedef DWORD HSTREAM;
typedef DWORD HSYNC;

typedef void(CALLBACK SYNCPROC)(HSYNC handle, DWORD channel, DWORD data, DWORD user);

#define BASS_SYNC_END 2
#define BASS_SAMPLE_LOOP 4

BOOL BASS_Init(int device, DWORD frequency, DWORD flags, HWND window);
HSTREAM BASS_StreamCreateFile(BOOL fromMemory, const void* file, DWORD offset, DWORD length, DWORD flags);
HSYNC BASS_ChannelSetSync(DWORD channel, DWORD type, DWORD parameter, SYNCPROC* procedure, DWORD user);
BOOL BASS_Start();
BOOL BASS_StreamPlay(HSTREAM stream, BOOL flush, DWORD flags);
DWORD BASS_ChannelGetPosition(DWORD channel);
BOOL BASS_Free();
