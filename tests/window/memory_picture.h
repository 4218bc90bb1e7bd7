#pragma once

#include <windows.h>

#include <vector>

#include "scoped_win.h"

// A 32-bit bitmap of `width` x `height` selected into a memory DC, to paint
// a control into and read back pixel by pixel.
class MemoryPicture {
public:
    MemoryPicture(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
        previous_ = SelectObject(dc_.get(), bitmap_.get());
    }
    ~MemoryPicture() { SelectObject(dc_.get(), previous_); }
    MemoryPicture(const MemoryPicture&) = delete;
    MemoryPicture& operator=(const MemoryPicture&) = delete;

    HDC dc() const { return dc_.get(); }
    int width() const { return width_; }
    int height() const { return height_; }

    // Row by row, as COLORREFs.
    std::vector<COLORREF> colours() const {
        GdiFlush();
        std::vector<COLORREF> out;
        const auto* bgra = static_cast<const unsigned char*>(bits_);
        for (int i = 0; i < width_ * height_; ++i) out.push_back(RGB(bgra[4 * i + 2], bgra[4 * i + 1], bgra[4 * i]));
        return out;
    }

private:
    int width_, height_;
    ScopedMemoryDc dc_;
    ScopedBitmap bitmap_;
    void* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};
