#include "surface.h"

#include "com.h"
#include "directdraw.h"
#include "pixelformats.h"
#include "platform/display.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

namespace ddraw {

namespace {

// Change stamps come from one counter for every surface, so no two surfaces, not even one made
// where another was freed, ever show the same stamp.
uint32_t NewChangeStamp() {
    static std::atomic<uint32_t> last{0};
    return ++last;
}
// Rows start on 16-byte boundaries so a device can work on them in whole vector registers.
constexpr DWORD RowAlignment = 16;

// Within the surface, and neither flipped nor mirrored; an empty rectangle passes.
bool InsideOf(const RECT& rect, const SurfaceMemory& memory) {
    return rect.left >= 0 && rect.top >= 0 && rect.left <= rect.right && rect.top <= rect.bottom &&
           static_cast<DWORD>(rect.right) <= memory.width && static_cast<DWORD>(rect.bottom) <= memory.height;
}

bool IsEmpty(const RECT& rect) { return rect.left == rect.right || rect.top == rect.bottom; }

// Every flip chain's front, for FinishReadBacks.
std::vector<Surface*> fronts;

RECT WholeOf(const SurfaceMemory& memory) {
    return RECT{0, 0, static_cast<LONG>(memory.width), static_cast<LONG>(memory.height)};
}

// Nearest-pixel stretch as DirectDraw does it: destination pixel x takes source pixel
// x * sourceWidth / destinationWidth, rounded down (a 2:1 shrink keeps the even pixels).
template <typename Pixel>
void Stretch(const SurfaceMemory& source, const RECT& from, SurfaceMemory& destination, const RECT& to) {
    const LONG fromWidth = from.right - from.left, fromHeight = from.bottom - from.top;
    const LONG toWidth = to.right - to.left, toHeight = to.bottom - to.top;
    std::vector<LONG> columns(static_cast<size_t>(toWidth));
    for (LONG x = 0; x < toWidth; ++x) columns[x] = from.left + static_cast<LONG>(int64_t(x) * fromWidth / toWidth);
    for (LONG y = 0; y < toHeight; ++y) {
        const LONG sourceY = from.top + static_cast<LONG>(int64_t(y) * fromHeight / toHeight);
        const Pixel* sourceRow =
            reinterpret_cast<const Pixel*>(static_cast<const uint8_t*>(source.pixels) + int64_t(sourceY) * source.pitch);
        Pixel* row = reinterpret_cast<Pixel*>(static_cast<uint8_t*>(destination.pixels) +
                                              int64_t(to.top + y) * destination.pitch) + to.left;
        for (LONG x = 0; x < toWidth; ++x) row[x] = sourceRow[columns[x]];
    }
}
}  // namespace

Surface::Surface(DirectDraw* owner, DWORD caps, DWORD width, DWORD height, const DDPIXELFORMAT& format)
    : caps(caps), owner(owner) {
    owner->AddRef();
    const DWORD rowBytes = width * BytesPerPixel(format);
    const DWORD pitch = (rowBytes + RowAlignment - 1) / RowAlignment * RowAlignment;
    memory = SurfaceMemory{nullptr, static_cast<LONG>(pitch), width, height, format, NewChangeStamp(), nullptr};
    try {
        storage.assign(size_t(pitch) * height, 0);
        memory.pixels = storage.data();
    } catch (const std::bad_alloc&) {
        // memory.pixels stays null: the creator reports the failure
    }
}

HWND Surface::Window() const { return owner->window; }

Surface::~Surface() {
    if (backBuffer) fronts.erase(std::find(fronts.begin(), fronts.end(), this));
    if (memory.companion) memory.companion->SurfaceGone();
    delete backBuffer;
    if (zBuffer) zBuffer->Release();
    owner->Release();
}

Surface* AsSurface(IDirectDrawSurface7* surface) { return dynamic_cast<Surface*>(surface); }

HRESULT Surface::QueryInterface(REFIID riid, LPVOID* object) {
    return AnswerQuery<IDirectDrawSurface7>(this, riid, IID_IDirectDrawSurface7, object);
}

void Surface::LastReferenceReleased() {
    if (front == nullptr) delete this;
}

void Surface::AttachBackBuffer(Surface* back) {
    fronts.push_back(this);
    backBuffer = back;
    back->front = this;
}

void Surface::SettleMemory() {
    if (memory.companion) memory.companion->WriteBack();
    if (backBuffer && backBuffer->memory.companion) backBuffer->memory.companion->FinishReadBack();
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 wanted, LPDIRECTDRAWSURFACE7* surface) {
    if (wanted == nullptr || surface == nullptr) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    for (Surface* attached : {backBuffer, zBuffer}) {
        if (attached != nullptr && wanted->dwCaps != 0 && (attached->caps & wanted->dwCaps) == wanted->dwCaps) {
            attached->AddRef();
            *surface = attached;
            return DD_OK;
        }
    }
    return DDERR_NOTFOUND;
}

HRESULT Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE7 surface) {
    Surface* attached = AsSurface(surface);
    if (attached == nullptr || attached == this) return DDERR_INVALIDPARAMS;
    // Only a z-buffer of the same size can be attached, and only one.
    if (!(attached->caps & DDSCAPS_ZBUFFER) || (caps & DDSCAPS_ZBUFFER)) return DDERR_UNSUPPORTED;
    if (attached->memory.width != memory.width || attached->memory.height != memory.height) return DDERR_INVALIDPARAMS;
    if (zBuffer != nullptr) return DDERR_GENERIC;
    attached->AddRef();
    zBuffer = attached;
    return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 description) {
    if (description == nullptr || !ValidDescriptionSize(description->dwSize)) return DDERR_INVALIDPARAMS;
    const DWORD size = description->dwSize;
    std::memset(description, 0, sizeof(DDSURFACEDESC2));
    description->dwSize = size;
    description->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    description->dwWidth = memory.width;
    description->dwHeight = memory.height;
    description->lPitch = memory.pitch;
    description->ddpfPixelFormat = memory.format;
    description->ddsCaps.dwCaps = caps;
    if (backBuffer) {
        description->dwFlags |= DDSD_BACKBUFFERCOUNT;
        description->dwBackBufferCount = 1;
    }
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
    if (format == nullptr) return DDERR_INVALIDPARAMS;
    *format = memory.format;
    return DD_OK;
}

HRESULT Surface::GetDDInterface(LPVOID* directDraw) {
    if (directDraw == nullptr) return DDERR_INVALIDPARAMS;
    owner->AddRef();
    *directDraw = static_cast<IDirectDraw7*>(owner);
    return DD_OK;
}

HRESULT Surface::Lock(LPRECT rect, LPDDSURFACEDESC2 description, DWORD flags, HANDLE event) {
    if (description == nullptr || !ValidDescriptionSize(description->dwSize)) return DDERR_INVALIDPARAMS;
    // A failed lock hands back no memory, whatever the caller's record held before.
    description->lpSurface = nullptr;
    const RECT area = rect ? *rect : WholeOf(memory);
    if (!InsideOf(area, memory)) return DDERR_INVALIDPARAMS;
    if (locked) return DDERR_SURFACEBUSY;
    SettleMemory();
    GetSurfaceDesc(description);
    description->dwFlags |= DDSD_LPSURFACE;
    description->lpSurface = static_cast<uint8_t*>(memory.pixels) + int64_t(area.top) * memory.pitch +
                             area.left * BytesPerPixel(memory.format);
    locked = true;
    lockedForReading = (flags & DDLOCK_READONLY) != 0;
    return DD_OK;
}

HRESULT Surface::Unlock(LPRECT rect) {
    if (!locked) return DDERR_NOTLOCKED;
    locked = false;
    if (!lockedForReading) memory.changes = NewChangeStamp();
    return DD_OK;
}

HRESULT Surface::Blt(LPRECT destinationRect, LPDIRECTDRAWSURFACE7 sourceInterface, LPRECT sourceRect, DWORD flags,
                     LPDDBLTFX effects) {
    Surface* source = AsSurface(sourceInterface);
    if (source == nullptr) return DDERR_INVALIDPARAMS;  // colour fills and effects are not offered
    const RECT to = destinationRect ? *destinationRect : WholeOf(memory);
    RECT from = sourceRect ? *sourceRect : WholeOf(source->memory);
    if (!InsideOf(to, memory) || IsEmpty(to) || !InsideOf(from, source->memory) || IsEmpty(from))
        return DDERR_INVALIDRECT;
    if (locked || source->locked) return DDERR_SURFACEBUSY;
    if ((memory.format.dwFlags & DDPF_ZBUFFER) || !SameFormat(memory.format, source->memory.format))
        return DDERR_INVALIDPIXELFORMAT;
    // What a device drew must be in memory before it is read, or partly overwritten.
    source->SettleMemory();
    SettleMemory();
    const size_t bytesPerPixel = BytesPerPixel(memory.format);
    try {
        // Within one surface the source is read as it was before the blit: from a copy.
        std::vector<uint8_t> copy;
        SurfaceMemory read = source->memory;
        if (source == this) {
            const size_t rowBytes = size_t(from.right - from.left) * bytesPerPixel;
            copy.resize(rowBytes * size_t(from.bottom - from.top));
            for (LONG y = from.top; y < from.bottom; ++y)
                std::memcpy(copy.data() + size_t(y - from.top) * rowBytes,
                            static_cast<const uint8_t*>(memory.pixels) + int64_t(y) * memory.pitch +
                                size_t(from.left) * bytesPerPixel,
                            rowBytes);
            read.pixels = copy.data();
            read.pitch = static_cast<LONG>(rowBytes);
            from = RECT{0, 0, from.right - from.left, from.bottom - from.top};
        }
        if (bytesPerPixel == 2)
            Stretch<uint16_t>(read, from, memory, to);
        else
            Stretch<uint32_t>(read, from, memory, to);
    } catch (const std::bad_alloc&) {
        return DDERR_OUTOFMEMORY;
    }
    memory.changes = NewChangeStamp();
    return DD_OK;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 overrideSurface, DWORD flags) {
    if (backBuffer == nullptr) return DDERR_NOTFLIPPABLE;
    if (overrideSurface != nullptr && AsSurface(overrideSurface) != backBuffer) return DDERR_INVALIDPARAMS;
    if (!owner->exclusive) return DDERR_NOEXCLUSIVEMODE;
    if (locked || backBuffer->locked) return DDERR_SURFACEBUSY;
    // A device drawing elsewhere than in memory shows its picture itself, or reads it back
    // into the memory the front takes here and hands it to the display later.
    using FlipPicture = SurfaceCompanion::FlipPicture;
    SurfaceCompanion* drawn = backBuffer->memory.companion;
    const FlipPicture picture = drawn ? drawn->Present(owner->window, owner->mode.refreshRate) : FlipPicture::InMemory;
    if (picture == FlipPicture::Shown) return DD_OK;
    const SurfaceMemory& shown = backBuffer->memory;
    if (picture == FlipPicture::InMemory)
        platform::PresentFrame(owner->window,
                               platform::FrameImage{shown.pixels, shown.pitch, shown.width, shown.height, shown.format},
                               owner->mode.refreshRate);
    else
        platform::AnnounceFrame(owner->window);
    // The presented picture becomes the front; devices find the new back buffer's memory
    // through the same SurfaceMemory record.
    std::swap(memory.pixels, backBuffer->memory.pixels);
    storage.swap(backBuffer->storage);
    memory.changes = NewChangeStamp();
    backBuffer->memory.changes = NewChangeStamp();
    return DD_OK;
}

}  // namespace ddraw

SurfaceMemory* SurfaceMemoryOf(IDirectDrawSurface7* surface) {
    ddraw::Surface* ours = ddraw::AsSurface(surface);
    return ours ? &ours->memory : nullptr;
}

bool IsTextureSurface(IDirectDrawSurface7* surface) {
    ddraw::Surface* ours = ddraw::AsSurface(surface);
    return ours && (ours->caps & DDSCAPS_TEXTURE);
}

HWND CooperativeWindowOf(IDirectDrawSurface7* surface) {
    ddraw::Surface* ours = ddraw::AsSurface(surface);
    return ours ? ours->Window() : nullptr;
}

IDirectDrawSurface7* AttachedZBufferOf(IDirectDrawSurface7* surface) {
    ddraw::Surface* ours = ddraw::AsSurface(surface);
    return ours ? ours->zBuffer : nullptr;
}

void FinishReadBacks() {
    for (ddraw::Surface* front : ddraw::fronts) front->SettleMemory();
}

const char* SurfaceNameOf(IDirectDrawSurface7* surface) {
    ddraw::Surface* ours = ddraw::AsSurface(surface);
    return ours && !ours->name.empty() ? ours->name.c_str() : nullptr;
}
