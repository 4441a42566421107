#include "WindowObject.h"

#include <olectl.h>

#include <string>

#include "../forms/Placement.h"
#include "LateBound.h"
#include "../forms/Units.h"

namespace nimbra {
namespace {

enum Id : DISPID { hWnd = 1, Left, Top, Width, Height, ScaleWidth, ScaleHeight, WindowState, Caption, Icon };
constexpr DispatchName kNames[] = {
    {L"hWnd", hWnd},       {L"Left", Left},     {L"Top", Top},
    {L"Width", Width},     {L"Height", Height}, {L"ScaleWidth", ScaleWidth},
    {L"ScaleHeight", ScaleHeight}, {L"WindowState", WindowState}, {L"Caption", Caption},
    {L"Icon", Icon},
};

// Left, Top, Width and Height are the outer rectangle's sides.
forms::Side SideOf(DISPID id) { return static_cast<forms::Side>(id - Left); }

HRESULT Put(VARIANT* result, VARIANT value) {
    if (result) *result = value;
    return S_OK;
}

}  // namespace

void* WindowObject::Find(REFIID riid) {
    return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
}

std::span<const DispatchName> WindowObject::Names() const { return kNames; }

HRESULT WindowObject::GetIcon(IPictureDisp** icon) {
    *icon = nullptr;
    if (icon_) return icon_.CopyTo(icon);
    HWND w = Window();
    auto handle = reinterpret_cast<HICON>(SendMessageW(w, WM_GETICON, ICON_SMALL, 0));
    if (!handle) handle = reinterpret_cast<HICON>(GetClassLongPtrW(w, GCLP_HICONSM));
    if (!handle) handle = reinterpret_cast<HICON>(GetClassLongPtrW(w, GCLP_HICON));
    if (!handle) return S_OK;  // no icon: Nothing
    PICTDESC desc{};
    desc.cbSizeofstruct = sizeof desc;
    desc.picType = PICTYPE_ICON;
    desc.icon.hicon = handle;
    // The window keeps owning its icon; the picture only shows it.
    return OleCreatePictureIndirect(&desc, IID_IPictureDisp, FALSE, reinterpret_cast<void**>(icon));
}

void WindowObject::PutIcon(IPictureDisp* icon) {
    icon_ = icon;
    ShowIcon(Window(), icon);
}

void ShowIcon(HWND window, IPictureDisp* picture) {
    HICON handle = nullptr;
    ComPtr<IPicture> p;
    SHORT type = PICTYPE_NONE;
    if (picture && SUCCEEDED(picture->QueryInterface(IID_PPV_ARGS(&p))) && SUCCEEDED(p->get_Type(&type)) &&
        type == PICTYPE_ICON) {
        OLE_HANDLE h = 0;
        p->get_Handle(&h);
        handle = reinterpret_cast<HICON>(static_cast<UINT_PTR>(h));
    }
    // The picture keeps owning the icon; the window only shows it.
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(handle));
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(handle));
}

HRESULT WindowObject::Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) {
    const HWND w = Window();
    if (!w) return E_UNEXPECTED;  // the window is gone, as a call on an unloaded form fails
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT& arg = params.rgvarg[0];
        if (id == Icon) {
            VARIANT* v = arg.vt == (VT_VARIANT | VT_BYREF) ? arg.pvarVal : &arg;
            ComPtr<IPictureDisp> picture;
            if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal &&
                FAILED(v->punkVal->QueryInterface(IID_PPV_ARGS(&picture))))
                return DISP_E_TYPEMISMATCH;
            PutIcon(picture.Get());
            return S_OK;
        }
        Variant converted;
        const HRESULT hr = VariantChangeType(&converted, &arg, 0, id == Caption ? VT_BSTR : VT_I4);
        if (FAILED(hr)) return hr;
        // A classic form refuses to be moved or sized while minimised or
        // maximised (runtime error 384); the system keeps its rectangle.
        if ((id == Left || id == Top || id == Width || id == Height) && forms::ShowState(w) != 0)
            return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 384);
        switch (id) {
        case Left:
        case Top:
        case Width:
        case Height: forms::SetOuterTwips(w, SideOf(id), converted.lVal); break;
        case WindowState:
            if (converted.lVal < 0 || converted.lVal > 2) return DISP_E_OVERFLOW;
            forms::SetShowState(w, converted.lVal);
            break;
        case Caption: SetWindowTextW(w, converted.bstrVal ? converted.bstrVal : L""); break;
        default: return DISP_E_MEMBERNOTFOUND;  // hWnd and the scale sizes are read-only
        }
        return S_OK;
    }
    if (params.cArgs) return DISP_E_BADPARAMCOUNT;
    RECT client{};
    GetClientRect(w, &client);
    switch (id) {
    case hWnd: return Put(result, Int32(static_cast<LONG>(reinterpret_cast<LONG_PTR>(w))));
    case Left:
    case Top:
    case Width:
    case Height: return Put(result, Int32(forms::OuterTwips(w, SideOf(id))));
    // A classic form measures its inside in twips unless told otherwise.
    case ScaleWidth: return Put(result, Int32(forms::PixelsToTwipsX(client.right)));
    case ScaleHeight: return Put(result, Int32(forms::PixelsToTwipsY(client.bottom)));
    case WindowState: return Put(result, Int32(forms::ShowState(w)));
    case Caption: {
        const std::wstring text = forms::WindowText(w);
        return Put(result, Typed(VT_BSTR, [&](VARIANT& x) {
                       x.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
                   }));
    }
    case Icon: {
        ComPtr<IPictureDisp> icon;
        const HRESULT hr = GetIcon(icon.GetAddressOf());
        if (FAILED(hr)) return hr;
        if (result) {
            VariantInit(result);
            result->vt = VT_DISPATCH;
            result->pdispVal = icon.Detach();
        }
        return S_OK;
    }
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace nimbra
