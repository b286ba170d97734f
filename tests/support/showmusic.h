// The show's music stream on the virtual music clock, for tests that run frames.
#pragma once

#include <string>

// Writes a short silent "music/clone.mp3" under folder (created if needed); the path or "" on failure.
std::string WriteSilentShowMusic(const std::string& folder);

// Writes that music in a temporary folder, opens it as the show's MusicStream on the virtual
// clock and starts it; false on failure. The stream is decoded whole, so the folder goes at once.
bool StartSilentShowMusic();
