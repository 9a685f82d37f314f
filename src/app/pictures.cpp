#include "app/pictures.h"

#include <cstdint>
#include <cstring>

namespace {

struct Strip {
    const uint8_t* rgba = nullptr;
    int width = 0;
};

// The strip is height pixels high and as wide as its size says.
Strip find_strip(int resource, int height) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(resource), MAKEINTRESOURCEA(10));
    if (!found) return {};
    HGLOBAL loaded = LoadResource(instance, found);
    const DWORD size = SizeofResource(instance, found);
    if (!loaded || size < static_cast<DWORD>(height * 4)) return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)), static_cast<int>(size / 4 / height)};
}

// A 24-bit top-down bitmap of the strip's columns [left, left + width) blended over background.
HBITMAP blend(const Strip& strip, int left, int width, int height, COLORREF background) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) return nullptr;
    auto* out = static_cast<uint8_t*>(bits);
    const int back[3] = {GetBValue(background), GetGValue(background), GetRValue(background)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* in = strip.rgba + (static_cast<size_t>(y) * strip.width + left + x) * 4;
            const int alpha = in[3];
            uint8_t* pixel = out + (static_cast<size_t>(y) * width + x) * 4;
            // The strip is RGBA, the bitmap BGRx.
            for (int c = 0; c < 3; ++c) {
                pixel[c] =
                    static_cast<uint8_t>((in[2 - c] * alpha + back[c] * (255 - alpha)) / 255);
            }
            pixel[3] = 255;  // opaque: already blended, drawn alike with or without alpha
        }
    }
    return bitmap;
}

}  // namespace

HIMAGELIST load_toolbar_pictures(int resource, COLORREF background) {
    const Strip strip = find_strip(resource, kToolbarPictureSize);
    if (!strip.rgba) return nullptr;
    HBITMAP bitmap = blend(strip, 0, strip.width, kToolbarPictureSize, background);
    HIMAGELIST list = ImageList_Create(kToolbarPictureSize, kToolbarPictureSize, ILC_COLOR32,
                                       kToolbarPictureCount, 0);
    ImageList_Add(list, bitmap, nullptr);
    DeleteObject(bitmap);
    return list;
}

HBITMAP load_menu_picture(int index, COLORREF background) {
    const Strip strip = find_strip(kMenuStrip, kMenuPictureSize);
    if (!strip.rgba || (index + 1) * kMenuPictureSize > strip.width) return nullptr;
    return blend(strip, index * kMenuPictureSize, kMenuPictureSize, kMenuPictureSize, background);
}

HIMAGELIST make_sort_indicators(COLORREF background) {
    constexpr int kSize = 16;
    HIMAGELIST list = ImageList_Create(kSize, kSize, ILC_COLOR32, 3, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    for (int picture = 0; picture < 3; ++picture) {
        HBITMAP bitmap = CreateCompatibleBitmap(screen, kSize, kSize);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, kSize, kSize};
        HBRUSH face = CreateSolidBrush(background);
        FillRect(dc, &all, face);
        DeleteObject(face);
        // Five rows: 9 pixels wide at the base, 1 at the tip.
        for (int row = 0; picture < 2 && row < 5; ++row) {
            const int y = picture == 0 ? 10 - row : 5 + row;
            for (int x = 4 + row; x <= 12 - row; ++x) SetPixel(dc, x, y, RGB(0, 0, 0));
        }
        SelectObject(dc, old);
        ImageList_Add(list, bitmap, nullptr);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return list;
}
