// The program's pictures, decoded from its resources, against the BMP masters they were made
// from; and COM on the loading thread left as it was found.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/resource.h"
#include "ui/error_modes.h"
#include "ui/picture.h"
#include "win/handles.h"

namespace {

constexpr int kNotAPicture = 9001;  // picture_test.rc
constexpr int kNoSuchResource = 9002;

// Top row first, as 32-bit BGR with the unused byte cleared; empty if GetDIBits fails.
std::vector<uint32_t> PixelsOf(HBITMAP bitmap, LONG width, LONG height) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    win::WindowDC screen(nullptr);
    if (GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &bi,
                  DIB_RGB_COLORS) != height)
        return {};
    for (uint32_t& p : pixels) p &= 0x00FFFFFFu;
    return pixels;
}

HBITMAP LoadMaster(const wchar_t* name) {
    wchar_t exe[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    path.erase(path.find_last_of(L"\\/") + 1);
    path += std::wstring(L"art\\") + name + L".bmp";
    return static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                           LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

struct Load {
    int id;
    DWORD comBefore;  // kNoCom, or the model the thread initialises COM with first
    HBITMAP bitmap = nullptr;
    bool comLeftAsFound = false;
};
constexpr DWORD kNoCom = ~DWORD{0};

// On a fresh thread, so that its COM state is known before the load and can be checked after.
DWORD WINAPI LoadOnFreshThread(void* param) {
    return ui::AtBoundary<DWORD>(1, [&]() -> DWORD {
        auto& load = *static_cast<Load*>(param);
        if (load.comBefore != kNoCom && FAILED(CoInitializeEx(nullptr, load.comBefore))) return 1;
        load.bitmap = ui::LoadPicture(GetModuleHandleW(nullptr), load.id);
        if (load.comBefore != kNoCom) CoUninitialize();
        HRESULT after = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        load.comLeftAsFound = after == S_OK;  // S_FALSE: the load left COM initialised
        if (SUCCEEDED(after)) CoUninitialize();
        return 0;
    });
}

TEST(PictureResources, DecodeToTheirBmpMastersPixelForPixel) {
    struct Row {
        const char* what;
        int id;
        const wchar_t* master;  // nullptr: no bitmap expected
        DWORD comBefore;
    };
    const Row rows[] = {
        {"title strip", IDB_TITLE_STRIP, L"title_strip", kNoCom},
        {"globe, thread in an apartment", IDB_GLOBE, L"globe", COINIT_APARTMENTTHREADED},
        {"splash, thread in the multithreaded apartment", IDB_SPLASH, L"splash",
         COINIT_MULTITHREADED},
        {"terms", IDB_TERMS, L"terms", kNoCom},
        {"about", IDB_ABOUT, L"about", kNoCom},
        {"bytes that are no picture", kNotAPicture, nullptr, kNoCom},
        {"no such resource", kNoSuchResource, nullptr, kNoCom},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Load load{row.id, row.comBefore};
        win::UniqueHandle thread(CreateThread(nullptr, 0, LoadOnFreshThread, &load, 0, nullptr));
        DWORD code = 1;
        ASSERT_EQ(WaitForSingleObject(thread.Get(), 30000), WAIT_OBJECT_0);
        ASSERT_TRUE(GetExitCodeThread(thread.Get(), &code) && code == 0);
        win::Bitmap decoded(load.bitmap);
        EXPECT_TRUE(load.comLeftAsFound);
        if (!row.master) {
            EXPECT_FALSE(decoded);
            continue;
        }
        ASSERT_TRUE(decoded);
        win::Bitmap master(LoadMaster(row.master));
        ASSERT_TRUE(master) << "no master BMP in art\\ beside the test program";

        // The same kind of DIB section as LoadImage makes of the BMP, so drawing is unchanged.
        DIBSECTION want = {}, got = {};
        ASSERT_EQ(GetObjectW(master.Get(), sizeof(want), &want), int{sizeof(want)});
        ASSERT_EQ(GetObjectW(decoded.Get(), sizeof(got), &got), int{sizeof(got)});
        EXPECT_EQ(got.dsBmih.biBitCount, 24);
        EXPECT_EQ(got.dsBmih.biBitCount, want.dsBmih.biBitCount);
        ASSERT_EQ(got.dsBmih.biWidth, want.dsBmih.biWidth);
        ASSERT_EQ(got.dsBmih.biHeight, want.dsBmih.biHeight);  // bottom-up, like the BMP

        const LONG w = want.dsBm.bmWidth, h = want.dsBm.bmHeight;
        std::vector<uint32_t> expected = PixelsOf(master.Get(), w, h);
        std::vector<uint32_t> actual = PixelsOf(decoded.Get(), w, h);
        ASSERT_FALSE(expected.empty());
        ASSERT_EQ(actual.size(), expected.size());
        auto diff = std::mismatch(actual.begin(), actual.end(), expected.begin());
        size_t at = static_cast<size_t>(diff.first - actual.begin());
        EXPECT_TRUE(diff.first == actual.end())
            << "pixel x " << at % static_cast<size_t>(w) << ", y " << at / static_cast<size_t>(w)
            << " is 0x" << std::hex << *diff.first << ", not 0x" << *diff.second;
    }
}

}  // namespace
