// Decodes a picture resource with the Windows Imaging Component. Its factory comes from
// CoCreateInstance, so the program imports no DLL for it beyond ole32.
#include "ui/picture.h"

#include <wincodec.h>

#include <climits>
#include <cstdint>

#include "win/com.h"
#include "win/handles.h"

namespace ui {

const wchar_t kPictureResourceType[] = L"PNG";

namespace {

// Written out here: toolchains put these in different GUID libraries, or in none.
const CLSID kImagingFactory = {
    0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
const IID kImagingFactoryIid = {
    0xec5ec8a9, 0xc395, 0x4314, {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
const GUID kFormatBgr24 = {
    0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0c}};

HBITMAP Decode(const void* data, DWORD size) {
    win::ComPtr<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(kImagingFactory, nullptr, CLSCTX_INPROC_SERVER, kImagingFactoryIid,
                                factory.PutVoid())))
        return nullptr;
    // The stream only reads the resource, whatever its pointer type says.
    win::ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(stream.Put())) ||
        FAILED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), size)))
        return nullptr;
    win::ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr,
                                                WICDecodeMetadataCacheOnDemand, decoder.Put())))
        return nullptr;
    win::ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, frame.Put()))) return nullptr;
    win::ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(frame.Get(), kFormatBgr24, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        return nullptr;

    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0) return nullptr;
    // Rows of a DIB are padded to whole DWORDs. An image that fits CopyPixels' UINT byte
    // count also fits the header's LONG sides.
    const uint64_t wideStride = (uint64_t{width} * 3 + 3) & ~uint64_t{3};
    if (wideStride * height > UINT_MAX) return nullptr;
    const UINT stride = static_cast<UINT>(wideStride);

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = static_cast<LONG>(width);
    bi.bmiHeader.biHeight = static_cast<LONG>(height);  // bottom-up, like a BMP's
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::Bitmap bitmap(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;
    // WIC hands out rows top first; each goes to its place counted from the bottom.
    auto* base = static_cast<BYTE*>(bits);
    for (UINT y = 0; y < height; ++y) {
        WICRect row = {0, static_cast<INT>(y), static_cast<INT>(width), 1};
        BYTE* dst = base + static_cast<size_t>(height - 1 - y) * stride;
        if (FAILED(converter->CopyPixels(&row, stride, stride, dst))) return nullptr;
    }
    return bitmap.Release();
}

}  // namespace

HBITMAP LoadPicture(HINSTANCE module, int id) noexcept {
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(id), kPictureResourceType);
    if (!info) return nullptr;
    // A loaded resource lives as long as its module: nothing to free.
    HGLOBAL loaded = LoadResource(module, info);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    DWORD size = SizeofResource(module, info);
    if (!data || size == 0) return nullptr;
    // Every interface is released inside Decode, before COM is let go.
    win::ComScope com;
    if (!com.Usable()) return nullptr;
    return Decode(data, size);
}

}  // namespace ui
