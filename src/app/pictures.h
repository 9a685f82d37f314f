// The main window's pictures: the toolbar and menu strips made at build time from the icon
// theme (raw 8-bit RGBA rows, see resources/resources.cmake), and the header sort indicators.
#ifndef MARLOX_APP_PICTURES_H
#define MARLOX_APP_PICTURES_H

#include <windows.h>

#include <commctrl.h>

// Resource ids of the strips in the resource script.
constexpr int kToolbarStrip = 10;
constexpr int kToolbarHotStrip = 11;
constexpr int kToolbarDisabledStrip = 12;
constexpr int kMenuStrip = 13;

constexpr int kToolbarPictureSize = 32;
constexpr int kMenuPictureSize = 16;
constexpr int kToolbarPictureCount = 12;
constexpr int kMenuLockPicture = 12;  // the encipher item's own picture, after the twelve

// Toolbar picture positions (0-based) in the strips, in the toolbar order.
enum ToolbarPicture {
    kPictureNew,
    kPictureOpen,
    kPictureExtract,
    kPictureRemove,
    kPictureAdd,
    kPictureView,
    kPictureSettings,
    kPictureHelp,
    kPictureQuit,
    kPictureMail,
    kPictureConvert,
    kPictureSetup,
};

// The toolbar strip `resource` as an image list of 32 x 32 pictures, drawn over `background`.
// Null when the resource is missing.
HIMAGELIST load_toolbar_pictures(int resource, COLORREF background);

// Picture `index` of the menu strip as a 16 x 16 bitmap over `background`; null when missing.
HBITMAP load_menu_picture(int index, COLORREF background);

// The three header sort indicators, 16 x 16 over `background`: 0 a black triangle pointing up,
// 1 one pointing down, 2 blank.
HIMAGELIST make_sort_indicators(COLORREF background);

#endif
