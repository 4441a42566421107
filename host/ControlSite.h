// The container's side of one ActiveX control on a host form: client site,
// in-place site and frame, control site with its extender (Parent), the
// ambient properties (UserMode) and the property-change sink.
#pragma once
#include <ocidl.h>
#include <olectl.h>

#include <set>
#include <string>

#include "ComObject.h"
#include "FormFile.h"

namespace nimbra::host {

class HostForm;

class ControlSite final
    : public ComObject<IOleClientSite, IOleInPlaceSite, IOleControlSite, IDispatch, IPropertyNotifySink,
                       IOleInPlaceFrame> {
public:
    ControlSite(HostForm* form, Block& block);

    // Creates the control from its block (ProgID = the block's type), loads its
    // properties and activates it in place. Returns a German message on failure.
    bool Create(std::wstring& error);
    // The same for a control object that already exists.
    bool Attach(IUnknown* control, std::wstring& error);
    // Writes the control's properties back into its block.
    HRESULT Save();
    // Closes and releases the control: the end a form's unload gives it.
    void Close();

    IUnknown* Control() const { return control_.Get(); }
    const Block& Properties() const { return block_; }
    const std::set<std::string>& KeysRead() const { return keysRead_; }

    // ---- IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP GetContainer(IOleContainer** out) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
    // ---- IOleWindow, IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;
    // ---- IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** out) override;
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }
    // ---- IDispatch: the ambient properties
    STDMETHODIMP GetTypeInfoCount(UINT* n) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override;
    // ---- IPropertyNotifySink
    STDMETHODIMP OnChanged(DISPID) override;
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    // ---- IOleInPlaceUIWindow, IOleInPlaceFrame: a frame without tools or menus
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return S_OK; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    void* Find(REFIID riid) override;
    HRESULT Advise();

    HostForm* form_;
    Block& block_;
    ComPtr<IUnknown> control_;
    ComPtr<IDispatch> extender_;
    RECT position_{};  // pixels in the form's client area
    std::set<std::string> keysRead_;  // what the control asked its bag for at load
    bool loading_ = false;
    ComPtr<IConnectionPoint> eventPoint_, notifyPoint_;
    DWORD eventCookie_ = 0, notifyCookie_ = 0;
    ComPtr<IDispatch> eventSink_;
};

}  // namespace nimbra::host
