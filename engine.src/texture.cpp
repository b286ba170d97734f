#include "texture.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// The Windows headers already define boolean as libjpeg's Windows build has it (unsigned char).
#ifdef _WIN32
#define HAVE_BOOLEAN
#endif
#include <jpeglib.h>

#include "datafile.h"
#include "renderdevice.h"

namespace {

// The largest texture side any device takes: pictures past it (or past the device's own limit,
// once known) could never become a texture.
constexpr DWORD MaxImageSide = 16384;
// libjpeg's own working memory (a progressive picture keeps all its coefficients); past this it
// fails instead of asking for gigabytes on behalf of a damaged header.
constexpr long MaxDecoderMemory = 256L << 20;

DWORD LargestImageSide(DWORD deviceLimit) {
    return deviceLimit != 0 && deviceLimit < MaxImageSide ? deviceLimit : MaxImageSide;
}

// libjpeg's standard error manager ends the process on a corrupt file; this one returns to
// LoadJpeg instead, so a bad image only leaves its texture empty.
struct JpegErrorManager {
    jpeg_error_mgr standard;
    jmp_buf recovery;
    const char* path;
};

void ReportJpegMessage(j_common_ptr decoder) {
    const JpegErrorManager* manager = reinterpret_cast<const JpegErrorManager*>(decoder->err);
    char text[JMSG_LENGTH_MAX];
    decoder->err->format_message(decoder, text);
    fprintf(stderr, "%s: %s\n", manager->path, text);
}

void RecoverFromJpegError(j_common_ptr decoder) {
    ReportJpegMessage(decoder);
    longjmp(reinterpret_cast<JpegErrorManager*>(decoder->err)->recovery, 1);
}

HRESULT CALLBACK PickTextureFormat(LPDDPIXELFORMAT format, LPVOID context) {
    if (format->dwFlags & (DDPF_LUMINANCE | DDPF_BUMPLUMINANCE | DDPF_BUMPDUDV)) return D3DENUMRET_OK;
    if (format->dwFourCC != 0) return D3DENUMRET_OK;
    if (format->dwRGBBitCount != 16) return D3DENUMRET_OK;
    memcpy(context, format, sizeof(DDPIXELFORMAT));
    return D3DENUMRET_CANCEL;
}

DWORD PowerOfTwoAtLeast(DWORD size) {
    DWORD power = 1;
    while (power < size && power < 0x80000000u) power *= 2;
    return power;
}

}  // namespace

int LoadJpeg(const char* fileName, Image* image) {
    const std::string pathText = std::string("gfx//") + fileName;
    const std::string shownText = ShownFileName(pathText);
    const char* path = shownText.c_str();
    // Names come from scene files: none may reach outside gfx/.
    if (!IsPlainFileName(fileName)) {
        fprintf(stderr, "%s: not a file name inside gfx; the picture is left out\n", path);
        return 0;
    }
    std::string problem;
    FILE* file = OpenDataFile(pathText.c_str(), problem);
    if (!file) {
        fprintf(stderr, "%s: cannot open the picture: %s\n", path, problem.c_str());
        return 0;
    }

    jpeg_decompress_struct decoder;
    JpegErrorManager errors;
    decoder.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = RecoverFromJpegError;
    errors.standard.output_message = ReportJpegMessage;
    errors.path = path;
    // Written after setjmp and read after a longjmp back to it, hence volatile.
    unsigned char* volatile row = nullptr;
    void* volatile pixels = nullptr;
    if (setjmp(errors.recovery)) {
        jpeg_destroy_decompress(&decoder);
        fclose(file);
        free(row);
        free(pixels);
        image->pixels = nullptr;
        return 0;
    }
    jpeg_create_decompress(&decoder);
    decoder.mem->max_memory_to_use = MaxDecoderMemory;

    jpeg_stdio_src(&decoder, file);
    jpeg_read_header(&decoder, TRUE);
    // Refused before jpeg_start_decompress, which allocates for the size the header claims.
    const DWORD widest = LargestImageSide(renderDevice.maxTextureWidth);
    const DWORD tallest = LargestImageSide(renderDevice.maxTextureHeight);
    if (decoder.image_width > widest || decoder.image_height > tallest) {
        fprintf(stderr, "%s: %ux%u pixels is larger than the largest texture (%ux%u); the picture is left out\n",
                path, decoder.image_width, decoder.image_height, widest, tallest);
        longjmp(errors.recovery, 1);
    }
    if (decoder.num_components != 3) {
        fprintf(stderr, "%s: %d colour components (grayscale or CMYK), not 3; the picture is left out\n", path,
                decoder.num_components);
        longjmp(errors.recovery, 1);
    }
    jpeg_start_decompress(&decoder);
    const DWORD width = decoder.output_width;
    const DWORD height = decoder.output_height;
    if (decoder.output_components != 3) {
        fprintf(stderr, "%s: decodes to %d colour components, not 3; the picture is left out\n", path,
                decoder.output_components);
        longjmp(errors.recovery, 1);
    }
    pixels = malloc(static_cast<size_t>(width) * height * 4);
    row = static_cast<unsigned char*>(malloc(static_cast<size_t>(width) * 3));
    if (!pixels || !row) {
        fprintf(stderr, "%s: not enough memory for %ux%u pixels\n", path, width, height);
        longjmp(errors.recovery, 1);
    }
    DWORD* out = static_cast<DWORD*>(pixels);
    while (decoder.output_scanline < decoder.output_height) {
        const size_t y = decoder.output_scanline;
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&decoder, rows, 1);
        for (DWORD x = 0; x < width; ++x)
            out[y * width + x] = (static_cast<DWORD>(row[3 * x]) << 16) | (static_cast<DWORD>(row[3 * x + 1]) << 8) |
                                 row[3 * x + 2];
    }
    jpeg_finish_decompress(&decoder);
    jpeg_destroy_decompress(&decoder);
    fclose(file);
    free(row);
    image->width = width;
    image->height = height;
    image->pixels = pixels;
    return 1;
}

LPDIRECTDRAWSURFACE7 CreateTexture(LPDIRECT3DDEVICE7 device, DWORD width, DWORD height) {
    D3DDEVICEDESC7 caps;
    memset(&caps, 0, sizeof caps);
    if (FAILED(device->GetCaps(&caps))) return nullptr;

    DDSURFACEDESC2 description;
    memset(&description, 0, sizeof description);
    description.dwSize = SurfaceDescriptionSize;
    description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT | DDSD_TEXTURESTAGE;
    description.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    description.dwWidth = width;
    description.dwHeight = height;
    description.dwTextureStage = 0;
    // Hardware devices manage their own texture memory; the others draw from system memory.
    if (caps.deviceGUID == IID_IDirect3DHALDevice || caps.deviceGUID == IID_IDirect3DTnLHalDevice)
        description.ddsCaps.dwCaps2 = DDSCAPS2_TEXTUREMANAGE;
    else
        description.ddsCaps.dwCaps |= DDSCAPS_SYSTEMMEMORY;

    const DWORD textureCaps = caps.dpcTriCaps.dwTextureCaps;
    if (textureCaps & D3DPTEXTURECAPS_POW2) {
        description.dwWidth = PowerOfTwoAtLeast(description.dwWidth);
        description.dwHeight = PowerOfTwoAtLeast(description.dwHeight);
    }
    if (textureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
        if (description.dwWidth > description.dwHeight)
            description.dwHeight = description.dwWidth;
        else
            description.dwWidth = description.dwHeight;
    }

    // The driver's first 16-bit RGB format, alpha formats included.
    device->EnumTextureFormats(PickTextureFormat, &description.ddpfPixelFormat);
    if (description.ddpfPixelFormat.dwRGBBitCount == 0) return nullptr;

    LPDIRECTDRAWSURFACE7 renderTarget = nullptr;
    if (FAILED(device->GetRenderTarget(&renderTarget)) || !renderTarget) return nullptr;
    LPDIRECTDRAW7 directDraw = nullptr;
    const HRESULT found = renderTarget->GetDDInterface(reinterpret_cast<LPVOID*>(&directDraw));
    renderTarget->Release();
    if (FAILED(found) || !directDraw) return nullptr;
    LPDIRECTDRAWSURFACE7 texture = nullptr;
    const HRESULT created = directDraw->CreateSurface(&description, &texture, nullptr);
    directDraw->Release();
    return SUCCEEDED(created) ? texture : nullptr;
}

int CountBits(DWORD mask) {
    int bits = 0;
    for (; mask; mask >>= 1) bits += mask & 1;
    return bits;
}

int PackImage16(const DDPIXELFORMAT& format, Image* image) {
    if (format.dwRGBBitCount == 32) return 1;
    if (format.dwRGBBitCount != 16) return 0;
    // Only the masks' widths decide the layout, not where they sit.
    const int bits = CountBits(format.dwRBitMask) + CountBits(format.dwGBitMask) + CountBits(format.dwBBitMask);
    if (bits != 16 && bits != 15) return 0;

    const size_t count = static_cast<size_t>(image->width) * image->height;
    WORD* packed = static_cast<WORD*>(malloc(count * 2));
    if (!packed && count) return 0;
    const DWORD* source = static_cast<const DWORD*>(image->pixels);
    for (size_t i = 0; i < count; ++i) {
        const DWORD r = (source[i] >> 16) & 0xFF, g = (source[i] >> 8) & 0xFF, b = source[i] & 0xFF;
        packed[i] = bits == 16 ? static_cast<WORD>(((r >> 3) << 11) + ((g >> 2) << 5) + (b >> 3))
                               : static_cast<WORD>(((r >> 3) << 10) + ((g >> 3) << 5) + (b >> 3));
    }
    free(image->pixels);
    image->pixels = packed;
    return 1;
}

int UploadImage(LPDIRECTDRAWSURFACE7 texture, Image* image) {
    LPDIRECTDRAW7 directDraw = nullptr;
    if (FAILED(texture->GetDDInterface(reinterpret_cast<LPVOID*>(&directDraw))) || !directDraw) return 0;
    DDSURFACEDESC2 description;
    memset(&description, 0, sizeof description);
    description.dwSize = SurfaceDescriptionSize;
    description.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    int result = 0;
    LPDIRECTDRAWSURFACE7 staging = nullptr;
    if (SUCCEEDED(texture->GetPixelFormat(&description.ddpfPixelFormat)) &&
        PackImage16(description.ddpfPixelFormat, image)) {
        description.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
        description.dwWidth = image->width;
        description.dwHeight = image->height;
        description.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
        if (SUCCEEDED(directDraw->CreateSurface(&description, &staging, nullptr)) && staging) {
            DDSURFACEDESC2 locked;
            memset(&locked, 0, sizeof locked);
            locked.dwSize = SurfaceDescriptionSize;
            if (SUCCEEDED(staging->Lock(nullptr, &locked, DDLOCK_WRITEONLY, nullptr))) {
                const size_t bytesPerPixel = description.ddpfPixelFormat.dwRGBBitCount == 32 ? 4 : 2;
                const size_t rowBytes = image->width * bytesPerPixel;
                const unsigned char* source = static_cast<const unsigned char*>(image->pixels);
                unsigned char* target = static_cast<unsigned char*>(locked.lpSurface);
                for (DWORD y = 0; y < image->height; ++y)
                    memcpy(target + static_cast<size_t>(y) * locked.lPitch, source + y * rowBytes, rowBytes);
                staging->Unlock(nullptr);
                // No rectangles: the picture is stretched over the whole texture.
                result = SUCCEEDED(texture->Blt(nullptr, staging, nullptr, 0, nullptr));
            }
            staging->Release();
        }
    }
    directDraw->Release();
    return result;
}

void LoadTexture(const char* fileName, LPDIRECTDRAWSURFACE7* texture) {
    Image image = {};
    if (!LoadJpeg(fileName, &image)) return;
    *texture = CreateTexture(renderDevice.device, image.width, image.height);
    if (*texture) UploadImage(*texture, &image);
    // Nothing reads an image after its upload.
    free(image.pixels);
}
