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

}  // namespace nimbra::forms
