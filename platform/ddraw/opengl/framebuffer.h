// The GL framebuffer a device draws into, standing in for its DirectDraw render target and
// z-buffer: what the CPU wrote into those surfaces is uploaded before the next draw, and what
// the device drew is written back when the core reads them. Pixels are kept in the target's own
// layout (a 16-bit target in 5-6-5 or 5-5-5) and rows top first, as in the surfaces.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "ddraw/devicedriver.h"
#include "ddraw/software/formats.h"

namespace opengl {

class Framebuffer {
public:
    Framebuffer();
    ~Framebuffer();
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // Draws go to these surfaces from now on (depth may be null); the surfaces drawn before get
    // what was drawn into them. False when another device already draws into one of them.
    bool Attach(SurfaceMemory* colour, SurfaceMemory* depth);
    // Binds the framebuffer for drawing, with the surfaces' memory uploaded where the CPU
    // changed it since, unless what comes next replaces all of that picture or depth anyway.
    void Use(bool colourReplaced = false, bool depthReplaced = false);
    // A draw or clear changed the picture and, when depthWritten, the depth.
    void Changed(bool depthWritten);

    // Shows the picture in the live display's window; false when it cannot (then nothing was shown).
    bool PresentLive(HWND window, DWORD refreshRate);

    int Width() const { return width; }
    int Height() const { return height; }

private:
    class Companion;

    void Detach();
    void UploadColour();
    void UploadDepth();
    void WriteBackColour();
    void WriteBackDepth();
    void Gone(SurfaceMemory* surface);

    SurfaceMemory* colour = nullptr;
    SurfaceMemory* depth = nullptr;
    Companion* colourCompanion = nullptr;
    Companion* depthCompanion = nullptr;
    int width = 0, height = 0;
    software::ColourFormat layout = software::ColourFormat::Unsupported;
    software::DepthFormat depthLayout = software::DepthFormat::Unsupported;
    // Whether GL holds drawing the memory lacks, and which CPU change GL has seen.
    bool colourDrawn = false, depthDrawn = false;
    uint32_t colourChanges = 0, depthChanges = 0;

    GLuint framebuffer = 0, picture = 0, depthBuffer = 0;
    GLuint depthUpload = 0;  // depths from memory, for DrawDepths
    // The picture as the display takes it (8 bits a channel), for live presentation.
    GLuint presentFramebuffer = 0, presentTexture = 0;
    int presentWidth = 0, presentHeight = 0;
    std::vector<uint32_t> scratch;
};

}  // namespace opengl
