// The embedded type library as a container or object browser reads it.
#include <windows.h>
#include <olectl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "NimbraForm_h.h"
#include "xpFormMembers.h"
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

// A container's toolbox takes the control flag; script hosts create only what can be created.
TEST(TypeLibrary, ClassesCarryTheFlagsContainersLookFor) {
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

// A property's type as the browser shows its getter, by the list's kind column.
constexpr VARTYPE kBool = VT_BOOL, kColor = VT_USERDEFINED, kBorder = VT_USERDEFINED, kByte = VT_UI1,
                  kPicture = VT_PTR, kText = VT_BSTR;

struct Described {
    std::wstring name;
    MEMBERID id;
    VARTYPE type;     // a property's type; an event's parameter count
    bool hidden;        // not browsable
    std::wstring help;  // umlauts included
};

// What the built library says of each property getter or event of one interface.
std::vector<Described> Members(const GUID& iid, INVOKEKIND kind) {
    Info info;
    Find(iid, info);
    std::vector<Described> out;
    for (UINT i = 0; info.attr && i < info.attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        if (info.ti->GetFuncDesc(i, &f) != S_OK) continue;
        BSTR name = nullptr, help = nullptr;
        info.ti->GetDocumentation(f->memid, &name, &help, nullptr, nullptr);
        // IDispatch's own methods are restricted; About has a standard (negative) DISPID.
        if (f->invkind == kind && f->memid >= 0 && !(f->wFuncFlags & FUNCFLAG_FRESTRICTED))
            out.push_back({name, f->memid, kind == INVOKE_FUNC ? VARTYPE(f->cParams) : f->elemdescFunc.tdesc.vt,
                           (f->wFuncFlags & FUNCFLAG_FNONBROWSABLE) != 0, help ? help : L""});
        SysFreeString(name);
        SysFreeString(help);
        info.ti->ReleaseFuncDesc(f);
    }
    return out;
}

// The built library's properties and events are exactly the list's: DISPIDs, types,
// visibility and help strings.
TEST(TypeLibrary, TheControlsMembersAreTheListsMembers) {
    auto sorted = [](std::vector<Described> v) {
        std::sort(v.begin(), v.end(), [](const Described& a, const Described& b) { return a.name < b.name; });
        return v;
    };
    auto same = [](const std::vector<Described>& a, const std::vector<Described>& b) {
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i) {
            EXPECT_EQ(a[i].name, b[i].name);
            EXPECT_EQ(a[i].id, b[i].id) << a[i].name;
            EXPECT_EQ(a[i].type, b[i].type) << a[i].name;
            EXPECT_EQ(a[i].hidden, b[i].hidden) << a[i].name;
            EXPECT_EQ(a[i].help, b[i].help) << a[i].name;
        }
    };
    const std::vector<Described> properties = {
#define NIMBRA_ROW(name, dispid, kind, fallback, stored, browsable, help) \
    {L"" #name, dispid, k##kind, !(browsable), help ? help : L""},
        NIMBRA_XPFORM_PROPERTIES(NIMBRA_ROW)
#undef NIMBRA_ROW
    };
    same(sorted(Members(IID__xpForm, INVOKE_PROPERTYGET)), sorted(properties));
    auto params = [](std::wstring_view argument) { return VARTYPE(argument == L"None" ? 0 : 1); };
    const std::vector<Described> events = {
#define NIMBRA_ROW(name, dispid, argument, raiser, help) {L"" #name, dispid, params(L"" #argument), false, help ? help : L""},
        NIMBRA_XPFORM_EVENTS(NIMBRA_ROW)
#undef NIMBRA_ROW
    };
    same(sorted(Members(IID___xpForm, INVOKE_FUNC)), sorted(events));

    // The list itself may hold a slip: a few of what a browser shows, written out.
    auto of = [](const std::vector<Described>& members, std::wstring_view name) {
        const auto it = std::find_if(members.begin(), members.end(), [&](const Described& d) { return d.name == name; });
        return it == members.end() ? Described{} : *it;
    };
    const auto shown = Members(IID__xpForm, INVOKE_PROPERTYGET), raised = Members(IID___xpForm, INVOKE_FUNC);
    EXPECT_EQ(of(shown, L"Resizeable").help, L"bestimmt, ob die Größe des Formulars geändert werden kann");
    EXPECT_EQ(of(shown, L"TrayButtonVisible").help, L"");
    EXPECT_TRUE(of(shown, L"ShowInTaskBar").hidden);
    EXPECT_FALSE(of(shown, L"Transparency").hidden);
    EXPECT_EQ(of(raised, L"TitleDblClicked").help, L"wird ausgelöst, wenn in der Titelleiste doppelgeklickt wird");
}

}  // namespace
