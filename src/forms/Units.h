// Screen metrics and the one place where pixels and twips convert. Form
// positions and sizes are twips; everything inside a form is pixels.
#pragma once
#include <windows.h>

namespace nimbra::forms {

// Twips per pixel of the screen, horizontal and vertical (1440 / dpi: 15 at 96 dpi).
int TwipsPerPixelX();
int TwipsPerPixelY();

inline long PixelsToTwipsX(long pixels) { return pixels * TwipsPerPixelX(); }
inline long PixelsToTwipsY(long pixels) { return pixels * TwipsPerPixelY(); }
// Twips to pixels, rounding to the nearest pixel.
long TwipsToPixelsX(long twips);
long TwipsToPixelsY(long twips);

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
