#include "EventSink.h"

#include "forms/Text.h"

namespace nimbra::host {
namespace {

ComPtr<ITypeInfo> SourceTypeInfo(IUnknown* control) {
    ComPtr<IProvideClassInfo> info;
    ComPtr<ITypeInfo> coclass, source;
    if (!control || FAILED(control->QueryInterface(IID_PPV_ARGS(&info))) || FAILED(info->GetClassInfo(&coclass)))
        return nullptr;
    TYPEATTR* attr = nullptr;
    if (FAILED(coclass->GetTypeAttr(&attr))) return nullptr;
    const UINT count = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        HREFTYPE ref;
        if (SUCCEEDED(coclass->GetImplTypeFlags(i, &flags)) && (flags & IMPLTYPEFLAG_FSOURCE) &&
            (flags & IMPLTYPEFLAG_FDEFAULT) && SUCCEEDED(coclass->GetRefTypeOfImplType(i, &ref)) &&
            SUCCEEDED(coclass->GetRefTypeInfo(ref, &source)))
            return source;
    }
    return nullptr;
}

std::wstring Show(const VARIANT& v) {
    VARIANT value, text;
    VariantInit(&value);
    VariantInit(&text);
    VariantCopyInd(&value, const_cast<VARIANT*>(&v));
    std::wstring s = L"?";
    if (value.vt == VT_BOOL) s = value.boolVal ? L"True" : L"False";
    else if (SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR))) s.assign(text.bstrVal, SysStringLen(text.bstrVal));
    VariantClear(&value);
    VariantClear(&text);
    return s;
}

}  // namespace

EventLog::EventLog(const std::wstring& path, std::set<std::wstring> cancel) : cancel_(std::move(cancel)) {
    if (!path.empty()) file_ = _wfopen(path.c_str(), L"wb");
}

EventLog::~EventLog() {
    if (file_) fclose(file_);
}

void EventLog::Write(const std::wstring& line) {
    if (!file_) return;
    const std::wstring full = line + L"\r\n";
    const std::string bytes = forms::Narrow(full, CP_UTF8);
    fwrite(bytes.data(), 1, bytes.size(), file_);
    fflush(file_);  // readers follow the log while the host runs
}

IID EventSink::SourceInterface(IUnknown* control) {
    ComPtr<IProvideClassInfo2> info2;
    IID iid = IID_NULL;
    if (control && SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&info2))) &&
        SUCCEEDED(info2->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &iid)))
        return iid;
    ComPtr<ITypeInfo> source = SourceTypeInfo(control);
    TYPEATTR* attr = nullptr;
    if (source && SUCCEEDED(source->GetTypeAttr(&attr))) {
        iid = attr->guid;
        source->ReleaseTypeAttr(attr);
    }
    return iid;
}

EventSink::EventSink(IUnknown* control, EventLog* log) : log_(log) {
    ComPtr<ITypeInfo> source = SourceTypeInfo(control);
    TYPEATTR* attr = nullptr;
    if (!source || FAILED(source->GetTypeAttr(&attr))) return;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* fd = nullptr;
        if (FAILED(source->GetFuncDesc(i, &fd))) continue;
        BSTR names[16] = {};
        UINT count = 0;
        source->GetNames(fd->memid, names, 16, &count);
        Event e;
        for (UINT n = 0; n < count; ++n) {
            (n == 0 ? e.name : e.params.emplace_back()) = names[n] ? names[n] : L"";
            SysFreeString(names[n]);
        }
        events_[fd->memid] = e;
        source->ReleaseFuncDesc(fd);
    }
    source->ReleaseTypeAttr(attr);
}

void* EventSink::Find(REFIID riid) {
    return riid == IID_IUnknown || riid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* n) {
    if (!n) return E_POINTER;
    *n = 0;
    return S_OK;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                               UINT*) {
    if (result) VariantInit(result);
    auto it = events_.find(id);
    const std::wstring name = it != events_.end() ? it->second.name : L"Event" + std::to_wstring(id);
    std::wstring line = name;
    const UINT count = params ? params->cArgs : 0;
    bool answered = false;
    for (UINT i = 0; i < count; ++i) {
        VARIANT& arg = params->rgvarg[count - 1 - i];  // the last argument comes first
        const std::wstring param =
            it != events_.end() && i < it->second.params.size() ? it->second.params[i] : L"Arg" + std::to_wstring(i);
        line += L" " + param + L"=" + Show(arg);
        if (arg.vt == (VT_BOOL | VT_BYREF) && log_ && log_->Cancels(name)) {
            *arg.pboolVal = VARIANT_TRUE;
            answered = true;
        }
    }
    if (answered) line += L" -> True";
    if (log_) log_->Write(line);
    return S_OK;
}

}  // namespace nimbra::host
