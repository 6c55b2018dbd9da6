// Pictures kept in the program's resources as PNG files, made into the bitmaps the kit draws.
#pragma once
#include <windows.h>

namespace ui {

// The resource type a picture is stored under (a whole PNG file).
extern const wchar_t kPictureResourceType[];

// Picture resource `id` of `module` as a 24-bit bottom-up DIB section, the same bitmap that
// LoadImage(LR_CREATEDIBSECTION) makes of a 24-bit BMP; null if the resource is missing or
// cannot be decoded. The caller owns the bitmap.
HBITMAP LoadPicture(HINSTANCE module, int id) noexcept;

}  // namespace ui
