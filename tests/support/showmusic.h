// The show's music stream on the virtual music clock, for tests that run frames.
#pragma once

#include <string>

// Writes a short silent "music/clone.mp3" under folder (created if needed); the path or "" on failure.
std::string WriteSilentShowMusic(const std::string& folder);

// Removes what WriteSilentShowMusic wrote, and the folder when it is then empty.
void RemoveSilentShowMusic(const std::string& folder);

// Opens that file as the show's MusicStream on the virtual clock and starts it; false on failure.
bool StartVirtualShowMusic(const std::string& mp3Path);
