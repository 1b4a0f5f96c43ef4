#pragma once
// Colours as the form layouts store them: 0x00BBGGRR, or a system colour as
// 0x80000000 plus its COLOR_ index.
#include <windows.h>

#include <cstdint>

namespace velotune::ui {

using Color = uint32_t;

inline constexpr Color Rgb(int r, int g, int b) {
  return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}

inline constexpr Color kSystemColor = 0x80000000u;
inline constexpr Color clWindowText = kSystemColor | COLOR_WINDOWTEXT;
inline constexpr Color clBtnFace = kSystemColor | COLOR_BTNFACE;
inline constexpr Color clWindow = kSystemColor | COLOR_WINDOW;
inline constexpr Color clHotLight = kSystemColor | COLOR_HOTLIGHT;
inline constexpr Color clHighlight = kSystemColor | COLOR_HIGHLIGHT;
inline constexpr Color clHighlightText = kSystemColor | COLOR_HIGHLIGHTTEXT;
inline constexpr Color clGrayText = kSystemColor | COLOR_GRAYTEXT;
inline constexpr Color clMenu = kSystemColor | COLOR_MENU;
inline constexpr Color clMenuText = kSystemColor | COLOR_MENUTEXT;
inline constexpr Color clWhite = Rgb(255, 255, 255);
inline constexpr Color clBlack = 0;
inline constexpr Color clGray = Rgb(128, 128, 128);
inline constexpr Color clOlive = Rgb(128, 128, 0);

// A system colour becomes its current RGB value.
inline COLORREF ResolveColor(Color c) {
  return (c & kSystemColor) ? GetSysColor(static_cast<int>(c & 0xFF))
                            : static_cast<COLORREF>(c & 0xFFFFFF);
}

inline int RedOf(COLORREF c) { return GetRValue(c); }
inline int GreenOf(COLORREF c) { return GetGValue(c); }
inline int BlueOf(COLORREF c) { return GetBValue(c); }

}  // namespace velotune::ui
