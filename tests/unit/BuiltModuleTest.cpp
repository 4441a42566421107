// A built NimbraForm.ocx read as a file, never run: its version resource and type library.
// A 64-bit process reads either architecture's library so, which checks the i686 build on
// machines that cannot run 32-bit programs too. NIMBRA_MODULE names the library,
// NIMBRA_MODULE_ARCH its architecture, NIMBRA_REFERENCE (optional) the other one's.
#include <windows.h>
#include <oaidl.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

using test::Env;

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

std::wstring Name(ITypeInfo* ti, MEMBERID id) {
    BSTR name = nullptr;
    ti->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
    return Text(name);
}

// A type as text, user-defined types by name: both libraries refer to their own
// copies of stdole and of their enumerations, which compare by name only.
std::wstring Type(ITypeInfo* ti, const TYPEDESC& t) {
    if (t.vt == VT_PTR) return Type(ti, *t.lptdesc) + L"*";
    if (t.vt != VT_USERDEFINED) return L"vt" + std::to_wstring(t.vt);
    ITypeInfo* ref = nullptr;
    if (FAILED(ti->GetRefTypeInfo(t.hreftype, &ref))) return L"?";
    std::wstring name = Name(ref, MEMBERID_NIL);
    ref->Release();
    return name;
}

// What a client binds to in one type, apart from its table slots: the libraries differ
// only in their stdole and system kind, so referenced types, kinds and parameters can.
std::wstring Describe(ITypeInfo* ti, const TYPEATTR& a) {
    std::wostringstream out;
    wchar_t guid[40];
    StringFromGUID2(a.guid, guid, 40);
    out << Name(ti, MEMBERID_NIL) << L" " << guid << L" kind " << a.typekind << L" flags " << a.wTypeFlags << L"\n";
    for (UINT i = 0; i < a.cImplTypes; ++i) {
        TYPEDESC ref{};
        ref.vt = VT_USERDEFINED;
        INT flags = 0;
        ti->GetRefTypeOfImplType(i, &ref.hreftype);
        ti->GetImplTypeFlags(i, &flags);
        out << L"  implements " << Type(ti, ref) << L" flags " << flags << L"\n";
    }
    for (UINT i = 0; i < a.cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(ti->GetFuncDesc(i, &f))) {
            out << L"  function " << i << L" unreadable\n";
            continue;
        }
        out << L"  " << Name(ti, f->memid) << L" id " << f->memid << L" invoke " << f->invkind << L" call "
            << f->callconv << L" returns " << Type(ti, f->elemdescFunc.tdesc) << L" optional " << f->cParamsOpt;
        for (SHORT p = 0; p < f->cParams; ++p)
            out << L" (" << Type(ti, f->lprgelemdescParam[p].tdesc) << L" flags "
                << f->lprgelemdescParam[p].paramdesc.wParamFlags << L")";
        out << L"\n";
        ti->ReleaseFuncDesc(f);
    }
    return out.str();
}

// A dual interface's table: IDispatch's seven methods, then its own, 4-byte slots in the
// 32-bit library and 8-byte ones in the 64-bit. Wine scales a stored oVft to the reading
// process's pointer size, so only cbSizeVft shows what a 32-bit client gets.
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
        const std::wstring name = Name(a.ti, MEMBERID_NIL);
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
