#include "SkinWindow.h"

#include <string>
#include <vector>

#include "frm.h"

namespace nimbra {
namespace {

struct Skins {
    std::vector<std::unique_ptr<frm>> all;
    frm* current = nullptr;  // never cleared: it keeps naming the last one started
};

Skins& State() {
    static Skins* skins = new Skins;  // outlives static destruction order
    return *skins;
}

}  // namespace

frm* SkinWindow() { return State().current; }

frm* NewSkinWindow() {
    CollectSkinWindows();
    Skins& s = State();
    s.all.push_back(std::make_unique<frm>());
    s.current = s.all.back().get();
    return s.current;
}

void CollectSkinWindows() {
    Skins& s = State();
    // Taken out first, destroyed after: a skin's end may release the last
    // reference to a control, whose end comes back here.
    std::vector<std::unique_ptr<frm>> done;
    for (auto it = s.all.begin(); it != s.all.end();) {
        // A busy skin is in one of its own handlers: it goes at a later collection.
        if (it->get() != s.current && !(*it)->Loaded() && !(*it)->Busy()) {
            done.push_back(std::move(*it));
            it = s.all.erase(it);
        } else {
            ++it;
        }
    }
    done.clear();
}

size_t LiveSkinWindows() { return State().all.size(); }

bool StartSkin(IDispatch* hostForm, HWND control) {
    // The skin is named current before LoadForm runs, and its Tag is set before
    // LoadForm reads it: the skin finds its control from that window.
    frm* skin = NewSkinWindow();
    if (!skin->Load(WS_POPUP | WS_CLIPCHILDREN)) return false;
    skin->SetUCParent(hostForm);
    skin->Tag = std::to_wstring(static_cast<LONG>(reinterpret_cast<LONG_PTR>(control)));
    skin->LoadForm();
    skin->RefreshForm();
    if (skin->Loaded()) skin->Show();
    return true;
}

bool SkinSet() { return SkinWindow() != nullptr; }

void RefreshCurrentSkin() {
    if (frm* skin = SkinWindow()) skin->RefreshForm();
}

void EnableSkinButton(DISPID enabledProperty, bool enabled) {
    if (frm* skin = SkinWindow())
        if (forms::PictureBox* button = skin->ButtonOf(enabledProperty)) button->SetEnabled(enabled);
}

}  // namespace nimbra
