// Balloon tool tips for dialog controls.
#ifndef MARLOX_RUNTIME_UI_BALLOON_H
#define MARLOX_RUNTIME_UI_BALLOON_H

#include <windows.h>

#include <string>

// The icons a balloon's title can carry (the values of TTI_NONE and TTI_INFO).
constexpr int kBalloonNoIcon = 0;
constexpr int kBalloonInformation = 1;

// `add_balloon_tip`: attaches a balloon tip to `control` of `parent` that shows `text` whether
// or not the parent is active, at most 240 pixels wide, on a light blue face in the system's
// tip text colour; a non-empty `title` heads it with `icon`. The tip window belongs to `parent`
// and goes with it. Returns the tip window.
HWND add_balloon_tip(HWND parent, HWND control, const std::string& text, const std::string& title,
                     int icon);

#endif
