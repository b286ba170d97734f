// JPEG images from gfx/ and the 16-bit texture surfaces made from them.
#pragma once

#include <d3d.h>

struct Image {
    void* pixels;     // 0x00RRGGBB after LoadJpeg, 16-bit after PackImage16
    DWORD width;
    DWORD height;
};

int LoadJpeg(const char* fileName, Image* image);
LPDIRECTDRAWSURFACE7 CreateTexture(LPDIRECT3DDEVICE7 device, DWORD width, DWORD height);
int UploadImage(LPDIRECTDRAWSURFACE7 texture, Image* image);
int PackImage16(const DDPIXELFORMAT& format, Image* image);
int CountBits(DWORD mask);
void LoadTexture(const char* fileName, LPDIRECTDRAWSURFACE7* texture);
