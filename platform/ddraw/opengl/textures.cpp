#include "ddraw/opengl/textures.h"

#include "ddraw/software/formats.h"
#include "ddraw/software/texturesampling.h"

namespace opengl {

namespace {

using software::ColourFormat;

template <ColourFormat F>
void ExpandRows(const SurfaceMemory& memory, uint32_t* out) {
    for (DWORD y = 0; y < memory.height; ++y) {
        const uint8_t* source = static_cast<const uint8_t*>(memory.pixels) + (ptrdiff_t)y * memory.pitch;
        for (DWORD x = 0; x < memory.width; ++x) *out++ = software::LoadPixel<F>(source, (int)x);
    }
}

// A copy of a texture surface's pixels in GL, kept until the surface goes.
class TextureMirror final : public SurfaceCompanion {
public:
    explicit TextureMirror(SurfaceMemory& memory) : memory(memory) {
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, (GLsizei)memory.width, (GLsizei)memory.height, 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, nullptr);
        // Sampler objects decide filtering; these only make the texture complete without mipmaps.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    }

    GLuint Current() {
        if (uploaded && uploadedChanges == memory.changes) return texture;
        ExpandToRgb(memory, scratch);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, (GLsizei)memory.width, (GLsizei)memory.height, GL_BGRA,
                        GL_UNSIGNED_BYTE, scratch.data());
        uploaded = true;
        uploadedChanges = memory.changes;
        return texture;
    }

    void WriteBack() override {}  // memory is the original
    FlipPicture Present(HWND, DWORD) override { return FlipPicture::InMemory; }
    void FinishReadBack() override {}  // a texture is never flipped
    void SurfaceGone() override {
        memory.companion = nullptr;
        glDeleteTextures(1, &texture);
        delete this;
    }

private:
    ~TextureMirror() = default;

    SurfaceMemory& memory;
    GLuint texture = 0;
    bool uploaded = false;
    uint32_t uploadedChanges = 0;
    static std::vector<uint32_t> scratch;  // one upload at a time, on the device's thread
};

std::vector<uint32_t> TextureMirror::scratch;

GLint AddressMode(DWORD address) {
    switch (address) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
    }
}

GLint FilterMode(DWORD filter) { return filter == D3DTFG_LINEAR ? GL_LINEAR : GL_NEAREST; }

// Index of a filter/address value (1..3) in the sampler table.
int Slot(DWORD value) { return value >= 1 && value <= 3 ? (int)value - 1 : 0; }

}  // namespace

void ExpandToRgb(const SurfaceMemory& memory, std::vector<uint32_t>& out) {
    out.resize((size_t)memory.width * memory.height);
    switch (software::ColourFormatOf(memory.format)) {
    case ColourFormat::R5G6B5: ExpandRows<ColourFormat::R5G6B5>(memory, out.data()); break;
    case ColourFormat::X1R5G5B5: ExpandRows<ColourFormat::X1R5G5B5>(memory, out.data()); break;
    default: ExpandRows<ColourFormat::X8R8G8B8>(memory, out.data()); break;
    }
}

GLuint MirroredTexture(SurfaceMemory& memory) {
    if (memory.companion == nullptr) memory.companion = new TextureMirror(memory);
    if (TextureMirror* mirror = dynamic_cast<TextureMirror*>(memory.companion)) return mirror->Current();
    // A surface some device draws into: its picture as it stands now, in a texture of its own.
    static GLuint borrowed = 0;
    static std::vector<uint32_t> pixels;
    memory.companion->WriteBack();
    ExpandToRgb(memory, pixels);
    if (borrowed == 0) glGenTextures(1, &borrowed);
    glBindTexture(GL_TEXTURE_2D, borrowed);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, (GLsizei)memory.width, (GLsizei)memory.height, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, pixels.data());
    return borrowed;
}

void ForgetMirror(SurfaceMemory& memory) {
    if (TextureMirror* mirror = dynamic_cast<TextureMirror*>(memory.companion)) mirror->SurfaceGone();
}

GLuint SamplerFor(DWORD magFilter, DWORD minFilter, DWORD addressU, DWORD addressV) {
    static GLuint samplers[2][2][3][3];  // one GL context per process
    GLuint& sampler = samplers[magFilter == D3DTFG_LINEAR][minFilter == D3DTFG_LINEAR][Slot(addressU)][Slot(addressV)];
    if (sampler == 0) {
        glGenSamplers(1, &sampler);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, FilterMode(magFilter));
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, FilterMode(minFilter));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, AddressMode(addressU));
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, AddressMode(addressV));
    }
    return sampler;
}

}  // namespace opengl
