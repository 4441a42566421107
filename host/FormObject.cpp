#include "FormObject.h"

#include "HostForm.h"
#include "forms/Units.h"

namespace nimbra::host {
namespace {

enum Id : DISPID { hWnd = 1, Left, Top, Width, Height, ScaleWidth, ScaleHeight, WindowState, Caption, Icon };
constexpr DispatchName kNames[] = {
    {L"hWnd", hWnd},         {L"Left", Left},
    {L"Top", Top},           {L"Width", Width},
    {L"Height", Height},     {L"ScaleWidth", ScaleWidth},
    {L"ScaleHeight", ScaleHeight}, {L"WindowState", WindowState},
    {L"Caption", Caption},   {L"Icon", Icon},
};

HRESULT Long(VARIANT* result, LONG v) {
    if (result) {
        VariantInit(result);
        result->vt = VT_I4;
        result->lVal = v;
    }
    return S_OK;
}

}  // namespace

void* FormObject::Find(REFIID riid) {
    return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
}

std::span<const DispatchName> FormObject::Names() const { return kNames; }

HRESULT FormObject::Call(DISPID id, WORD flags, DISPPARAMS& params, VARIANT* result) {
    if (!form_ || !form_->Loaded()) return E_UNEXPECTED;  // the form was unloaded
    HostForm& f = *form_;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
        VARIANT& arg = params.rgvarg[0];
        if (id == Icon) {
            VARIANT* v = arg.vt == (VT_VARIANT | VT_BYREF) ? arg.pvarVal : &arg;
            ComPtr<IPictureDisp> picture;
            if ((v->vt == VT_DISPATCH || v->vt == VT_UNKNOWN) && v->punkVal &&
                FAILED(v->punkVal->QueryInterface(IID_PPV_ARGS(&picture))))
                return DISP_E_TYPEMISMATCH;
            f.SetIcon(picture.Get());
            return S_OK;
        }
        VARIANT converted;
        VariantInit(&converted);
        HRESULT hr = VariantChangeType(&converted, &arg, 0, id == Caption ? VT_BSTR : VT_I4);
        if (FAILED(hr)) return hr;
        // A classic form refuses to be moved or sized while minimised or
        // maximised (runtime error 384); the system keeps its rectangle.
        if ((id == Left || id == Top || id == Width || id == Height) && f.WindowState() != forms::vbNormal)
            return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 384);
        switch (id) {
        case Left: f.SetLeft(converted.lVal); break;
        case Top: f.SetTop(converted.lVal); break;
        case Width: f.SetWidth(converted.lVal); break;
        case Height: f.SetHeight(converted.lVal); break;
        case WindowState:
            if (converted.lVal < 0 || converted.lVal > 2) return DISP_E_OVERFLOW;
            f.SetWindowState(converted.lVal);
            break;
        case Caption: f.SetCaption(std::wstring(converted.bstrVal, SysStringLen(converted.bstrVal))); break;
        default: VariantClear(&converted); return DISP_E_MEMBERNOTFOUND;  // hWnd and the scale sizes are read-only
        }
        VariantClear(&converted);
        return S_OK;
    }
    if (params.cArgs) return DISP_E_BADPARAMCOUNT;
    switch (id) {
    case hWnd: return Long(result, static_cast<LONG>(reinterpret_cast<LONG_PTR>(f.hWnd())));
    case Left: return Long(result, f.Left());
    case Top: return Long(result, f.Top());
    case Width: return Long(result, f.Width());
    case Height: return Long(result, f.Height());
    // A classic form measures its inside in twips unless told otherwise.
    case ScaleWidth: return Long(result, forms::PixelsToTwipsX(f.ScaleWidth()));
    case ScaleHeight: return Long(result, forms::PixelsToTwipsY(f.ScaleHeight()));
    case WindowState: return Long(result, f.WindowState());
    case Caption:
        if (result) {
            const std::wstring c = f.Caption();
            VariantInit(result);
            result->vt = VT_BSTR;
            result->bstrVal = SysAllocStringLen(c.data(), static_cast<UINT>(c.size()));
        }
        return S_OK;
    case Icon:
        if (result) {
            VariantInit(result);
            result->vt = VT_DISPATCH;
            result->pdispVal = f.icon.Get();
            if (result->pdispVal) result->pdispVal->AddRef();
        }
        return S_OK;
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

}  // namespace nimbra::host
