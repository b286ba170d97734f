// Names in scene files and paths are raw bytes and may hold a terminal's escape sequences.
#pragma once

#include <string>

// The text with control characters (C0, DEL, C1) and every byte that is not part of well-formed
// UTF-8 written as \xNN, byte by byte; everything else as it stands.
std::string TerminalText(const std::string& text);
