#include "WindowPicture.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace bench {

namespace {

struct ScreenDc {
    HDC dc = GetDC(nullptr);
    ~ScreenDc() {
        if (dc) ReleaseDC(nullptr, dc);
    }
};

struct MemoryDc {
    HDC dc;
    explicit MemoryDc(HDC compatibleWith) : dc(CreateCompatibleDC(compatibleWith)) {}
    ~MemoryDc() {
        if (dc) DeleteDC(dc);
    }
};

struct Bitmap {
    HBITMAP bitmap;
    Bitmap(HDC dc, int width, int height) : bitmap(CreateCompatibleBitmap(dc, width, height)) {}
    ~Bitmap() {
        if (bitmap) DeleteObject(bitmap);
    }
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Bottom-up rows of 24-bit pixels, each row padded to four bytes.
bool ReadPixels(const RECT& rect, BITMAPINFOHEADER& info, std::vector<BYTE>& pixels) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    ScreenDc screen;
    MemoryDc memory(screen.dc);
    Bitmap bitmap(screen.dc, width, height);
    if (!screen.dc || !memory.dc || !bitmap.bitmap) return false;
    HGDIOBJ previous = SelectObject(memory.dc, bitmap.bitmap);
    const bool copied = BitBlt(memory.dc, 0, 0, width, height, screen.dc, rect.left, rect.top, SRCCOPY) != 0;
    SelectObject(memory.dc, previous);
    if (!copied) return false;

    info = BITMAPINFOHEADER{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    info.biSizeImage = stride * static_cast<DWORD>(height);
    pixels.assign(info.biSizeImage, 0);
    return GetDIBits(memory.dc, bitmap.bitmap, 0, static_cast<UINT>(height), pixels.data(),
                     reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
}

}  // namespace

bool SaveWindowPicture(HWND window, const char* path) {
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    BITMAPINFOHEADER info;
    std::vector<BYTE> pixels;
    if (!ReadPixels(rect, info, pixels)) return false;

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + info.biSizeImage;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "wb"));
    if (!file) return false;
    return std::fwrite(&header, sizeof header, 1, file.get()) == 1 &&
           std::fwrite(&info, sizeof info, 1, file.get()) == 1 &&
           std::fwrite(pixels.data(), 1, pixels.size(), file.get()) == pixels.size();
}

}  // namespace bench
