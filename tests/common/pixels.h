// What windows show: their pixels read back for a test, and a part of the screen saved as a
// BMP file where a test run leaves what a person should look at.
#pragma once
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace testpixels {

// The colours a device context shows in a rectangle, row by row from the top.
inline std::vector<COLORREF> PixelsOf(HDC dc, const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<COLORREF> pixels;
    if (w <= 0 || h <= 0) return pixels;
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, dc, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const std::uint32_t*>(bits);  // 0x00RRGGBB
    for (int i = 0; px && i < w * h; ++i)
        pixels.push_back(RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    return pixels;
}

// What a window shows in a rectangle of its client area (the whole screen's for nullptr).
inline std::vector<COLORREF> Shown(HWND hwnd, const RECT& r) {
    HDC dc = GetDC(hwnd);
    std::vector<COLORREF> pixels = PixelsOf(dc, r);
    ReleaseDC(hwnd, dc);
    return pixels;
}

// DORVANE_ARTEFACTS, or "shots" beside the test program (made when missing).
inline std::wstring ArtefactFolder() {
    wchar_t env[MAX_PATH];
    std::wstring dir;
    if (GetEnvironmentVariableW(L"DORVANE_ARTEFACTS", env, MAX_PATH)) {
        dir = env;
    } else {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        dir = std::wstring(self).substr(0, std::wstring(self).find_last_of(L'\\')) + L"\\shots";
    }
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

// Saves that rectangle of the screen as name.bmp in the artefact folder; returns the path.
inline std::wstring SaveScreen(const std::wstring& name, const RECT& r) {
    std::wstring path = ArtefactFolder() + L"\\" + name + L".bmp";
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    DWORD stride = ((static_cast<DWORD>(w) * 3 + 3) & ~3u);
    DWORD size = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + size;
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        fwrite(&fh, sizeof fh, 1, f);
        fwrite(&bi.bmiHeader, sizeof(BITMAPINFOHEADER), 1, f);
        if (bits) fwrite(bits, 1, size, f);
        fclose(f);
    }
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return path;
}

}  // namespace testpixels
