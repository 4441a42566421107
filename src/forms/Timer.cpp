#include "Controls.h"

#include <map>

#include "Handler.h"

namespace nimbra::forms {

namespace {

// Thread timers belong to the thread that set them, and so does this map:
// timers are made and ticked on the one UI thread.
std::map<UINT_PTR, Timer*>& Timers() {
    static std::map<UINT_PTR, Timer*> timers;
    return timers;
}

}  // namespace

Timer::Timer() = default;

Timer::~Timer() {
    enabled_ = false;
    Update();
}

void Timer::SetInterval(UINT ms) {
    interval_ = ms;
    Update();  // as classically: setting the interval starts the count anew
}

void Timer::SetEnabled(bool on) {
    enabled_ = on;
    Update();
}

void Timer::Update() {
    if (id_) {
        KillTimer(nullptr, id_);
        Timers().erase(id_);
        id_ = 0;
    }
    if (enabled_ && interval_ > 0) {
        // A thread timer needs no window; the map leads its id back to us.
        id_ = SetTimer(nullptr, 0, interval_, Proc);
        if (id_) Timers()[id_] = this;
    }
}

void CALLBACK Timer::Proc(HWND, UINT, UINT_PTR id, DWORD) {
    // A WM_TIMER already queued may arrive after its timer was killed or deleted.
    auto found = Timers().find(id);
    if (found == Timers().end()) return;
    try {
        RaiseHandler(found->second->Tick);
    } catch (...) {
        // Nothing may unwind into DispatchMessage.
    }
}

}  // namespace nimbra::forms
