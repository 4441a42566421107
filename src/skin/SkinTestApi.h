// What a test or benchmark cannot reach from outside a running skin: its
// owner, to put a stand-in (whose reads may fail) in place of the control,
// and its button table, to make one row fail. The control never includes it.
#pragma once
#include "frm.h"

namespace nimbra {

struct SkinTestApi {
    // Puts owner in place of the skin's owner and returns the one it had.
    static ComPtr<SkinOwner> SwapOwner(frm& skin, ComPtr<SkinOwner> owner) {
        std::swap(skin.OwnerControl, owner);
        return owner;
    }
    static frm::CaptionButton& Row(frm& skin, int row) { return skin.Buttons[row]; }
};

}  // namespace nimbra
