// The type library embedded in NimbraForm.ocx as a container or object browser
// reads it. Names, DISPIDs and vtable offsets are checked by the late-bound and
// script suites, which call every member through them.
#include <windows.h>
#include <olectl.h>
#include <gtest/gtest.h>

#include <utility>

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

// A container's toolbox takes the control flag; script hosts create only what can
// be created. (The events' source interface is looked up by NimbraHost's event sink.)
TEST(TypeLibrary, ClassesCarryTheFlagsContainersLookFor) {
    TLIBATTR* lib = nullptr;
    ASSERT_TRUE(Library() && Library()->GetLibAttr(&lib) == S_OK);
    EXPECT_EQ(lib->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    Library()->ReleaseTLibAttr(lib);

    const WORD mask = TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT | TYPEFLAG_FCONTROL;
    const std::pair<GUID, WORD> classes[] = {
        {CLSID_xpForm, TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL},
        {CLSID_SpEv, TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT},
        {CLSID_Error, TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT},
        {CLSID_clsFormSubclass, 0},
    };
    for (const auto& [clsid, flags] : classes) {
        Info info;
        Find(clsid, info);
        ASSERT_EQ(info.attr->typekind, TKIND_COCLASS);
        EXPECT_EQ(info.attr->wTypeFlags & mask, flags) << std::hex << clsid.Data1;
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

}  // namespace
