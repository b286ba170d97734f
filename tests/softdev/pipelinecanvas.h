// A render target, depth buffer and textures in plain memory, drawn into straight through the
// software pipeline: for what the device's COM interface cannot reach (a drawing path of one's
// choosing, surfaces the device would never be given).
#pragma once

#include <vector>

#include "canvas.h"
#include "ddraw/pixelformats.h"
#include "ddraw/software/renderer.h"

namespace softdevtest {

// A surface with its own memory; rows padded so pitch differs from the row size.
struct Image {
    std::vector<uint8_t> bytes;
    SurfaceMemory memory{};

    Image(int width, int height, const DDPIXELFORMAT& format) {
        memory.width = DWORD(width);
        memory.height = DWORD(height);
        memory.pitch = width * int(ddraw::BytesPerPixel(format)) + 8;
        memory.format = format;
        bytes.assign(size_t(memory.pitch) * size_t(height), 0);
        memory.pixels = bytes.data();
    }
    // A texture of the layout's bits (as RgbLayout takes them) holding 0x00RRGGBB texels.
    Image(int width, int height, int bits, const std::vector<uint32_t>& texels) : Image(width, height, RgbLayout(bits)) {
        PackTexels(bits, width, height, texels, bytes.data(), memory.pitch);
    }
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
};

class PipelineCanvas : public Canvas {
public:
    PipelineCanvas(int width, int height, int bits = 32, int depthBits = 16,
                   software::InstructionSet set = software::ChosenInstructionSet(),
                   int threads = software::DrawingThreads())
        : Canvas(width, height, bits, depthBits),
          colour(width, height, RgbLayout(bits)),
          depth(width, height, ddraw::ZBufferFormat(DWORD(depthBits))),
          renderer(set, threads) {
        D3DVIEWPORT7 viewport{0, 0, DWORD(width), DWORD(height), 0.0f, 1.0f};
        renderer.SetViewport(viewport, DWORD(width), DWORD(height));
        renderer.SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
        Clear(0, 1.0f);
    }

    software::Surfaces Surfaces(const Image* texture = nullptr) const {
        return software::Surfaces{&colour.memory, &depth.memory, texture ? &texture->memory : nullptr};
    }
    HRESULT Clear(D3DCOLOR c, float z) {
        return renderer.Clear(Surfaces(), 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, c, z);
    }
    HRESULT Draw(const std::vector<ScreenVertex>& v, const Image* texture = nullptr) {
        return renderer.DrawPrimitive(Surfaces(texture), D3DPT_TRIANGLELIST, kScreenFormat, v.data(), DWORD(v.size()));
    }
    HRESULT Draw(const std::vector<MeshVertex>& v, const Image* texture = nullptr) {
        return renderer.DrawPrimitive(Surfaces(texture), D3DPT_TRIANGLELIST, kMeshFormat, v.data(), DWORD(v.size()));
    }

    HRESULT SetState(DWORD state, DWORD value) override { return renderer.SetRenderState(state, value); }
    HRESULT SetStageState(DWORD state, DWORD value) override { return renderer.SetTextureStageState(0, state, value); }

    Image colour;
    Image depth;
    software::Renderer renderer;

private:
    // Drawing may still be under way on other threads until the renderer finishes it.
    const uint8_t* Acquire(bool depthBuffer, long* pitch) override {
        renderer.Finish();
        const Image& image = depthBuffer ? depth : colour;
        *pitch = image.memory.pitch;
        return image.bytes.data();
    }
    void Release(bool) override {}
};

}  // namespace softdevtest
