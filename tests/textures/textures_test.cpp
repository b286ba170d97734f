#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "ddraw/pixelformats.h"
#include "scripteddevice.h"
#include "jpegwriter.h"
#include "texture.h"
#include "workfolder.h"

namespace {

struct ImageHolder {
    Image image = {};
    ~ImageHolder() { free(image.pixels); }
    DWORD Pixel(size_t i) const { return static_cast<const DWORD*>(image.pixels)[i]; }
    WORD Packed(size_t i) const { return static_cast<const WORD*>(image.pixels)[i]; }
};

void Fill(ImageHolder& holder, DWORD width, DWORD height, DWORD colour) {
    holder.image.width = width;
    holder.image.height = height;
    holder.image.pixels = malloc(width * height * 4);
    for (DWORD i = 0; i < width * height; ++i) static_cast<DWORD*>(holder.image.pixels)[i] = colour;
}

int Channel(DWORD pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

class JpegFiles : public ::testing::Test {
protected:
    ScopedWorkFolder folder;
};

TEST_F(JpegFiles, ColourFileDecodesToRowMajorRgb) {
    // Left half orange, right half blue, bottom row green: every edge lands in the right place.
    ASSERT_TRUE(WriteJpeg("gfx/colour.jpg", 16, 8, [](int x, int y) -> uint32_t {
        if (y == 7) return 0x00FF00;
        return x < 8 ? 0xFF8040 : 0x0000FF;
    }));
    ImageHolder holder;
    ASSERT_EQ(LoadJpeg("colour.jpg", &holder.image), 1);
    EXPECT_EQ(holder.image.width, 16u);
    EXPECT_EQ(holder.image.height, 8u);
    const DWORD orange = holder.Pixel(2 * 16 + 2), blue = holder.Pixel(2 * 16 + 13), green = holder.Pixel(7 * 16 + 4);
    EXPECT_NEAR(Channel(orange, 16), 0xFF, 8);
    EXPECT_NEAR(Channel(orange, 8), 0x80, 8);
    EXPECT_NEAR(Channel(orange, 0), 0x40, 8);
    EXPECT_NEAR(Channel(blue, 0), 0xFF, 8);
    EXPECT_NEAR(Channel(blue, 16), 0, 8);
    EXPECT_NEAR(Channel(green, 8), 0xFF, 8);
    EXPECT_NEAR(Channel(green, 16), 0, 8);
    EXPECT_EQ(orange >> 24, 0u);
}

TEST_F(JpegFiles, UnusablePicturesAreRefusedWithOneLineNamingTheFile) {
    const auto grey = [](int, int) { return 0x808080u; };
    ASSERT_TRUE(WriteJpeg("gfx/gray.jpg", 8, 8, grey, JpegLayout::Grayscale));
    ASSERT_TRUE(WriteJpeg("gfx/cmyk.jpg", 8, 8, grey, JpegLayout::Cmyk));
    ASSERT_TRUE(WriteJpeg("outside.jpg", 8, 8, grey));
    ASSERT_EQ(mkdir("gfx/folder.jpg", 0755), 0);
    ASSERT_EQ(mkfifo("gfx/fifo.jpg", 0644), 0);
    ASSERT_EQ(symlink("loop.jpg", "gfx/loop.jpg"), 0);
    // Names come from scene files; none may reach outside gfx/.
    for (const char* name :
         {"gray.jpg", "cmyk.jpg", "absent.jpg", "folder.jpg", "fifo.jpg", "loop.jpg", "../outside.jpg", "..", ""}) {
        ImageHolder holder;
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadJpeg(name, &holder.image), 0) << name;
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
        EXPECT_EQ(message.rfind(std::string("gfx//") + name + ": ", 0), 0u) << message;
        EXPECT_EQ(holder.image.pixels, nullptr) << name;
    }
    // A name from a file is shown with its control bytes escaped: it never drives the terminal.
    ImageHolder holder;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadJpeg("\x1b[2J.jpg", &holder.image), 0);
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind("gfx//\\x1b[2J.jpg: cannot open", 0), 0u) << message;
}

// A small progressive picture whose frame header claims another size: decoding would allocate
// for the claimed size.
void WriteProgressiveClaiming(const char* path, int width, int height) {
    ASSERT_TRUE(WriteJpeg(path, 16, 16, [](int x, int y) { return static_cast<uint32_t>(x * 16 + y); },
                          JpegLayout::Progressive));
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    // SOF2: FF C2, length (2), precision (1), height (2), width (2), big-endian.
    size_t at = 0;
    while (at + 8 < bytes.size() && !(bytes[at] == 0xFF && bytes[at + 1] == 0xC2)) ++at;
    ASSERT_LT(at + 8, bytes.size());
    bytes[at + 5] = static_cast<unsigned char>(height >> 8), bytes[at + 6] = static_cast<unsigned char>(height);
    bytes[at + 7] = static_cast<unsigned char>(width >> 8), bytes[at + 8] = static_cast<unsigned char>(width);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST_F(JpegFiles, HugeSizesClaimedByAProgressiveHeaderAreRefusedBeforeDecoding) {
    WriteProgressiveClaiming("gfx/claims.jpg", 30000, 30000);
    // Within the largest texture, but its coefficients alone would take 860 MB of decoder memory.
    WriteProgressiveClaiming("gfx/greedy.jpg", 12000, 12000);
    WriteProgressiveClaiming("gfx/honest.jpg", 16, 16);
    ImageHolder holder;
    for (const char* name : {"claims.jpg", "greedy.jpg"}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadJpeg(name, &holder.image), 0) << name;
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_NE(message.find(name), std::string::npos) << message;
    }
    EXPECT_EQ(LoadJpeg("honest.jpg", &holder.image), 1);
    EXPECT_EQ(holder.image.width, 16u);
}

TEST_F(JpegFiles, CorruptFilesFailWithoutEndingTheProcess) {
    ASSERT_TRUE(WriteJpeg("gfx/good.jpg", 32, 32, [](int x, int y) { return static_cast<uint32_t>(x * 8 + y); }));
    FILE* file = fopen("gfx/good.jpg", "rb");
    std::vector<unsigned char> bytes(100000);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), file));
    fclose(file);

    auto write = [](const char* path, const std::vector<unsigned char>& data) {
        FILE* out = fopen(path, "wb");
        if (!data.empty()) fwrite(data.data(), 1, data.size(), out);
        fclose(out);
    };
    write("gfx/text.jpg", std::vector<unsigned char>{'n', 'o', 't', ' ', 'a', ' ', 'j', 'p', 'e', 'g'});
    std::vector<unsigned char> header(bytes.begin(), bytes.begin() + 40);
    write("gfx/header.jpg", header);
    std::vector<unsigned char> scrambled = bytes;
    for (size_t i = 2; i < 200 && i < scrambled.size(); ++i) scrambled[i] ^= 0x5A;
    write("gfx/scrambled.jpg", scrambled);

    ImageHolder holder;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadJpeg("text.jpg", &holder.image), 0);
    EXPECT_EQ(LoadJpeg("header.jpg", &holder.image), 0);
    EXPECT_EQ(LoadJpeg("scrambled.jpg", &holder.image), 0);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("gfx//text.jpg"), std::string::npos) << errors;
    EXPECT_NE(errors.find("gfx//header.jpg"), std::string::npos) << errors;

    // A file cut in its picture data still decodes (libjpeg fills the rest) or fails; it never ends
    // the run, whatever the cut.
    for (size_t size = 0; size < bytes.size(); size += 37) {
        write("gfx/cut.jpg", std::vector<unsigned char>(bytes.begin(), bytes.begin() + size));
        ImageHolder cut;
        testing::internal::CaptureStderr();
        const int loaded = LoadJpeg("cut.jpg", &cut.image);
        testing::internal::GetCapturedStderr();
        if (loaded) {
            EXPECT_EQ(cut.image.width, 32u);
        }
    }
    EXPECT_EQ(LoadJpeg("good.jpg", &holder.image), 1);
}

TEST_F(JpegFiles, PicturesLargerThanAnyTextureAreRefused) {
    ASSERT_TRUE(WriteJpeg("gfx/wide.jpg", 16385, 1, [](int, int) { return 0u; }, JpegLayout::Colour, 10));
    ASSERT_TRUE(WriteJpeg("gfx/widest.jpg", 16384, 1, [](int, int) { return 0u; }, JpegLayout::Colour, 10));
    ImageHolder holder;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadJpeg("wide.jpg", &holder.image), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("gfx//wide.jpg"), std::string::npos);
    EXPECT_EQ(LoadJpeg("widest.jpg", &holder.image), 1);
}

TEST(PixelPacking, CountBitsCountsSetBits) {
    EXPECT_EQ(CountBits(0), 0);
    EXPECT_EQ(CountBits(0xF800), 5);
    EXPECT_EQ(CountBits(0x07E0), 6);
    EXPECT_EQ(CountBits(0x80000001u), 2);
    EXPECT_EQ(CountBits(0xFFFFFFFFu), 32);
}

TEST(PixelPacking, SixteenBitLayoutsFollowTheMaskWidths) {
    struct Case {
        DDPIXELFORMAT format;
        int result;
        WORD packed;
    } cases[] = {
        {ddraw::RgbFormat(16, 0xF800, 0x07E0, 0x001F), 1, 0xFC08},
        {ddraw::RgbFormat(16, 0x7C00, 0x03E0, 0x001F), 1, 0x7E08},
        {ddraw::RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000), 1, 0x7E08},
        // Only the widths count: 6-5-5 packs as 5-6-5.
        {ddraw::RgbFormat(16, 0xFC00, 0x03E0, 0x001F), 1, 0xFC08},
        {ddraw::RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000), 0, 0},
    };
    for (const Case& c : cases) {
        ImageHolder holder;
        Fill(holder, 3, 2, 0x00FF8040);
        EXPECT_EQ(PackImage16(c.format, &holder.image), c.result) << std::hex << c.format.dwRBitMask;
        if (c.result) {
            EXPECT_EQ(holder.Packed(0), c.packed);
            EXPECT_EQ(holder.Packed(5), c.packed);
        } else {
            EXPECT_EQ(holder.Pixel(5), 0x00FF8040u);  // refused: the pixels are left alone
        }
    }
}

TEST(PixelPacking, ThirtyTwoBitsKeepThePixelsOtherDepthsAreRefused) {
    ImageHolder holder;
    Fill(holder, 2, 2, 0x00123456);
    EXPECT_EQ(PackImage16(ddraw::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF), &holder.image), 1);
    EXPECT_EQ(holder.Pixel(3), 0x00123456u);
    EXPECT_EQ(PackImage16(ddraw::RgbFormat(24, 0xFF0000, 0xFF00, 0xFF), &holder.image), 0);
    EXPECT_EQ(PackImage16(ddraw::RgbFormat(8, 0xE0, 0x1C, 0x03), &holder.image), 0);
}

struct TextureDevice : public ::testing::Test {
    fake::Setup setup;

    fake::Surface* Make(DWORD width, DWORD height) {
        LPDIRECTDRAWSURFACE7 texture = CreateTexture(&setup.device, width, height);
        return static_cast<fake::Surface*>(texture);
    }
};

TEST_F(TextureDevice, SizesFollowThePowerOfTwoAndSquareCaps) {
    struct Case {
        DWORD caps, width, height, expectedWidth, expectedHeight;
    } cases[] = {
        {0, 200, 100, 200, 100},
        {D3DPTEXTURECAPS_POW2, 200, 100, 256, 128},
        {D3DPTEXTURECAPS_POW2, 256, 1, 256, 1},
        {D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 200, 100, 256, 256},
        {D3DPTEXTURECAPS_SQUAREONLY, 100, 200, 200, 200},
        {D3DPTEXTURECAPS_SQUAREONLY, 300, 200, 300, 300},
    };
    for (const Case& c : cases) {
        setup.device.caps.dpcTriCaps.dwTextureCaps = c.caps;
        fake::Surface* texture = Make(c.width, c.height);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->description.dwWidth, c.expectedWidth) << c.caps << " " << c.width << "x" << c.height;
        EXPECT_EQ(texture->description.dwHeight, c.expectedHeight) << c.caps << " " << c.width << "x" << c.height;
        EXPECT_EQ(texture->description.dwFlags, 0x101007u);
        EXPECT_EQ(texture->description.dwSize, 124u);
        EXPECT_TRUE(texture->description.ddsCaps.dwCaps & DDSCAPS_TEXTURE);
    }
    // The DirectDraw and render-target references taken on the way are given back.
    EXPECT_EQ(setup.directDraw.references, 1u);
    EXPECT_EQ(setup.device.renderTarget->references, 1u);
}

TEST_F(TextureDevice, HardwareDevicesManageTextureMemoryOthersUseSystemMemory) {
    fake::Surface* software = Make(8, 8);
    EXPECT_EQ(software->description.ddsCaps.dwCaps, static_cast<DWORD>(DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY));
    EXPECT_EQ(software->description.ddsCaps.dwCaps2, 0u);
    for (const GUID* hardware : {&IID_IDirect3DHALDevice, &IID_IDirect3DTnLHalDevice}) {
        setup.device.caps.deviceGUID = *hardware;
        fake::Surface* managed = Make(8, 8);
        EXPECT_EQ(managed->description.ddsCaps.dwCaps, static_cast<DWORD>(DDSCAPS_TEXTURE));
        EXPECT_EQ(managed->description.ddsCaps.dwCaps2, static_cast<DWORD>(DDSCAPS2_TEXTUREMANAGE));
    }
}

TEST_F(TextureDevice, TakesTheFirstSixteenBitRgbFormat) {
    DDPIXELFORMAT luminance = ddraw::RgbFormat(16, 0xFF, 0, 0);
    luminance.dwFlags = DDPF_LUMINANCE;
    DDPIXELFORMAT fourCC = ddraw::RgbFormat(16, 0, 0, 0);
    fourCC.dwFlags = DDPF_FOURCC;
    fourCC.dwFourCC = 0x31545844;
    DDPIXELFORMAT bump = ddraw::RgbFormat(16, 0xFF, 0xFF00, 0);
    bump.dwFlags = DDPF_BUMPDUDV;
    const DDPIXELFORMAT alpha1555 = ddraw::RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    setup.device.textureFormats = {ddraw::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF), luminance, fourCC, bump, alpha1555,
                                   ddraw::RgbFormat(16, 0xF800, 0x07E0, 0x001F)};
    fake::Surface* texture = Make(4, 4);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(memcmp(&texture->description.ddpfPixelFormat, &alpha1555, sizeof alpha1555), 0);

    setup.device.textureFormats = {ddraw::RgbFormat(32, 0xFF0000, 0xFF00, 0xFF), luminance};
    EXPECT_EQ(Make(4, 4), nullptr);
    setup.device.textureFormats = {ddraw::RgbFormat(16, 0xF800, 0x07E0, 0x001F)};
    setup.device.failGetCaps = 1;
    EXPECT_EQ(Make(4, 4), nullptr);
    setup.device.failGetCaps = 0;
    setup.directDraw.failCreateSurface = 1;
    EXPECT_EQ(Make(4, 4), nullptr);
}

TEST_F(TextureDevice, UploadPacksAndStretchesThePictureOverTheTexture) {
    setup.device.caps.dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY;
    ImageHolder holder;
    Fill(holder, 200, 100, 0x00FF8040);
    for (DWORD x = 100; x < 200; ++x)
        for (DWORD y = 0; y < 100; ++y) static_cast<DWORD*>(holder.image.pixels)[y * 200 + x] = 0x000000FF;
    fake::Surface* texture = Make(200, 100);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(UploadImage(texture, &holder.image), 1);
    EXPECT_EQ(holder.Packed(0), 0xFC08);
    EXPECT_EQ(texture->blits, 1);
    EXPECT_EQ(texture->Pixel(0, 0), 0xFC08u);
    EXPECT_EQ(texture->Pixel(127, 255), 0xFC08u);
    EXPECT_EQ(texture->Pixel(128, 0), 0x001Fu);
    EXPECT_EQ(texture->Pixel(255, 255), 0x001Fu);
    // The staging surface matched the image and was given back.
    const std::vector<fake::Surface*> created = setup.CreatedSurfaces();
    ASSERT_EQ(created.size(), 2u);
    EXPECT_EQ(created[1]->description.dwWidth, 200u);
    EXPECT_EQ(created[1]->description.dwFlags, 0x1007u);
    EXPECT_EQ(created[1]->references, 0u);
    EXPECT_EQ(setup.directDraw.references, 1u);
}

TEST_F(TextureDevice, UploadFailsOnAnUnusableFormatOrDevice) {
    setup.device.textureFormats = {ddraw::RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000)};
    fake::Surface* texture = Make(4, 4);
    ASSERT_NE(texture, nullptr);
    ImageHolder holder;
    Fill(holder, 4, 4, 0x00FF8040);
    EXPECT_EQ(UploadImage(texture, &holder.image), 0);
    EXPECT_EQ(texture->blits, 0);

    setup.device.textureFormats = {ddraw::RgbFormat(16, 0xF800, 0x07E0, 0x001F)};
    texture = Make(4, 4);
    texture->failBlt = 1;
    EXPECT_EQ(UploadImage(texture, &holder.image), 0);
    EXPECT_EQ(setup.CreatedSurfaces().back()->references, 0u);  // staging given back
}

TEST_F(TextureDevice, LoadTextureFillsTheVariableOnlyForAReadableImage) {
    ScopedWorkFolder folder;
    ASSERT_TRUE(WriteJpeg("gfx/key.jpg", 20, 10, [](int, int) { return 0x0000FFu; }));
    ASSERT_TRUE(WriteJpeg("gfx/gray.jpg", 20, 10, [](int, int) { return 0x808080u; }, JpegLayout::Grayscale));
    RenderDevice saved = renderDevice;
    renderDevice = setup.renderDevice;

    LPDIRECTDRAWSURFACE7 missing = nullptr, gray = nullptr, key = nullptr;
    LoadTexture("absent.jpg", &missing);
    LoadTexture("gray.jpg", &gray);
    LoadTexture("key.jpg", &key);
    renderDevice = saved;
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(gray, nullptr);
    ASSERT_NE(key, nullptr);
    fake::Surface* texture = static_cast<fake::Surface*>(key);
    EXPECT_EQ(texture->description.dwWidth, 20u);
    EXPECT_EQ(texture->Pixel(10, 5), 0x001Fu);
}

}  // namespace
