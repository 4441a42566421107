// clsFormSubclass: hooks one window's procedure and hands every message to
// the skin window and to advised clients first, who may change or swallow it.
// Created by the library only (no class factory); lives in a ComPtr (Make).
#pragma once
#include <ocidl.h>
#include <olectl.h>

#include "../com/ComObject.h"
#include "../com/ConnectionPoint.h"
#include "../com/Dispatch.h"
#include "NimbraForm_h.h"
#include "basForm.h"

namespace nimbra {

// The direct receiver of the messages: the skin window.
class MessageSink {
public:
    // The skin window's handler; it may change uMsg, wParam, lParam or set Cancel to swallow the message.
    virtual void oSubClass_MessageCatched(HWND hwnd, UINT& uMsg, WPARAM& wParam, LPARAM& lParam,
                                          VARIANT_BOOL& Cancel) = 0;
    // Where the skin keeps the address of the subclass object registered last (its ClassAddress property).
    virtual void SetClassAddress(LONG_PTR address) = 0;

protected:
    ~MessageSink() = default;
};

class clsFormSubclass final
    : public ComObject<DispatchImpl<_clsFormSubclass, IID__clsFormSubclass>, IConnectionPointContainer,
                       ClassInfoImpl<CLSID_clsFormSubclass, IID___clsFormSubclass>> {
public:
    explicit clsFormSubclass(MessageSink* sink = nullptr);
    ~clsFormSubclass() override;

    // The class's own procedures. A start that fails still counts as the one
    // start of this object: later starts answer false, and so does a stop.
    // A window destroyed while hooked takes the hook with it, but the object
    // stays marked as subclassed: a stop answers false and no start follows.
    bool StartSubclass(HWND hwnd);
    bool StopSubClass();
    LRESULT NewWindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    // ---- _clsFormSubclass: the handle as a 32-bit Long, the outcome only in Result.
    STDMETHODIMP StartSubclass(LONG hwnd, VARIANT_BOOL* Result) override;
    STDMETHODIMP StopSubClass(VARIANT_BOOL* Result) override;

    // ---- IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

private:
    friend LRESULT CALLBACK modWindowProc(HWND, UINT, WPARAM, LPARAM);
    friend WNDPROC HookWindow(HWND, clsFormSubclass*);

    void* Find(REFIID riid) override;
    void Class_Initialize();
    void Class_Terminate();
    // The hooked window was destroyed; its record is gone already.
    void WindowGone() { windowGone_ = true; }
    // The MessageCatched event to advised clients, who see 32-bit Longs.
    void RaiseMessageCatched(HWND hwnd, UINT& uMsg, WPARAM& wParam, LPARAM& lParam, VARIANT_BOOL& Cancel);

    HWND WindowHandle = nullptr;
    bool IsSubclassed = false;
    WNDPROC OldWindowProc = nullptr;
    bool windowGone_ = false;  // the hooked window was destroyed, its record with it
    MessageSink* sink_;
    ConnectionPoint events_{static_cast<IConnectionPointContainer*>(this), IID___clsFormSubclass};
};

}  // namespace nimbra
