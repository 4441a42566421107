// Resource identifiers of NimbraForm.ocx.
#pragma once
#define IDI_XPFORM 101   // the control's design-time icon, 32 x 32
#define IDB_TOOLBOX 102  // the toolbox bitmap, 16 x 15

// The skin's picture store: scheme 0 blue (b), 1 silver (s), 2 olive (o);
// index 0-4 frame and title pieces, 5-10 caption-button strips.
#define IDB_PICTURE(scheme, index) (1100 + 100 * (scheme) + (index))

// The about window's art (src/about/pictures, drawn by tools/pictures/make_pictures.py).
#define IDB_ABOUT_BACKGROUND 2000  // 400 x 230, the window's own background
#define IDB_ABOUT_TAGLINE 2001     // 240 x 40, 32-bit with alpha
#define IDI_ABOUT_HELP 2002        // 24 x 24
#define IDI_ABOUT_HOUSE 2003       // 16 x 16
#define IDI_ABOUT_MAIL 2004        // 16 x 16
#define IDC_ABOUT_HAND 2005        // 32 x 32 cursor, hot spot on the fingertip
