// Screen metrics and the one place where pixels and twips convert. Form
// positions and sizes are twips; everything inside a form is pixels.
#pragma once
#include <windows.h>

#include <concepts>

namespace nimbra::forms {

// Twips per pixel of the screen, horizontal and vertical (1440 / dpi: 15 at 96 dpi).
int TwipsPerPixelX();
int TwipsPerPixelY();

inline long PixelsToTwipsX(long pixels) { return pixels * TwipsPerPixelX(); }
inline long PixelsToTwipsY(long pixels) { return pixels * TwipsPerPixelY(); }
// A length kept in pixels as a Single (the skin's frame metrics): whole pixels count.
template <std::floating_point F>
long PixelsToTwipsX(F pixels) { return PixelsToTwipsX(static_cast<long>(pixels)); }
template <std::floating_point F>
long PixelsToTwipsY(F pixels) { return PixelsToTwipsY(static_cast<long>(pixels)); }
// Twips to pixels, rounding to the nearest pixel.
long TwipsToPixelsX(long twips);
long TwipsToPixelsY(long twips);

// HIMETRIC (0.01 mm), the unit of OLE extents, against the screen's pixels and
// twips (2540 HIMETRIC and 1440 twips to the inch).
long PixelsToHimetricX(long pixels);
long PixelsToHimetricY(long pixels);
long HimetricToPixelsX(long himetric);
long HimetricToPixelsY(long himetric);
inline float HimetricToTwips(long himetric) { return himetric * 1440.0f / 2540.0f; }
inline long TwipsToHimetric(float twips) { return static_cast<long>(twips * 2540.0f / 1440.0f + 0.5f); }

// The screen's size in twips.
long ScreenWidth();
long ScreenHeight();

// Lets pending window messages of this thread run (timers, paints, input),
// then returns. Never waits for new messages.
void DoEvents();

// Runs the messages that come until none has come for quietMs (what has been
// shown has been activated and painted), until capMs have passed, or until a
// WM_QUIT, which is put back for the real loop. True when it went quiet.
bool RunUntilQuiet(DWORD quietMs, DWORD capMs);

// Runs every message that comes during ms, then returns.
void RunFor(DWORD ms);

}  // namespace nimbra::forms
