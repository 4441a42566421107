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
    std::erase_if(s.all, [&](const std::unique_ptr<frm>& f) { return f.get() != s.current && !f->Loaded(); });
}

size_t LiveSkinWindows() { return State().all.size(); }

}  // namespace nimbra
