// The library-wide SkinWindow: the skin window of the control that started
// last. Skin windows stay alive while loaded or current; the rest are let go
// at the next safe point (never from inside their own window procedure).
#pragma once
#include <memory>

namespace nimbra {

class frm;

frm* SkinWindow();
// A new skin window that becomes the current SkinWindow.
frm* NewSkinWindow();
// Lets go of skin windows that are unloaded and no longer current.
void CollectSkinWindows();
// Skin window objects alive in this process, for leak tests.
size_t LiveSkinWindows();

}  // namespace nimbra
