// An event handler that the owner of a control assigns (a std::function
// member), run the way every control of the engine runs one.
#pragma once

namespace nimbra::forms {

// Handlers run from a copy: one may reassign its own member or delete the
// control, and a std::function must not die while it runs.
template <typename F, typename... Args>
void RaiseHandler(const F& handler, Args... args) {
    if (!handler) return;
    F copy = handler;
    copy(args...);
}

}  // namespace nimbra::forms
