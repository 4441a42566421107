// Where a window of the engine lies and how it is moved, for forms and their
// child controls alike.
#pragma once
#include <windows.h>

#include <algorithm>
#include <string>

#include "Units.h"

namespace nimbra::forms {

// The outer rectangle in the coordinates SetWindowPos takes for this window.
inline RECT OuterRect(HWND hwnd) {
    RECT rect{};
    if (!hwnd) return rect;
    GetWindowRect(hwnd, &rect);
    if (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

inline void Place(HWND hwnd, long x, long y, long width, long height, UINT flags) {
    if (!hwnd) return;
    width = std::max(width, 0L);
    height = std::max(height, 0L);
    // Setting a position or size to what it is already changes nothing, as with
    // a classic form's properties; under Wine every SetWindowPos of a shown
    // window is a round trip to the X server, also when nothing moves.
    const RECT r = OuterRect(hwnd);
    const bool samePlace = (flags & SWP_NOMOVE) || (r.left == x && r.top == y);
    const bool sameSize = (flags & SWP_NOSIZE) || (r.right - r.left == width && r.bottom - r.top == height);
    if (samePlace && sameSize) return;
    SetWindowPos(hwnd, nullptr, x, y, width, height, flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A form's Left, Top, Width and Height: its outer rectangle in twips.
enum class Side { Left, Top, Width, Height };

inline long OuterTwips(HWND hwnd, Side side) {
    const RECT r = OuterRect(hwnd);
    switch (side) {
    case Side::Left: return PixelsToTwipsX(r.left);
    case Side::Top: return PixelsToTwipsY(r.top);
    case Side::Width: return PixelsToTwipsX(r.right - r.left);
    default: return PixelsToTwipsY(r.bottom - r.top);
    }
}

// Moves one edge, or changes one size, keeping the rest of the outer rectangle.
inline void SetOuterTwips(HWND hwnd, Side side, long twips) {
    const RECT r = OuterRect(hwnd);
    switch (side) {
    case Side::Left: return Place(hwnd, TwipsToPixelsX(twips), r.top, 0, 0, SWP_NOSIZE);
    case Side::Top: return Place(hwnd, r.left, TwipsToPixelsY(twips), 0, 0, SWP_NOSIZE);
    case Side::Width: return Place(hwnd, 0, 0, TwipsToPixelsX(twips), r.bottom - r.top, SWP_NOMOVE);
    default: return Place(hwnd, 0, 0, r.right - r.left, TwipsToPixelsY(twips), SWP_NOMOVE);
    }
}

// A window's caption; empty for no window.
inline std::wstring WindowText(HWND hwnd) {
    if (!hwnd) return {};
    std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
    text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
    return text;
}

// A window's state as a classic form's WindowState tells it: normal (0),
// minimised (1) or maximised (2).
inline int ShowState(HWND hwnd) { return IsIconic(hwnd) ? 1 : IsZoomed(hwnd) ? 2 : 0; }

// Shows a window in one of those states; a state it has already changes nothing.
inline void SetShowState(HWND hwnd, int state) {
    if (!hwnd || state == ShowState(hwnd)) return;
    if (state == 1) ShowWindow(hwnd, SW_MINIMIZE);
    else if (state == 2) ShowWindow(hwnd, SW_MAXIMIZE);
    else {
        // A minimised window that was maximised before restores to maximised;
        // the normal size needs one restore more.
        ShowWindow(hwnd, SW_RESTORE);
        if (IsZoomed(hwnd)) ShowWindow(hwnd, SW_RESTORE);
    }
}

}  // namespace nimbra::forms
