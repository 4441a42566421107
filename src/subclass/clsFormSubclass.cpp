#include "clsFormSubclass.h"

#include "../com/LateBound.h"
#include "../errors/basError.h"
#include "basForm.h"

namespace nimbra {
namespace {

Procedure InClass(const wchar_t* procedure) { return {procedure, kClassModule, L"clsFormSubclass"}; }

}  // namespace

clsFormSubclass::clsFormSubclass(MessageSink* sink) : sink_(sink) { Class_Initialize(); }

clsFormSubclass::~clsFormSubclass() { Class_Terminate(); }

void* clsFormSubclass::Find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__clsFormSubclass)
        return static_cast<_clsFormSubclass*>(this);
    if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2) return static_cast<IProvideClassInfo2*>(this);
    return nullptr;
}

void clsFormSubclass::Class_Initialize() {
    Guard(InClass(L"Class_Initialize"))
        .Run([&] { IsSubclassed = false; },
             [&] {
                 if (sink_) sink_->SetClassAddress(reinterpret_cast<LONG_PTR>(this));
             });
}

void clsFormSubclass::Class_Terminate() {
    Guard(InClass(L"Class_Terminate")).Run([&] { StopSubClass(); });
    // Whatever the stop answered, no record may call this object once it is gone.
    if (IsSubclassed && OldWindowProc && !windowGone_) ForgetHookOwner(WindowHandle, this);
}

// Start and stop answer through their result alone: nothing is ever reported.
bool clsFormSubclass::StartSubclass(HWND hwnd) {
    bool started = false;
    IgnoreErrors([&] {
        if (IsSubclassed) return;
        IsSubclassed = true;
        WindowHandle = hwnd;
        if (!IsWindow(hwnd)) return;
        const WNDPROC previous = HookWindow(hwnd, this);
        if (!previous) return;
        OldWindowProc = previous;
        if (sink_) sink_->SetClassAddress(reinterpret_cast<LONG_PTR>(this));
        started = true;
    });
    return started;
}

bool clsFormSubclass::StopSubClass() {
    bool stopped = false;
    IgnoreErrors([&] {
        if (!IsSubclassed) {
            stopped = true;
            return;
        }
        // After a failed start there is nothing of ours on the window to take
        // off; after the window's end there is no window.
        if (!OldWindowProc || windowGone_ || !IsWindow(WindowHandle)) return;
        if (!UnhookWindow(WindowHandle, this)) return;
        IsSubclassed = false;
        stopped = true;
    });
    return stopped;
}

LRESULT clsFormSubclass::NewWindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    // No counted reference on this path. A handler may release the last
    // reference to this object (a skin unloading on WM_CLOSE does), so the skin's
    // handler comes last and nothing after it touches the object: the message
    // goes on to where it was headed, read before.
    const WNDPROC previous = OldWindowProc;
    MessageSink* const sink = sink_;
    VARIANT_BOOL Cancel = VARIANT_FALSE;
    LRESULT result = 0;
    Guard(InClass(L"NewWindowProc"))
        .Run(
            [&] {
                // Arguments are built only for someone to hear them.
                if (events_.SinkCount() > 0) RaiseMessageCatched(hwnd, uMsg, wParam, lParam, Cancel);
            },
            [&] {
                if (sink) sink->oSubClass_MessageCatched(hwnd, uMsg, wParam, lParam, Cancel);
            },
            [&] {
                if (Cancel == VARIANT_FALSE) result = CallWindowProcW(previous, hwnd, uMsg, wParam, lParam);
            });
    return result;
}

void clsFormSubclass::RaiseMessageCatched(HWND hwnd, UINT& uMsg, WPARAM& wParam, LPARAM& lParam,
                                          VARIANT_BOOL& Cancel) {
    // A value a client changed is taken as the Long it is (sign-extended); one
    // left alone keeps its full width, so 64-bit pointers in lParam survive.
    LONG msg = static_cast<LONG>(uMsg), w = static_cast<LONG>(wParam), l = static_cast<LONG>(lParam);
    const LONG msgBefore = msg, wBefore = w, lBefore = l;
    VARIANTARG args[5];
    args[0] = Int32(HandleToLong(hwnd));
    args[1] = ByRef(msg);
    args[2] = ByRef(w);
    args[3] = ByRef(l);
    args[4] = ByRef(Cancel);
    events_.Fire(__clsFormSubclassId::MessageCatched, args, 5);
    if (msg != msgBefore) uMsg = static_cast<UINT>(msg);
    if (w != wBefore) wParam = static_cast<WPARAM>(static_cast<LONG_PTR>(w));
    if (l != lBefore) lParam = static_cast<LPARAM>(l);
}

// ---- COM face -----------------------------------------------------------------

STDMETHODIMP clsFormSubclass::StartSubclass(LONG hwnd, VARIANT_BOOL* Result) {
    // Window handles are 32-bit values, sign-extended on 64-bit Windows.
    return Answer(Result, [&] {
        return StartSubclass(reinterpret_cast<HWND>(static_cast<LONG_PTR>(hwnd))) ? VARIANT_TRUE : VARIANT_FALSE;
    });
}

STDMETHODIMP clsFormSubclass::StopSubClass(VARIANT_BOOL* Result) {
    return Answer(Result, [&] { return StopSubClass() ? VARIANT_TRUE : VARIANT_FALSE; });
}

STDMETHODIMP clsFormSubclass::EnumConnectionPoints(IEnumConnectionPoints** out) { return NoEnumerator(out); }

STDMETHODIMP clsFormSubclass::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    return FindPoint({&events_}, iid, out);
}

}  // namespace nimbra
