// What the fuzz targets share: a private working folder laid out as the show expects (scenes/
// and gfx/ beside each other), inputs written into it as files, since the show's readers take
// file names, the show's own messages kept off the fuzzer's output, and the software device.
#pragma once

#include <cstddef>
#include <cstdint>

// Makes the folder, enters it and silences the show's messages (set HELIOTROPIC_FUZZ_VERBOSE to
// keep them). The folder is removed when the process exits normally.
void EnterFuzzFolder();

// Writes the input to path inside the folder, replacing what was there.
void WriteFuzzFile(const char* path, const uint8_t* data, size_t size);

// Opens the first device of a small virtual display as the show's render device, with its
// texture limits read as start-up reads them.
void OpenShowDevice();

// Loads the file at scenes/NAME as start-up does, then evaluates and draws it at a few frames
// (the first, the last and past the end) on the show's render device, then frees it.
void LoadAndDrawScene(const char* name, float frameScale, int flatMesh);

// The show's frame scales, picked by one input byte.
float FrameScaleOf(uint8_t choice);
