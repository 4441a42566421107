// The type library embedded in NimbraForm.ocx, read back through oleaut32 as a
// container or object browser reads it. Names and DISPIDs are not repeated here:
// the late-bound tests call every member by them. What is checked is what a
// wrong writer would spoil: the architecture, the vtable offsets, the classes'
// flags a container looks for, and help strings with their umlauts.
#include <windows.h>
#include <olectl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

struct Info {
    ITypeInfo* ti = nullptr;
    TYPEATTR* attr = nullptr;
    ~Info() {
        if (attr) ti->ReleaseTypeAttr(attr);
        if (ti) ti->Release();
    }
};

std::string Narrow(const wchar_t* s) { return std::string(s, s + wcslen(s)); }

std::wstring Help(ITypeInfo* ti, MEMBERID id, std::wstring* name = nullptr) {
    BSTR n = nullptr, h = nullptr;
    ti->GetDocumentation(id, &n, &h, nullptr, nullptr);
    if (name) *name = n ? n : L"";
    std::wstring help = h ? h : L"";
    SysFreeString(n);
    SysFreeString(h);
    return help;
}

class TypeLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::wstring ocx = test::Env(L"NIMBRA_OCX");
        ASSERT_FALSE(ocx.empty()) << "NIMBRA_OCX names the built library";
        ASSERT_EQ(LoadTypeLibEx(ocx.c_str(), REGKIND_NONE, &lib_), S_OK);
    }
    static void TearDownTestSuite() {
        if (lib_) lib_->Release();
        lib_ = nullptr;
    }

    static void Find(const wchar_t* name, Info& out) {
        for (UINT i = 0; i < lib_->GetTypeInfoCount(); ++i) {
            BSTR n = nullptr;
            lib_->GetDocumentation(i, &n, nullptr, nullptr, nullptr);
            const bool match = n && std::wstring(n) == name;
            SysFreeString(n);
            if (match) {
                ASSERT_EQ(lib_->GetTypeInfo(i, &out.ti), S_OK);
                ASSERT_EQ(out.ti->GetTypeAttr(&out.attr), S_OK);
                return;
            }
        }
        FAIL() << "no type named " << Narrow(name);
    }

    static ITypeLib* lib_;
};
ITypeLib* TypeLibrary::lib_ = nullptr;

// A container's toolbox takes the control flag; it finds the events through the
// default source interface; script hosts create only what can be created.
TEST_F(TypeLibrary, ClassesCarryTheFlagsAndInterfacesContainersLookFor) {
    TLIBATTR* lib = nullptr;
    ASSERT_EQ(lib_->GetLibAttr(&lib), S_OK);
    EXPECT_EQ(lib->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    lib_->ReleaseTLibAttr(lib);

    const WORD mask = TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT | TYPEFLAG_FCONTROL;
    const struct {
        const wchar_t* name;
        WORD flags;
        const wchar_t* source;
    } classes[] = {
        {L"xpForm", TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"__xpForm"},
        {L"SpEv", TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT, nullptr},
        {L"Error", TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT, nullptr},
        {L"clsFormSubclass", 0, L"__clsFormSubclass"},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(Narrow(c.name));
        Info info;
        Find(c.name, info);
        ASSERT_EQ(info.attr->typekind, TKIND_COCLASS);
        EXPECT_EQ(info.attr->wTypeFlags & mask, c.flags);
        ASSERT_EQ(info.attr->cImplTypes, c.source ? 2 : 1);
        for (UINT i = 0; i < info.attr->cImplTypes; ++i) {
            INT flags = 0;
            HREFTYPE ref;
            Info itf;
            info.ti->GetImplTypeFlags(i, &flags);
            info.ti->GetRefTypeOfImplType(i, &ref);
            ASSERT_EQ(info.ti->GetRefTypeInfo(ref, &itf.ti), S_OK);
            std::wstring name;
            Help(itf.ti, MEMBERID_NIL, &name);
            EXPECT_EQ(name, i == 0 ? std::wstring(L"_") + c.name : std::wstring(c.source));
            EXPECT_EQ(flags, i == 0 ? IMPLTYPEFLAG_FDEFAULT : IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
        }
    }
}

// The object browser shows help strings: they must come back as written,
// umlauts included. Enumeration members each name themselves in their help,
// which the generator writes and widl could not.
TEST_F(TypeLibrary, HelpStringsKeepTheirUmlautsAndEnumMembersTheirNames) {
    const struct {
        const wchar_t* type;
        const wchar_t* member;
        const wchar_t* help;
    } expected[] = {
        {L"_xpForm", L"About", L"öffnet das Info-Fenster der Nimbra-Komponenten"},
        {L"_xpForm", L"CloseButtonVisible", L"bestimmt, ob der Schließen-Button angezeigt wird"},
        {L"_xpForm", L"Resizeable", L"bestimmt, ob die Größe des Formulars geändert werden kann"},
        {L"_xpForm", L"TrayButtonVisible", L""},
        {L"__xpForm", L"TitleDblClicked", L"wird ausgelöst, wenn in der Titelleiste doppelgeklickt wird"},
    };
    for (const auto& e : expected) {
        Info info;
        Find(e.type, info);
        MEMBERID id = MEMBERID_NIL;
        LPOLESTR name = const_cast<LPOLESTR>(e.member);
        ASSERT_EQ(info.ti->GetIDsOfNames(&name, 1, &id), S_OK) << Narrow(e.member);
        EXPECT_EQ(Help(info.ti, id), e.help) << Narrow(e.member);
    }

    int enums = 0;
    for (UINT t = 0; t < lib_->GetTypeInfoCount(); ++t) {
        TYPEKIND kind;
        if (lib_->GetTypeInfoType(t, &kind) != S_OK || kind != TKIND_ENUM) continue;
        ++enums;
        Info info;
        ASSERT_EQ(lib_->GetTypeInfo(t, &info.ti), S_OK);
        ASSERT_EQ(info.ti->GetTypeAttr(&info.attr), S_OK);
        ASSERT_GT(info.attr->cVars, 0);
        for (UINT i = 0; i < info.attr->cVars; ++i) {
            VARDESC* vd = nullptr;
            ASSERT_EQ(info.ti->GetVarDesc(i, &vd), S_OK);
            std::wstring name;
            const std::wstring help = Help(info.ti, vd->memid, &name);
            EXPECT_EQ(help, name);
            EXPECT_EQ(vd->lpvarValue->vt, VT_I4) << Narrow(name.c_str());
            info.ti->ReleaseVarDesc(vd);
        }
    }
    EXPECT_EQ(enums, 4);
}

// ITypeInfo::Invoke calls a dual interface's methods through the offsets the
// library records: they must be this architecture's vtable. After the seven
// inherited IUnknown and IDispatch slots each method takes one pointer-sized
// slot, in order (4 bytes on i686, 8 on x86_64). A library written for the
// other architecture calls every method through the wrong slot.
TEST_F(TypeLibrary, DualInterfacesHaveThisArchitecturesTableLayout) {
    for (const wchar_t* name : {L"_xpForm", L"_SpEv", L"_Error", L"_clsFormSubclass"}) {
        SCOPED_TRACE(Narrow(name));
        Info dispatch;
        Find(name, dispatch);
        ASSERT_TRUE(dispatch.attr->wTypeFlags & TYPEFLAG_FDUAL);
        const SHORT slot = sizeof(void*);
        // The dispatch side, which ITypeInfo::Invoke reads: its own members
        // (after those inherited from IUnknown and IDispatch, where listed)
        // carry the same offsets as the table.
        std::vector<SHORT> offsets;
        for (UINT i = 0; i < dispatch.attr->cFuncs; ++i) {
            FUNCDESC* fd = nullptr;
            ASSERT_EQ(dispatch.ti->GetFuncDesc(i, &fd), S_OK);
            // IUnknown's members are 0x6000xxxx, IDispatch's 0x6001xxxx.
            const bool inherited = (fd->memid >> 16) == 0x6000 || (fd->memid >> 16) == 0x6001;
            if (!inherited) offsets.push_back(fd->oVft);
            dispatch.ti->ReleaseFuncDesc(fd);
        }
        ASSERT_FALSE(offsets.empty());
        for (size_t i = 0; i < offsets.size(); ++i)
            EXPECT_EQ(offsets[i], static_cast<SHORT>((7 + i) * slot)) << "dispatch member " << i;
        // The interface side of the dual interface holds the table.
        HREFTYPE ref = 0;
        ASSERT_EQ(dispatch.ti->GetRefTypeOfImplType(-1, &ref), S_OK);
        Info dual;
        ASSERT_EQ(dispatch.ti->GetRefTypeInfo(ref, &dual.ti), S_OK);
        ASSERT_EQ(dual.ti->GetTypeAttr(&dual.attr), S_OK);
        ASSERT_EQ(dual.attr->typekind, TKIND_INTERFACE);
        ASSERT_GT(dual.attr->cFuncs, 0);
        EXPECT_EQ(dual.attr->cbSizeVft, (7 + dual.attr->cFuncs) * slot);
        for (UINT i = 0; i < dual.attr->cFuncs; ++i) {
            FUNCDESC* fd = nullptr;
            ASSERT_EQ(dual.ti->GetFuncDesc(i, &fd), S_OK);
            EXPECT_EQ(fd->oVft, static_cast<SHORT>((7 + i) * slot)) << "function " << i;
            EXPECT_EQ(fd->callconv, CC_STDCALL);
            dual.ti->ReleaseFuncDesc(fd);
        }
    }
}

}  // namespace
