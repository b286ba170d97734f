// Everything between the process entry and the first frame: the window, the device, every asset,
// the music. The order is part of the show: the loading screen comes first, the music last.
#include "main.h"

#include <bass.h>

#include "music.h"

namespace {

const char ClassName[] = "HELIOTROPIC";
const char WindowTitle[] = "H.E.L.I.O.T.R.O.P.I.C";

HWND CreateMainWindow(HINSTANCE instance) {
    WNDCLASSA windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(32512));
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = nullptr;
    windowClass.lpszMenuName = WindowTitle;
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
    return CreateWindowExA(WS_EX_TOPMOST, ClassName, WindowTitle, WS_POPUP, 0, 0, 320, 200, nullptr, nullptr,
                           instance, nullptr);
}

}  // namespace

int Startup(HINSTANCE instance, int showCommand) {
    HWND window = CreateMainWindow(instance);
    if (window == nullptr) return 0;

    // Setup defaults and the setup dialog owned by the window go here; leaving it ends the run.

    ShowWindow(window, showCommand);
    UpdateWindow(window);

    // Here follow, in order: the render device on this window and its texture limits, the
    // dialog's dithering and perspective render states, the loading image and scene with the
    // fade-in, the other scenes, the figure copy, the flare billboard, the other images, the
    // projections and the particle field.

    if (!BASS_Init(-1, 44100, 0, nullptr)) MusicFatal(window, "Can't initialize device");
    MusicStream = BASS_StreamCreateFile(FALSE, "music//clone.mp3", 0, 0, 0x20000);
    if (MusicStream == 0) return 0;
    BASS_ChannelSetSync(MusicStream, BASS_SYNC_END, 0, MusicSync, 0);
    BASS_Start();

    // The fade-out of the loading screen goes here, before the music starts.

    BASS_StreamPlay(MusicStream, FALSE, BASS_SAMPLE_LOOP);
    return 1;
}
