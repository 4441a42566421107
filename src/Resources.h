// Resource identifiers of NimbraForm.ocx.
#pragma once
#define IDI_XPFORM 101   // the control's design-time icon, 32 x 32
#define IDB_TOOLBOX 102  // the toolbox bitmap, 16 x 15
