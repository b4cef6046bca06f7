// Screenshots as they appear on the screen, frame included, saved as plain 24-bit BMPs
// (no alpha byte, so converters cannot take the picture for transparent).
#include <cstdint>

#include "demo_host.h"

namespace demo {
namespace {

bool WriteBmp(const std::string& path, int width, int height, const void* bits, size_t image_bytes) {
    BITMAPFILEHEADER fh = {};
    BITMAPINFOHEADER ih = {};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof fh + sizeof ih;
    fh.bfSize = static_cast<DWORD>(fh.bfOffBits + image_bytes);
    ih.biSize = sizeof ih;
    ih.biWidth = width;
    ih.biHeight = height;  // bottom-up, as the DIB section holds it
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = static_cast<DWORD>(image_bytes);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    bool ok = WriteFile(file, &fh, sizeof fh, &done, nullptr) && done == sizeof fh;
    ok = ok && WriteFile(file, &ih, sizeof ih, &done, nullptr) && done == sizeof ih;
    ok = ok && WriteFile(file, bits, static_cast<DWORD>(image_bytes), &done, nullptr) && done == image_bytes;
    ok = CloseHandle(file) && ok;
    if (!ok) DeleteFileA(path.c_str());
    return ok;
}

}  // namespace

bool SaveScreenRect(const RECT& wanted, const std::string& path) {
    const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    RECT r;
    if (!IntersectRect(&r, &wanted, &screen)) return false;
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen_dc = GetDC(nullptr);
    if (!screen_dc) return false;
    bool ok = false;
    HDC memory = CreateCompatibleDC(screen_dc);
    if (memory) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bitmap) {
            HGDIOBJ old = SelectObject(memory, bitmap);
            const bool copied = BitBlt(memory, 0, 0, width, height, screen_dc, r.left, r.top, SRCCOPY) != FALSE;
            GdiFlush();
            SelectObject(memory, old);
            const size_t row = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
            ok = copied && bits && WriteBmp(path, width, height, bits, row * height);
            DeleteObject(bitmap);
        }
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen_dc);
    return ok;
}

}  // namespace demo
