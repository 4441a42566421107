// A built NimbraForm.ocx read as a file, never loaded to run: its version
// resource and its embedded type library. A 64-bit process
// reads either architecture's library this way, so the i686 build is checked
// on machines that cannot run 32-bit programs too.
//   NIMBRA_MODULE       the library to check
//   NIMBRA_MODULE_ARCH  i686 or x86_64
//   NIMBRA_REFERENCE    the other architecture's library, whose type library
//                       must describe the same members (optional)
#include <windows.h>
#include <oaidl.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t buf[1024];
    const DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return n && n < 1024 ? std::wstring(buf, n) : std::wstring();
}

bool Is32Bit() { return Env(L"NIMBRA_MODULE_ARCH") == L"i686"; }

std::wstring ModulePath() { return Env(L"NIMBRA_MODULE"); }

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueW(block.data(), key.c_str(), reinterpret_cast<void**>(&value), &length) || !value) return L"";
    return value;
}

TEST(BuiltModule, VersionResourceSays208) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(ModulePath().c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(ModulePath().c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00020008u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"2.08.0000");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"NimbraForm.ocx");
}

// ---- the type library -------------------------------------------------------

struct Library {
    ITypeLib* lib = nullptr;
    explicit Library(const std::wstring& module) { LoadTypeLibEx(module.c_str(), REGKIND_NONE, &lib); }
    ~Library() {
        if (lib) lib->Release();
    }
};

struct Attr {
    ITypeInfo* ti = nullptr;
    TYPEATTR* attr = nullptr;
    Attr(ITypeLib* lib, UINT index) {
        if (SUCCEEDED(lib->GetTypeInfo(index, &ti))) ti->GetTypeAttr(&attr);
    }
    Attr(ITypeInfo* from, HREFTYPE ref) {
        if (SUCCEEDED(from->GetRefTypeInfo(ref, &ti))) ti->GetTypeAttr(&attr);
    }
    ~Attr() {
        if (attr) ti->ReleaseTypeAttr(attr);
        if (ti) ti->Release();
    }
};

std::wstring Text(BSTR b) {
    std::wstring s = b ? b : L"";
    SysFreeString(b);
    return s;
}

std::wstring Doc(ITypeInfo* ti, MEMBERID id) {
    BSTR name = nullptr, help = nullptr;
    ti->GetDocumentation(id, &name, &help, nullptr, nullptr);
    return Text(name) + L" \"" + Text(help) + L"\"";
}

// A type as text, user-defined types by name: both libraries refer to their own
// copies of stdole and of their enumerations, which compare by name only.
std::wstring Type(ITypeInfo* ti, const TYPEDESC& t) {
    if (t.vt == VT_PTR) return Type(ti, *t.lptdesc) + L"*";
    if (t.vt != VT_USERDEFINED) return L"vt" + std::to_wstring(t.vt);
    ITypeInfo* ref = nullptr;
    if (FAILED(ti->GetRefTypeInfo(t.hreftype, &ref))) return L"?";
    std::wstring name = Doc(ref, MEMBERID_NIL);
    ref->Release();
    return name;
}

std::wstring Value(const VARIANT* v) {
    if (!v) return L"-";
    VARIANT text;
    VariantInit(&text);
    std::wstring s = L"vt" + std::to_wstring(V_VT(v)) + L"=";
    if (SUCCEEDED(VariantChangeType(&text, const_cast<VARIANT*>(v), 0, VT_BSTR))) s += V_BSTR(&text);
    VariantClear(&text);
    return s;
}

// Everything a client of the library sees of one type, apart from where its
// methods sit in the table: names, DISPIDs, kinds, types, flags, help strings.
std::wstring Describe(ITypeInfo* ti, const TYPEATTR& a) {
    std::wostringstream out;
    wchar_t guid[40];
    StringFromGUID2(a.guid, guid, 40);
    out << Doc(ti, MEMBERID_NIL) << L" " << guid << L" kind " << a.typekind << L" flags " << a.wTypeFlags
        << L"\n";
    for (UINT i = 0; i < a.cImplTypes; ++i) {
        HREFTYPE h = 0;
        INT flags = 0;
        ti->GetRefTypeOfImplType(i, &h);
        ti->GetImplTypeFlags(i, &flags);
        TYPEDESC ref{};
        ref.vt = VT_USERDEFINED;
        ref.hreftype = h;
        out << L"  implements " << Type(ti, ref) << L" flags " << flags << L"\n";
    }
    for (UINT i = 0; i < a.cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(ti->GetFuncDesc(i, &f))) {
            out << L"  function " << i << L" unreadable\n";
            continue;
        }
        BSTR names[16] = {};
        UINT count = 0;
        ti->GetNames(f->memid, names, 16, &count);
        out << L"  " << Doc(ti, f->memid) << L" id " << f->memid << L" invoke " << f->invkind << L" kind "
            << f->funckind << L" call " << f->callconv << L" flags " << f->wFuncFlags << L" returns "
            << Type(ti, f->elemdescFunc.tdesc) << L" optional " << f->cParamsOpt << L"\n   ";
        for (UINT n = 1; n < count; ++n) out << L" " << names[n];
        for (UINT n = 0; n < count; ++n) SysFreeString(names[n]);
        for (SHORT p = 0; p < f->cParams; ++p) {
            const PARAMDESC& pd = f->lprgelemdescParam[p].paramdesc;
            out << L" (" << Type(ti, f->lprgelemdescParam[p].tdesc) << L" flags " << pd.wParamFlags;
            if (pd.wParamFlags & PARAMFLAG_FHASDEFAULT) out << L" default " << Value(&pd.pparamdescex->varDefaultValue);
            out << L")";
        }
        out << L"\n";
        ti->ReleaseFuncDesc(f);
    }
    for (UINT i = 0; i < a.cVars; ++i) {
        VARDESC* v = nullptr;
        if (FAILED(ti->GetVarDesc(i, &v))) continue;
        out << L"  " << Doc(ti, v->memid) << L" id " << v->memid << L" = "
            << Value(v->varkind == VAR_CONST ? v->lpvarValue : nullptr) << L"\n";
        ti->ReleaseVarDesc(v);
    }
    return out.str();
}

// A dual interface's table: IDispatch's seven methods, then its own, one slot
// each. The 32-bit library stores 4-byte slots (first own method at 28), the
// 64-bit one 8-byte slots (at 56). Wine scales each stored oVft to the reading
// process's pointer size, so only cbSizeVft shows what a 32-bit client gets;
// oVft still shows the slots in order.
void ExpectTableLayout(ITypeLib* lib, bool is32Bit, const wchar_t* which) {
    const UINT slot = is32Bit ? 4 : 8;
    int duals = 0;
    for (UINT t = 0; t < lib->GetTypeInfoCount(); ++t) {
        Attr dispatch(lib, t);
        ASSERT_TRUE(dispatch.attr);
        if (!(dispatch.attr->wTypeFlags & TYPEFLAG_FDUAL)) continue;
        ++duals;
        // A dual interface is listed by its dispatch face; the table is the other one's.
        HREFTYPE h = 0;
        ASSERT_EQ(dispatch.ti->GetRefTypeOfImplType(static_cast<UINT>(-1), &h), S_OK);
        Attr a(dispatch.ti, h);
        ASSERT_TRUE(a.attr);
        ASSERT_EQ(a.attr->typekind, TKIND_INTERFACE);
        const std::wstring name = Doc(a.ti, MEMBERID_NIL);
        EXPECT_EQ(a.attr->cbSizeVft, 7 * slot + a.attr->cFuncs * slot) << which << L" " << name;
        for (UINT i = 0; i < a.attr->cFuncs; ++i) {
            FUNCDESC* f = nullptr;
            ASSERT_EQ(a.ti->GetFuncDesc(i, &f), S_OK);
            EXPECT_EQ(f->oVft, static_cast<SHORT>(7 * sizeof(void*) + i * sizeof(void*))) << which << L" " << name;
            a.ti->ReleaseFuncDesc(f);
        }
    }
    EXPECT_GE(duals, 4) << which << L": xpForm, SpEv, Error and clsFormSubclass each have a dual interface";
}

TEST(BuiltModule, TypeLibraryHasTheArchitecturesLayout) {
    Library own(ModulePath());
    ASSERT_TRUE(own.lib) << "no type library embedded in " << ModulePath();
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(own.lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->syskind, Is32Bit() ? SYS_WIN32 : SYS_WIN64);
    own.lib->ReleaseTLibAttr(attr);
    ExpectTableLayout(own.lib, Is32Bit(), L"checked");

    const std::wstring referencePath = Env(L"NIMBRA_REFERENCE");
    if (referencePath.empty()) return;
    Library reference(referencePath);
    ASSERT_TRUE(reference.lib) << "no type library embedded in " << referencePath;
    ExpectTableLayout(reference.lib, !Is32Bit(), L"reference");

    // Both architectures describe the same library, member for member.
    ASSERT_EQ(own.lib->GetTypeInfoCount(), reference.lib->GetTypeInfoCount());
    for (UINT t = 0; t < own.lib->GetTypeInfoCount(); ++t) {
        Attr a(own.lib, t), b(reference.lib, t);
        ASSERT_TRUE(a.attr && b.attr);
        EXPECT_EQ(Describe(a.ti, *a.attr), Describe(b.ti, *b.attr));
    }
}

}  // namespace
