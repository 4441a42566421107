// Resource identifiers of NimbraForm.ocx.
#pragma once
#define IDI_XPFORM 101   // the control's design-time icon, 32 x 32
#define IDB_TOOLBOX 102  // the toolbox bitmap, 16 x 15

// The skin's picture store: scheme 0 blue (b), 1 silver (s), 2 olive (o);
// index 0-4 frame and title pieces, 5-10 caption-button strips.
#define IDB_PICTURE(scheme, index) (1100 + 100 * (scheme) + (index))
