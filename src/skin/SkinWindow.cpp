#include "SkinWindow.h"

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

}  // namespace nimbra
