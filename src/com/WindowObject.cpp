#include "WindowObject.h"

#include <olectl.h>

#include <string>

#include "../forms/Placement.h"
#include "LateBound.h"
#include "../forms/Units.h"

namespace nimbra {
namespace {

enum Id : DISPID { hWnd = 1, Left, Top, Width, Height, ScaleWidth, ScaleHeight, WindowState, Caption, Icon, Visible };
constexpr DispatchName kNames[] = {
    {L"hWnd", hWnd},         {L"Left", Left},       {L"Top", Top},
    {L"Width", Width},       {L"Height", Height},   {L"ScaleWidth", ScaleWidth},
    {L"ScaleHeight", ScaleHeight}, {L"WindowState", WindowState}, {L"Caption", Caption},
    {L"Icon", Icon},         {L"Visible", Visible},
};

HRESULT Fill(VARIANT* result, VARTYPE type, LONG value) {
    if (result) {
        VariantInit(result);
        result->vt = type;
        if (type == VT_BOOL) result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
        else result->lVal = value;
    }
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
    OLE_HANDLE handle = 0;
    ComPtr<IPicture> picture;
    if (icon && SUCCEEDED(icon->QueryInterface(IID_PPV_ARGS(&picture)))) picture->get_Handle(&handle);
    const auto h = reinterpret_cast<LPARAM>(reinterpret_cast<HICON>(static_cast<UINT_PTR>(handle)));
    SendMessageW(Window(), WM_SETICON, ICON_SMALL, h);
    SendMessageW(Window(), WM_SETICON, ICON_BIG, h);
}

HRESULT WindowObject::Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) {
    const HWND w = Window();
    if (!w) return E_UNEXPECTED;  // the window is gone, as a call on an unloaded form fails
    const RECT outer = forms::OuterRect(w);
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
        const HRESULT hr =
            VariantChangeType(&converted, &arg, 0, id == Caption ? VT_BSTR : id == Visible ? VT_BOOL : VT_I4);
        if (FAILED(hr)) return hr;
        // A classic form refuses to be moved or sized while minimised or
        // maximised (runtime error 384); the system keeps its rectangle.
        if ((id == Left || id == Top || id == Width || id == Height) && forms::ShowState(w) != 0)
            return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 384);
        const long px = forms::TwipsToPixelsX(converted.lVal), py = forms::TwipsToPixelsY(converted.lVal);
        const long width = outer.right - outer.left, height = outer.bottom - outer.top;
        switch (id) {
        case Left: forms::Place(w, px, outer.top, 0, 0, SWP_NOSIZE); break;
        case Top: forms::Place(w, outer.left, py, 0, 0, SWP_NOSIZE); break;
        case Width: forms::Place(w, 0, 0, px, height, SWP_NOMOVE); break;
        case Height: forms::Place(w, 0, 0, width, py, SWP_NOMOVE); break;
        case WindowState:
            if (converted.lVal < 0 || converted.lVal > 2) return DISP_E_OVERFLOW;
            forms::SetShowState(w, converted.lVal);
            break;
        case Caption: SetWindowTextW(w, converted.bstrVal ? converted.bstrVal : L""); break;
        case Visible: ShowWindow(w, converted.boolVal ? SW_SHOW : SW_HIDE); break;
        default: return DISP_E_MEMBERNOTFOUND;  // hWnd and the scale sizes are read-only
        }
        return S_OK;
    }
    if (params.cArgs) return DISP_E_BADPARAMCOUNT;
    RECT client{};
    GetClientRect(w, &client);
    switch (id) {
    case hWnd: return Fill(result, VT_I4, static_cast<LONG>(reinterpret_cast<LONG_PTR>(w)));
    case Left: return Fill(result, VT_I4, forms::PixelsToTwipsX(outer.left));
    case Top: return Fill(result, VT_I4, forms::PixelsToTwipsY(outer.top));
    case Width: return Fill(result, VT_I4, forms::PixelsToTwipsX(outer.right - outer.left));
    case Height: return Fill(result, VT_I4, forms::PixelsToTwipsY(outer.bottom - outer.top));
    // A classic form measures its inside in twips unless told otherwise.
    case ScaleWidth: return Fill(result, VT_I4, forms::PixelsToTwipsX(client.right));
    case ScaleHeight: return Fill(result, VT_I4, forms::PixelsToTwipsY(client.bottom));
    case WindowState: return Fill(result, VT_I4, forms::ShowState(w));
    case Visible: return Fill(result, VT_BOOL, IsWindowVisible(w));
    case Caption:
        if (result) {
            std::wstring text(GetWindowTextLengthW(w) + 1, L'\0');
            text.resize(GetWindowTextW(w, text.data(), static_cast<int>(text.size())));
            VariantInit(result);
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        }
        return S_OK;
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
