// What drawing tests share, whoever draws: the vertex layouts they send, the pixel layouts
// they draw into and sample from, and a canvas read back pixel by pixel. The software device's
// own tests draw into a canvas straight through its pipeline; the tests of every device draw
// into one through the COM interface (devicecanvas.h).
#pragma once

#include <d3d.h>

#include <cstdint>
#include <vector>

class Canvas;

// Vertex of format 0x1C4: screen position, diffuse and specular colours, one texture co-ordinate.
struct ScreenVertex {
    float x, y, z, rhw;
    DWORD diffuse, specular;
    float u, v;
};
constexpr DWORD kScreenFormat = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// Vertex of format 0x112: position, normal, one texture co-ordinate.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};
constexpr DWORD kMeshFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;

// Vertex of format 0x042: position and diffuse colour.
struct ColouredVertex {
    float x, y, z;
    DWORD diffuse;
};
constexpr DWORD kColouredFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// Two clockwise triangles covering x0..x1, y0..y1 in screen space.
std::vector<ScreenVertex> Quad(float x0, float y0, float x1, float y1, DWORD colour, float z = 0.5f, float u0 = 0.0f,
                               float v0 = 0.0f, float u1 = 1.0f, float v1 = 1.0f);
// Two triangles covering -1..1 in x and y at z, facing -z with normals of the given length: the
// whole viewport under identity transforms.
std::vector<MeshVertex> FacingSquare(float z, float normalLength = 1.0f);

D3DMATRIX Identity();

// Whether each channel of two 0x00RRGGBB colours is within tolerance levels.
bool Near(uint32_t a, uint32_t b, int tolerance);

// Additive drawing of one unit of red per covered pixel, with At's vertices: a pixel's red is
// its coverage count.
void AddOneUnit(Canvas& canvas);
ScreenVertex At(float x, float y);
// The same filter for magnifying and minifying.
void SetFilter(Canvas& canvas, DWORD filter);

// Targets and textures by their bits: 15 for X1R5G5B5, 16 for R5G6B5, 32 for X8R8G8B8.
DDPIXELFORMAT RgbLayout(int bits);
// 0x00RRGGBB texels packed into rows of that layout.
void PackTexels(int bits, int width, int height, const std::vector<uint32_t>& texels, uint8_t* rows, long pitch);

// A stored pixel of a layout of those bits as 0x00RRGGBB, each channel widened to 8 bits.
uint32_t RgbOf(uint32_t raw, int bits);

// A colour target with its depth buffer, read back as stored or as 0x00RRGGBB.
class Canvas {
public:
    virtual ~Canvas() = default;

    int Width() const { return width; }
    int Height() const { return height; }
    uint32_t Raw(int x, int y);
    uint32_t Rgb(int x, int y);
    uint32_t Depth(int x, int y);
    std::vector<uint32_t> Picture();  // every Rgb pixel, row by row
    int Count(uint32_t rgb);

    // Render states and texture stage 0's states, set through whatever the canvas draws with.
    virtual HRESULT SetState(DWORD state, DWORD value) = 0;
    virtual HRESULT SetStageState(DWORD state, DWORD value) = 0;

protected:
    // bits as RgbLayout takes them; depth bits 16 or 32, 0 for none.
    Canvas(int width, int height, int bits, int depthBits)
        : width(width), height(height), bits(bits), depthBits(depthBits) {}
    // The rows of the target or the depth buffer once drawing has finished, until Release.
    virtual const uint8_t* Acquire(bool depth, long* pitch) = 0;
    virtual void Release(bool depth) = 0;

    int width, height, bits, depthBits;

private:
    uint32_t Stored(bool depth, int x, int y);
};
