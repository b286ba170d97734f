// Opening the show's data files (scenes and images). Only regular files are opened: a folder, a
// FIFO or a device where a file should be fails at once with a plain reason, instead of blocking
// the start-up or handing a reader a size it cannot trust.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// No scene or image of the show comes near this; a larger file is refused before it is read.
constexpr size_t MaxDataFileSize = size_t(256) << 20;

// The file opened for reading ("rb"), or null with the reason in problem.
FILE* OpenDataFile(const char* path, std::string& problem);

// Reads a whole data file; 0 with the reason in problem.
int ReadDataFile(const char* path, std::vector<unsigned char>& bytes, std::string& problem);

// A file name read from a data file, which must name a file inside the folder it is looked up
// in: not empty, no path separator, not "." or "..".
bool IsPlainFileName(const char* name);

// A file name as messages show it: bytes outside printable ASCII as \xNN, so a name read from a
// data file never reaches a terminal as a control sequence.
std::string ShownFileName(const std::string& name);
