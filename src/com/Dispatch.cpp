#include "Dispatch.h"

namespace nimbra {

InvokeArguments::InvokeArguments(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params) : params_(params) {
    if (!params || !(flags & DISPATCH_METHOD) || params->cNamedArgs) return;  // property access needs neither

    ComPtr<ITypeInfo2> info2;
    UINT index = 0;
    FUNCDESC* fd = nullptr;
    if (FAILED(info->QueryInterface(IID_PPV_ARGS(&info2))) ||
        FAILED(info2->GetFuncIndexOfMemId(id, INVOKE_FUNC, &index)) || FAILED(info->GetFuncDesc(index, &fd)))
        return;

    // The [out, retval] slot of a dual interface is no argument of the caller's.
    UINT declared = static_cast<UINT>(fd->cParams);
    if (declared && (fd->lprgelemdescParam[declared - 1].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) --declared;
    const UINT given = params->cArgs;
    const UINT total = declared > given ? declared : given;
    bool changed = false;
    // Omitted trailing parameters come first in rgvarg, which holds the last argument first.
    defaults_.resize(total - given);
    args_.resize(total);
    for (UINT param = 0; param < total; ++param) {
        const UINT slot = total - 1 - param;
        VARIANTARG& a = args_[slot];
        if (param >= given) {
            const ELEMDESC& e = fd->lprgelemdescParam[param];
            VARIANT& d = defaults_[param - given];
            VariantInit(&d);
            const bool byRef = e.tdesc.vt == VT_PTR;
            if (!(e.paramdesc.wParamFlags & PARAMFLAG_FHASDEFAULT) || !e.paramdesc.pparamdescex || !byRef ||
                FAILED(VariantCopy(&d, &e.paramdesc.pparamdescex->varDefaultValue))) {
                // Left to Invoke to reject or to fill, as it would without us.
                a.vt = VT_ERROR;
                a.scode = DISP_E_PARAMNOTFOUND;
                continue;
            }
            a.vt = static_cast<VARTYPE>(d.vt | VT_BYREF);
            a.byref = &d.bstrVal;  // every scalar member of the union starts here
            changed = true;
            continue;
        }
        a = params->rgvarg[given - 1 - param];
        if (param >= declared || a.vt != (VT_VARIANT | VT_BYREF) || !a.pvarVal) continue;
        const TYPEDESC& t = fd->lprgelemdescParam[param].tdesc;
        VARIANT* inner = a.pvarVal;
        if (t.vt != VT_PTR || t.lptdesc->vt == VT_VARIANT || t.lptdesc->vt != inner->vt ||
            (inner->vt & (VT_BYREF | VT_ARRAY)))
            continue;
        a.vt = static_cast<VARTYPE>(inner->vt | VT_BYREF);
        a.byref = &inner->bstrVal;
        changed = true;
    }
    info->ReleaseFuncDesc(fd);
    if (!changed) return;
    rewritten_ = *params;
    rewritten_.rgvarg = args_.data();
    rewritten_.cArgs = total;
    params_ = &rewritten_;
}

InvokeArguments::~InvokeArguments() {
    for (VARIANT& d : defaults_) VariantClear(&d);
}

}  // namespace nimbra
