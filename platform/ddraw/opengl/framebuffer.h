// The GL framebuffer a device draws into, standing in for its DirectDraw render target and
// z-buffer: what the CPU wrote into those surfaces is uploaded before the next draw, and what
// the device drew is written back when the core reads them. A flipped picture that goes through
// memory is read back while the next frame is drawn, and handed to the display one flip later.
// Pixels are kept in the target's own layout (a 16-bit target in 5-6-5 or 5-5-5) and rows top
// first, as in the surfaces.
#pragma once

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

#include "ddraw/devicedriver.h"
#include "ddraw/software/formats.h"

#include <platform/display.h>

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
    // At a flip, after the earlier flip's picture: starts reading the picture back into the
    // memory the front takes at this flip, true; false when the memory holds the picture now
    // (nothing drawn since it was written back, or reading back at the flip was asked for).
    bool ReadBackAtFlip(HWND window, DWORD refreshRate);
    // Completes the picture the last flip left being read back: the memory gets it and the
    // display is handed it.
    void FinishReadBack();

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
    // Flipped pictures are read into these in turn, so one can be read while the last is
    // copied out; sized once for the target's size and layout.
    static constexpr int ReadBufferCount = 2;
    GLuint readBuffers[ReadBufferCount] = {};
    size_t readBufferBytes = 0;
    int nextReadBuffer = 0;
    // The picture on its way to the front's memory and the display.
    struct PendingPicture {
        GLuint buffer;
        GLsync fence;
        uint8_t* destination;
        platform::FrameImage image;  // the destination, as the display will be shown it
        HWND window;
        DWORD refreshRate;
    };
    bool picturePending = false;
    PendingPicture pending{};
    std::vector<uint32_t> scratch;
};

}  // namespace opengl
