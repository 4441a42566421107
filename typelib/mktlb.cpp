// Writes the NimbraForm type library through oleaut32's ICreateTypeLib2 and
// the matching C++ declarations, both from the description in NimbraForm.cpp.
// widl cannot carry help strings on enumeration members; this can.
//   mktlb <out.tlb> <out.h> [win32|win64 [stdole2.tlb]]
// A 64-bit generator writes the 32-bit library too, given the 32-bit
// stdole2.tlb: the build machine need not run 32-bit programs.
#include <windows.h>
#include <oaidl.h>
#include <olectl.h>
#include <ocidl.h>

#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

#include "Library.h"

namespace {

using namespace tlb;

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        char msg[256];
        std::snprintf(msg, sizeof msg, "%s failed: 0x%08lx", what, static_cast<unsigned long>(hr));
        throw std::runtime_error(msg);
    }
}

GUID ToGuid(const wchar_t* text) {
    GUID g;
    Check(CLSIDFromString(text, &g), "CLSIDFromString");
    return g;
}

template <class T>
struct Ptr {
    T* p = nullptr;
    Ptr() = default;
    Ptr(Ptr&& o) noexcept : p(o.p) { o.p = nullptr; }
    Ptr(const Ptr&) = delete;
    ~Ptr() { if (p) p->Release(); }
    T* operator->() const { return p; }
    T** put() { return &p; }
};

class Writer {
public:
    // stdole names the stdole2.tlb of the target architecture; nullptr takes
    // the registered one, which is this process's own.
    Writer(const Library& lib, SYSKIND sys, const wchar_t* path, const wchar_t* stdole) : lib_(lib) {
        Check(CreateTypeLib2(sys, path, ctl_.put()),
              "CreateTypeLib2");
        // LayOut places a dual interface's own methods after the inherited
        // IDispatch table as the type info of IDispatch describes it: from the
        // 32-bit stdole2 in 4-byte slots (first own method at 28), from the
        // 64-bit one in 8-byte slots (at 56), whatever process reads it.
        if (stdole)
            Check(LoadTypeLibEx(stdole, REGKIND_NONE, stdole_.put()), "load the given stdole2");
        else
            Check(LoadRegTypeLib(IID_StdOle, 2, 0, LOCALE_NEUTRAL, stdole_.put()), "load stdole2");
        Check(stdole_->GetTypeInfoOfGuid(IID_IDispatch, dispatch_.put()), "IDispatch info");
        Check(stdole_->GetTypeInfoOfGuid(IID_IPictureDisp, picture_.put()), "Picture info");
    }

    void Write() {
        Check(ctl_->SetName(const_cast<LPOLESTR>(lib_.name)), "SetName");
        Check(ctl_->SetGuid(ToGuid(lib_.libid)), "SetGuid");
        Check(ctl_->SetLcid(lib_.lcid), "SetLcid");
        Check(ctl_->SetVersion(lib_.major, lib_.minor), "SetVersion");
        Check(ctl_->SetDocString(const_cast<LPOLESTR>(lib_.help)), "SetDocString");
        for (const auto& e : lib_.enums) AddEnum(e);
        for (const auto& i : lib_.interfaces) AddInterface(i);
        for (const auto& c : lib_.classes) AddClass(c);
        Check(ctl_->SaveAllChanges(), "SaveAllChanges");
    }

private:
    Ptr<ICreateTypeInfo> Create(const wchar_t* name, TYPEKIND kind) {
        Ptr<ICreateTypeInfo> cti;
        Check(ctl_->CreateTypeInfo(const_cast<LPOLESTR>(name), kind, cti.put()), "CreateTypeInfo");
        cti->AddRef();
        infos_[name] = cti.p;
        return cti;
    }

    ITypeInfo* Info(const wchar_t* name) {
        auto it = infos_.find(name);
        if (it == infos_.end()) throw std::runtime_error("unknown type in description");
        ITypeInfo* ti = nullptr;
        Check(it->second->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&ti)), "ITypeInfo");
        ti->Release();  // the writer keeps it alive
        return ti;
    }

    HREFTYPE Ref(ICreateTypeInfo* owner, ITypeInfo* target) {
        HREFTYPE h;
        Check(owner->AddRefTypeInfo(target, &h), "AddRefTypeInfo");
        return h;
    }

    void AddEnum(const Enumeration& e) {
        auto cti = Create(e.name, TKIND_ENUM);
        UINT i = 0;
        for (const auto& m : e.members) {
            VARIANT v;
            VariantInit(&v);
            v.vt = VT_I4;
            v.lVal = m.value;
            VARDESC vd{};
            vd.memid = 0x40000000 + i;
            vd.lpvarValue = &v;
            vd.varkind = VAR_CONST;
            vd.elemdescVar.tdesc.vt = VT_I4;
            Check(cti->AddVarDesc(i, &vd), "AddVarDesc");
            Check(cti->SetVarName(i, const_cast<LPOLESTR>(m.name)), "SetVarName");
            Check(cti->SetVarDocString(i, const_cast<LPOLESTR>(m.name)), "SetVarDocString");
            ++i;
        }
        Check(cti->LayOut(), "LayOut enum");
    }

    // Fills a TYPEDESC for a value of the given type; byRef adds one level of pointer.
    // inner holds the levels out points to and must outlive it.
    void Describe(ICreateTypeInfo* owner, TypeRef t, bool byRef, TYPEDESC& out, TYPEDESC (&inner)[2]) {
        TYPEDESC value{};
        switch (t.type) {
        case Type::Void: value.vt = VT_VOID; break;
        case Type::Bool: value.vt = VT_BOOL; break;
        case Type::Long: value.vt = VT_I4; break;
        case Type::UByte: value.vt = VT_UI1; break;
        case Type::String: value.vt = VT_BSTR; break;
        case Type::Variant: value.vt = VT_VARIANT; break;
        case Type::Enum:
            value.vt = VT_USERDEFINED;
            value.hreftype = Ref(owner, Info(t.enumName));
            break;
        case Type::Picture:
            // An object reference is itself a pointer to the interface.
            inner[1].vt = VT_USERDEFINED;
            inner[1].hreftype = Ref(owner, picture_.p);
            value.vt = VT_PTR;
            value.lptdesc = &inner[1];
            break;
        }
        if (!byRef) {
            out = value;
            return;
        }
        inner[0] = value;
        out.vt = VT_PTR;
        out.lptdesc = &inner[0];
    }

    void AddInterface(const Interface& itf) {
        auto cti = Create(itf.name, itf.events ? TKIND_DISPATCH : TKIND_INTERFACE);
        Check(cti->SetGuid(ToGuid(itf.iid)), "SetGuid");
        Check(cti->AddImplType(0, Ref(cti.p, dispatch_.p)), "AddImplType");
        WORD flags = TYPEFLAG_FHIDDEN;
        if (!itf.events) flags |= TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
        Check(cti->SetTypeFlags(flags), "SetTypeFlags");

        UINT index = 0;
        for (const auto& m : itf.members) {
            const size_t n = m.params.size() + (m.kind == Kind::Get ? 1 : 0) +
                             (m.kind == Kind::Method && m.result.type != Type::Void && !itf.events ? 1 : 0);
            std::vector<ELEMDESC> params(n);
            std::vector<TYPEDESC[2]> inner(n);
            std::vector<PARAMDESCEX> defaults(n);
            std::vector<const wchar_t*> names{m.name};
            for (size_t i = 0; i < m.params.size(); ++i) {
                const Param& p = m.params[i];
                Describe(cti.p, p.type, (p.flags & ByRef) != 0, params[i].tdesc, inner[i]);
                USHORT pf = 0;
                if (p.flags & In) pf |= PARAMFLAG_FIN;
                if (p.flags & Out) pf |= PARAMFLAG_FOUT;
                if (p.flags & Optional) {
                    pf |= PARAMFLAG_FOPT | PARAMFLAG_FHASDEFAULT;
                    defaults[i].cBytes = sizeof(PARAMDESCEX);
                    VariantInit(&defaults[i].varDefaultValue);
                    V_VT(&defaults[i].varDefaultValue) = VT_BSTR;
                    V_BSTR(&defaults[i].varDefaultValue) = SysAllocString(p.defaultText);
                    params[i].paramdesc.pparamdescex = &defaults[i];
                }
                params[i].paramdesc.wParamFlags = pf;
                // A property setter's value has no name of its own.
                if (m.kind == Kind::Method) names.push_back(p.name);
            }
            if (n > m.params.size()) {  // the [out, retval] slot of a dual interface
                const size_t r = n - 1;
                Describe(cti.p, m.result, true, params[r].tdesc, inner[r]);
                params[r].paramdesc.wParamFlags = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;
            }

            FUNCDESC fd{};
            fd.memid = m.dispid;
            fd.funckind = itf.events ? FUNC_DISPATCH : FUNC_PUREVIRTUAL;
            fd.invkind = m.kind == Kind::Get      ? INVOKE_PROPERTYGET
                         : m.kind == Kind::Put    ? INVOKE_PROPERTYPUT
                         : m.kind == Kind::PutRef ? INVOKE_PROPERTYPUTREF
                                                  : INVOKE_FUNC;
            fd.callconv = CC_STDCALL;
            fd.cParams = static_cast<SHORT>(n);
            fd.lprgelemdescParam = params.data();
            fd.elemdescFunc.tdesc.vt = itf.events ? VT_VOID : VT_HRESULT;
            if (m.hidden) fd.wFuncFlags = FUNCFLAG_FNONBROWSABLE;
            Check(cti->AddFuncDesc(index, &fd), "AddFuncDesc");
            Check(cti->SetFuncAndParamNames(index, const_cast<LPOLESTR*>(names.data()),
                                            static_cast<UINT>(names.size())),
                  "SetFuncAndParamNames");
            if (m.help) Check(cti->SetFuncDocString(index, const_cast<LPOLESTR>(m.help)), "SetFuncDocString");
            for (auto& d : defaults) VariantClear(&d.varDefaultValue);
            ++index;
        }
        Check(cti->LayOut(), "LayOut interface");
    }

    void AddClass(const CoClass& c) {
        auto cti = Create(c.name, TKIND_COCLASS);
        Check(cti->SetGuid(ToGuid(c.clsid)), "SetGuid");
        WORD flags = 0;
        switch (c.kind) {
        case ClassKind::Creatable: flags = TYPEFLAG_FCANCREATE; break;
        case ClassKind::AppObject: flags = TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT | TYPEFLAG_FPREDECLID; break;
        case ClassKind::Control: flags = TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL; break;
        case ClassKind::Private: flags = 0; break;
        }
        Check(cti->SetTypeFlags(flags), "SetTypeFlags");
        Check(cti->AddImplType(0, Ref(cti.p, Info(c.defaultInterface))), "AddImplType");
        Check(cti->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");
        if (c.eventInterface) {
            Check(cti->AddImplType(1, Ref(cti.p, Info(c.eventInterface))), "AddImplType");
            Check(cti->SetImplTypeFlags(1, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE),
                  "SetImplTypeFlags");
        }
        Check(cti->LayOut(), "LayOut coclass");
    }

    const Library& lib_;
    Ptr<ICreateTypeLib2> ctl_;
    Ptr<ITypeLib> stdole_;
    Ptr<ITypeInfo> dispatch_, picture_;
    std::map<std::wstring, ICreateTypeInfo*> infos_;

public:
    ~Writer() {
        for (auto& [name, cti] : infos_) cti->Release();
    }
};

// ---- C++ declarations -------------------------------------------------------

std::string Narrow(const wchar_t* w) {
    std::string s;
    for (; w && *w; ++w) s += static_cast<char>(*w);  // identifiers are ASCII
    return s;
}

std::string CType(TypeRef t) {
    switch (t.type) {
    case Type::Void: return "void";
    case Type::Bool: return "VARIANT_BOOL";
    case Type::Long: return "LONG";
    case Type::UByte: return "BYTE";
    case Type::String: return "BSTR";
    case Type::Variant: return "VARIANT";
    case Type::Picture: return "IPictureDisp*";
    case Type::Enum: return Narrow(t.enumName);
    }
    return "void";
}

std::string GuidInit(const wchar_t* text) {
    GUID g = ToGuid(text);
    char b[160];
    std::snprintf(b, sizeof b, "0x%08lx, 0x%04x, 0x%04x, {0x%02x, 0x%02x, 0x%02x, 0x%02x, 0x%02x, 0x%02x, 0x%02x, 0x%02x}",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1],
                  g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return b;
}

void WriteHeader(const Library& lib, FILE* f) {
    std::fprintf(f, "// Generated by mktlb from typelib/NimbraForm.cpp. Do not edit.\n#pragma once\n"
                    "#include <windows.h>\n#include <oaidl.h>\n#include <olectl.h>\n#include <ocidl.h>\n\n");
    for (const auto& e : lib.enums) {
        std::fprintf(f, "enum %s : LONG {\n", Narrow(e.name).c_str());
        for (const auto& m : e.members) std::fprintf(f, "    %s = %ld,\n", Narrow(m.name).c_str(), m.value);
        std::fprintf(f, "};\n\n");
    }
    for (const auto& itf : lib.interfaces) {
        const std::string name = Narrow(itf.name);
        std::fprintf(f, "inline constexpr GUID IID_%s = {%s};\n", name.c_str(), GuidInit(itf.iid).c_str());
        // DISPIDs by member name: what events are fired with and changes are notified by.
        std::fprintf(f, "namespace %sId {\n", name.c_str());
        std::map<std::string, long> ids;
        for (const auto& m : itf.members) ids[Narrow(m.name)] = m.dispid;
        for (const auto& [n, id] : ids) std::fprintf(f, "inline constexpr DISPID %s = %ld;\n", n.c_str(), id);
        std::fprintf(f, "}\n");
        if (itf.events) {
            std::fprintf(f, "\n");
            continue;
        }
        std::fprintf(f, "struct %s : public IDispatch {\n", name.c_str());
        for (const auto& m : itf.members) {
            std::string prefix = m.kind == Kind::Get ? "get_" : m.kind == Kind::Put ? "put_" : m.kind == Kind::PutRef ? "putref_" : "";
            std::string args;
            for (const auto& p : m.params) {
                if (!args.empty()) args += ", ";
                args += CType(p.type) + ((p.flags & ByRef) ? "* " : " ") + Narrow(p.name);
            }
            if (m.result.type != Type::Void) {
                if (!args.empty()) args += ", ";
                args += CType(m.result) + "* Result";
            }
            std::fprintf(f, "    virtual HRESULT STDMETHODCALLTYPE %s%s(%s) = 0;\n", prefix.c_str(),
                         Narrow(m.name).c_str(), args.c_str());
        }
        std::fprintf(f, "};\n\n");
    }
    for (const auto& c : lib.classes)
        std::fprintf(f, "inline constexpr GUID CLSID_%s = {%s};\n", Narrow(c.name).c_str(), GuidInit(c.clsid).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mktlb <out.tlb> <out.h> [win32|win64 [stdole2.tlb]]\n");
        return 2;
    }
    const SYSKIND own = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    SYSKIND sys = own;
    if (argc > 3) sys = std::wstring(argv[3]) == L"win32" ? SYS_WIN32 : SYS_WIN64;
    const wchar_t* stdole = argc > 4 ? argv[4] : nullptr;
    if (sys != own && !stdole) {
        std::fprintf(stderr, "mktlb: a library for the other architecture needs that architecture's stdole2.tlb\n");
        return 2;
    }
    CoInitialize(nullptr);
    int rc = 0;
    try {
        DeleteFileW(argv[1]);
        Writer(tlb::NimbraForm(), sys, argv[1], stdole).Write();
        FILE* f = _wfopen(argv[2], L"w");
        if (!f) throw std::runtime_error("cannot write the header");
        WriteHeader(tlb::NimbraForm(), f);
        std::fclose(f);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "mktlb: %s\n", e.what());
        rc = 1;
    }
    CoUninitialize();
    return rc;
}
