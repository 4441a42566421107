// The error-handler component "NimbraErrorHandler.ErrorHandler" in the test prefix, so that
// reports are checked and never wait on a message box. Each RaiseError call appends a line
// to the file NIMBRA_REPORT_LOG names (UTF-8, tab-separated): exe, App.EXEName, version,
// number, description, procedure, line, module kind, module name, by-reference flags of
// arguments 3-8. With NIMBRA_REPORT_FAIL set the call fails, as a broken handler would.
#include <windows.h>
#include <olectl.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "../../src/com/ClassFactory.h"
#include "../../src/com/LateBound.h"
#include "../../src/forms/Text.h"
#include "../unit/DispatchOnly.h"
#include "../unit/TestSupport.h"

using namespace nimbra;

namespace {

constexpr CLSID kClsid = {0x9518199b, 0x8db6, 0x4e87, {0xaf, 0x5a, 0x64, 0xbc, 0x4b, 0x26, 0xab, 0x81}};
constexpr wchar_t kProgId[] = L"NimbraErrorHandler.ErrorHandler";

// By-reference arguments are read through their reference.
std::wstring AsText(const VARIANT& v) {
    Variant plain, text;
    if (FAILED(VariantCopyInd(&plain, const_cast<VARIANT*>(&v)))) return L"?";
    if (FAILED(VariantChangeType(&text, &plain, 0, VT_BSTR))) return L"?";
    return std::wstring(text.bstrVal, SysStringLen(text.bstrVal));
}

std::wstring Property(IDispatch* obj, const wchar_t* name) {
    DISPID id;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    DISPPARAMS none{};
    Variant r;
    if (!obj || FAILED(obj->GetIDsOfNames(IID_NULL, &n, 1, 0, &id)) ||
        FAILED(obj->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &r, nullptr, nullptr)))
        return L"?";
    return AsText(r);
}

class Handler final : public test::DispatchOnly {
public:
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1 || _wcsicmp(names[0], L"RaiseError") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = 1;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO* excep,
                        UINT*) override {
        if (id != 1) return DISP_E_MEMBERNOTFOUND;
        if (!p || p->cArgs != 8) return DISP_E_BADPARAMCOUNT;
        // rgvarg holds the last argument first.
        auto arg = [&](int i) -> VARIANT& { return p->rgvarg[7 - i]; };
        IDispatch* app = arg(1).vt == VT_DISPATCH ? arg(1).pdispVal : nullptr;
        std::wstring line = AsText(arg(0)) + L"\t" + Property(app, L"EXEName") + L"\t" + Property(app, L"Major") +
                            L"." + Property(app, L"Minor") + L"." + Property(app, L"Revision");
        std::wstring byRef;
        for (int i = 2; i < 8; ++i) {
            line += L"\t" + AsText(arg(i));
            byRef += (arg(i).vt & VT_BYREF) ? L"R" : L"V";
        }
        const std::wstring log = test::Env(L"NIMBRA_REPORT_LOG");
        if (!log.empty())
            std::ofstream(std::filesystem::path(log), std::ios::app | std::ios::binary)
                << nimbra::forms::Narrow(line + L"\t" + byRef + L"\n", CP_UTF8);
        if (!test::Env(L"NIMBRA_REPORT_FAIL").empty()) {
            if (excep) {
                *excep = EXCEPINFO{};
                excep->scode = E_FAIL;
            }
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    }
};

bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

std::wstring Clsid() {
    wchar_t g[40];
    StringFromGUID2(kClsid, g, 40);
    return g;
}

}  // namespace

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    *out = nullptr;
    if (clsid != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return Make<ClassFactory>(CreateInstanceOf<Handler>)->QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() { return ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllRegisterServer() {
    const std::wstring key = L"CLSID\\" + Clsid(), server = key + L"\\InprocServer32";
    return SetValue(key, nullptr, kProgId) && SetValue(server, nullptr, ModulePath()) &&
                   SetValue(server, L"ThreadingModel", L"Apartment") && SetValue(kProgId, nullptr, kProgId) &&
                   SetValue(std::wstring(kProgId) + L"\\CLSID", nullptr, Clsid())
               ? S_OK
               : SELFREG_E_CLASS;
}

// RegDeleteTreeW given a subkey removes the subkey itself too.
STDAPI DllUnregisterServer() {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"CLSID\\" + Clsid()).c_str());
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    return S_OK;
}
}
