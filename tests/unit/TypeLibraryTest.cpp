// The type library embedded in NimbraForm.ocx, read back through oleaut32 as a
// container or object browser reads it. Names and DISPIDs are not repeated here:
// the late-bound tests call every member by them. What is checked is what a
// wrong writer would spoil: the architecture, the vtable offsets, the classes'
// flags a container looks for, and help strings with their umlauts.
#include <windows.h>
#include <olectl.h>
#include <gtest/gtest.h>

#include <vector>

#include "NimbraForm_h.h"
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

// The library embedded in the built server, loaded once for the whole run.
ITypeLib* Library() {
    static ITypeLib* lib = [] {
        ITypeLib* loaded = nullptr;
        LoadTypeLibEx(test::Env(L"NIMBRA_OCX").c_str(), REGKIND_NONE, &loaded);
        return loaded;
    }();
    return lib;
}

void Find(const GUID& guid, Info& out) {
    ASSERT_NE(Library(), nullptr) << "NIMBRA_OCX names the built library, with its type library";
    ASSERT_EQ(Library()->GetTypeInfoOfGuid(guid, &out.ti), S_OK);
    ASSERT_EQ(out.ti->GetTypeAttr(&out.attr), S_OK);
}

// A container's toolbox takes the control flag; it finds the events through the
// default source interface; script hosts create only what can be created.
TEST(TypeLibrary, ClassesCarryTheFlagsAndInterfacesContainersLookFor) {
    TLIBATTR* lib = nullptr;
    ASSERT_NE(Library(), nullptr);
    ASSERT_EQ(Library()->GetLibAttr(&lib), S_OK);
    EXPECT_EQ(lib->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    Library()->ReleaseTLibAttr(lib);

    const WORD mask = TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT | TYPEFLAG_FCONTROL;
    const struct {
        const char* name;
        GUID clsid;
        WORD flags;
        GUID itf;
        const GUID* source;
    } classes[] = {
        {"xpForm", CLSID_xpForm, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, IID__xpForm, &IID___xpForm},
        {"SpEv", CLSID_SpEv, TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT, IID__SpEv, nullptr},
        {"Error", CLSID_Error, TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT, IID__Error, nullptr},
        {"clsFormSubclass", CLSID_clsFormSubclass, 0, IID__clsFormSubclass, &IID___clsFormSubclass},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(c.name);
        Info info;
        Find(c.clsid, info);
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
            ASSERT_EQ(itf.ti->GetTypeAttr(&itf.attr), S_OK);
            EXPECT_TRUE(IsEqualGUID(itf.attr->guid, i == 0 ? c.itf : *c.source)) << "interface " << i;
            EXPECT_EQ(flags, i == 0 ? IMPLTYPEFLAG_FDEFAULT : IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
        }
    }
}

// The object browser shows help strings: they must come back as written,
// umlauts included, and a member without one has none.
TEST(TypeLibrary, HelpStringsKeepTheirUmlauts) {
    const struct {
        GUID type;
        const wchar_t* member;
        const wchar_t* help;
    } expected[] = {
        {IID__xpForm, L"Resizeable", L"bestimmt, ob die Größe des Formulars geändert werden kann"},
        {IID__xpForm, L"TrayButtonVisible", L""},
        {IID___xpForm, L"TitleDblClicked", L"wird ausgelöst, wenn in der Titelleiste doppelgeklickt wird"},
    };
    for (const auto& e : expected) {
        Info info;
        Find(e.type, info);
        MEMBERID id = MEMBERID_NIL;
        LPOLESTR name = const_cast<LPOLESTR>(e.member);
        ASSERT_EQ(info.ti->GetIDsOfNames(&name, 1, &id), S_OK) << e.member;
        BSTR help = nullptr;
        info.ti->GetDocumentation(id, nullptr, &help, nullptr, nullptr);
        EXPECT_STREQ(help ? help : L"", e.help) << e.member;
        SysFreeString(help);
    }
}

// The table offsets of a type's functions, leaving out those inherited from
// IUnknown (members 0x6000xxxx) and IDispatch (0x6001xxxx) where it lists them.
std::vector<SHORT> OwnOffsets(const Info& info) {
    std::vector<SHORT> offsets;
    for (UINT i = 0; i < info.attr->cFuncs; ++i) {
        FUNCDESC* fd = nullptr;
        if (info.ti->GetFuncDesc(i, &fd) != S_OK) break;
        if ((fd->memid >> 16) != 0x6000 && (fd->memid >> 16) != 0x6001) offsets.push_back(fd->oVft);
        if (fd->funckind != FUNC_DISPATCH) {
            EXPECT_EQ(fd->callconv, CC_STDCALL);
        }
        info.ti->ReleaseFuncDesc(fd);
    }
    return offsets;
}

// ITypeInfo::Invoke calls a dual interface's methods through the offsets the
// library records: they must be this architecture's vtable. After the seven
// inherited IUnknown and IDispatch slots each method takes one pointer-sized
// slot, in order (4 bytes on i686, 8 on x86_64). A library written for the
// other architecture calls every method through the wrong slot.
TEST(TypeLibrary, DualInterfacesHaveThisArchitecturesTableLayout) {
    for (const GUID& itf : {IID__xpForm, IID__SpEv, IID__Error, IID__clsFormSubclass}) {
        SCOPED_TRACE(testing::PrintToString(itf.Data1));
        Info dispatch, dual;
        Find(itf, dispatch);
        ASSERT_TRUE(dispatch.attr->wTypeFlags & TYPEFLAG_FDUAL);
        // The dispatch side, which ITypeInfo::Invoke reads, and the interface side holding the table.
        HREFTYPE ref = 0;
        ASSERT_EQ(dispatch.ti->GetRefTypeOfImplType(-1, &ref), S_OK);
        ASSERT_EQ(dispatch.ti->GetRefTypeInfo(ref, &dual.ti), S_OK);
        ASSERT_EQ(dual.ti->GetTypeAttr(&dual.attr), S_OK);
        ASSERT_EQ(dual.attr->typekind, TKIND_INTERFACE);
        ASSERT_GT(dual.attr->cFuncs, 0);
        EXPECT_EQ(dual.attr->cbSizeVft, (7 + dual.attr->cFuncs) * sizeof(void*));
        std::vector<SHORT> table;
        for (UINT i = 0; i < dual.attr->cFuncs; ++i) table.push_back(static_cast<SHORT>((7 + i) * sizeof(void*)));
        EXPECT_EQ(OwnOffsets(dispatch), table);
        EXPECT_EQ(OwnOffsets(dual), table);
    }
}

}  // namespace
