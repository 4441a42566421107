// What the control sees of the skin: start one for its host form, re-apply
// the settings of the current one, enable one of its buttons, and let go of
// the skins that are done. The library-wide current skin (SkinWindow) is the
// one the control started last.
#pragma once
#include <oaidl.h>

#include <cstddef>

namespace nimbra {

// Starts a skin around hostForm for the control whose window is control; it
// becomes the current skin. False when its window could not be made.
bool StartSkin(IDispatch* hostForm, HWND control);
// Whether there is a current skin (any control's, not only the caller's).
bool SkinSet();
// The current skin re-applies the control's settings (RefreshForm).
void RefreshCurrentSkin();
// The current skin's button of an enablement property (a DISPID of _xpForm)
// takes mouse input from now on, or no longer; its look follows at the next refresh.
void EnableSkinButton(DISPID enabledProperty, bool enabled);
// Lets go of skins that are unloaded and no longer current.
void CollectSkinWindows();
// Skin window objects alive in this process, for leak tests.
size_t LiveSkinWindows();

}  // namespace nimbra
