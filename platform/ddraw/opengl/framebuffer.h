// The GL framebuffer a device draws into, standing in for its DirectDraw render target and
// z-buffer: what the CPU wrote into those surfaces is uploaded before the next draw, and what
// the device drew is written back when the core reads them. Rows are kept top first, as in the
// surfaces, and pictures at 8 bits per channel: a 16-bit target gets its 5-6-5 pixels (and
// dither) as the picture leaves the framebuffer.
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
    // changed it since; dither is how 16-bit pictures leave it from now on.
    void Use(bool dither);
    // A draw or clear changed the picture and, when depthWritten, the depth.
    void Changed(bool depthWritten);

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
    bool dither = false;
    // Whether GL holds drawing the memory lacks, and which CPU change GL has seen.
    bool colourDrawn = false, depthDrawn = false;
    uint32_t colourChanges = 0, depthChanges = 0;

    GLuint framebuffer = 0, picture = 0, depthBuffer = 0;
    GLuint resolveFramebuffer = 0, resolved = 0;  // the picture as the target stores it
    GLuint depthUpload = 0;                       // depths from memory, for DrawDepths
    std::vector<uint32_t> scratch;
};

}  // namespace opengl
