// The type library embedded in NimbraForm.ocx, read back through oleaut32 as a
// container or object browser reads it. Expectations are written out here, not
// taken from the description the generator used, so a wrong writer shows.
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
        FAIL() << "no type named " << std::string(name, name + wcslen(name));
    }

    struct Param {
        VARTYPE vt, pointee;  // pointee: what a VT_PTR points to
        USHORT flags;
        VARTYPE defaultType;
        std::wstring defaultText;
    };
    struct Function {
        std::wstring name, help;
        MEMBERID id;
        INVOKEKIND kind;
        WORD flags;
        std::vector<Param> params;
        VARTYPE result;
    };

    // Functions in interface order, without those inherited from IUnknown and IDispatch.
    static std::vector<Function> Functions(const Info& info) {
        std::vector<Function> out;
        for (UINT i = 0; i < info.attr->cFuncs; ++i) {
            FUNCDESC* fd = nullptr;
            if (FAILED(info.ti->GetFuncDesc(i, &fd))) continue;
            BSTR name = nullptr, help = nullptr;
            info.ti->GetDocumentation(fd->memid, &name, &help, nullptr, nullptr);
            Function f{name ? name : L"", help ? help : L"", fd->memid, fd->invkind, fd->wFuncFlags, {},
                       fd->elemdescFunc.tdesc.vt};
            for (SHORT i = 0; i < fd->cParams; ++i) {
                const ELEMDESC& e = fd->lprgelemdescParam[i];
                Param p{e.tdesc.vt, e.tdesc.vt == VT_PTR ? e.tdesc.lptdesc->vt : VARTYPE(VT_EMPTY),
                        e.paramdesc.wParamFlags, VT_EMPTY, L""};
                if ((p.flags & PARAMFLAG_FHASDEFAULT) && e.paramdesc.pparamdescex) {
                    const VARIANT& d = e.paramdesc.pparamdescex->varDefaultValue;
                    p.defaultType = d.vt;
                    if (d.vt == VT_BSTR && d.bstrVal) p.defaultText.assign(d.bstrVal, SysStringLen(d.bstrVal));
                }
                f.params.push_back(p);
            }
            SysFreeString(name);
            SysFreeString(help);
            info.ti->ReleaseFuncDesc(fd);
            if (f.id >= 0x60000000 && f.id < 0x60020000) continue;  // QueryInterface .. Invoke
            out.push_back(f);
        }
        return out;
    }

    static ITypeLib* lib_;
};
ITypeLib* TypeLibrary::lib_ = nullptr;

TEST_F(TypeLibrary, LibraryAttributes) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib_->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(attr->lcid, 0x409u);
    EXPECT_EQ(attr->wMajorVerNum, 1);
    EXPECT_EQ(attr->wMinorVerNum, 1);
    EXPECT_EQ(attr->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    lib_->ReleaseTLibAttr(attr);
    BSTR name = nullptr, help = nullptr;
    lib_->GetDocumentation(-1, &name, &help, nullptr, nullptr);
    EXPECT_STREQ(name, L"NimbraForm");
    EXPECT_STREQ(help, L"NimbraForm");
    SysFreeString(name);
    SysFreeString(help);
}

TEST_F(TypeLibrary, ControlInterfaceOrderDispidsAndHelp) {
    Info info;
    Find(L"_xpForm", info);
    ASSERT_EQ(info.attr->typekind, TKIND_DISPATCH);  // the dispatch side of a dual interface
    EXPECT_EQ(info.attr->wTypeFlags & (TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE),
              TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE);

    struct Expected {
        const wchar_t* name;
        MEMBERID id;
        const wchar_t* help;  // nullptr: none
    };
    const Expected properties[] = {
        {L"ColorStyle", 0x68030012, L"bestimmt das Farbschema des Objekts"},
        {L"CloseButtonVisible", 0x68030011, L"bestimmt, ob der Schließen-Button angezeigt wird"},
        {L"CloseButtonEnabled", 0x68030010, L"bestimmt, ob der Schließen-Button aktiviert ist"},
        {L"MaxButtonVisible", 0x6803000F, L"bestimmt, ob der Maximier-Button angezeigt wird"},
        {L"MaxButtonEnabled", 0x6803000E, L"bestimmt, ob der Maximier-Button aktiviert ist"},
        {L"MinButtonVisible", 0x6803000D, L"bestimmt, ob der Minimier-Button angezeigt wird"},
        {L"MinButtonEnabled", 0x6803000C, L"bestimmt, ob der Minimier-Button aktiviert ist"},
        {L"HelpButtonVisible", 0x6803000B, L"bestimmt, ob der Hilfe-Button angezeigt wird"},
        {L"HelpButtonEnabled", 0x6803000A, L"bestimmt, ob der Hilfe-Button aktiviert ist"},
        {L"TrayButtonVisible", 0x68030009, nullptr},
        {L"TrayButtonEnabled", 0x68030008, nullptr},
        {L"Icon", 0x68030007, L"bestimmt das Formularicon"},
        {L"IconShow", 0x68030006, L"bestimmt, ob das Formularicon angezeigt wird"},
        {L"Caption", 0x68030005, L"bestimmt die Überschrift des Formulars"},
        {L"Moveable", 0x68030004, L"bestimmt, ob das Formular bewegt werden kann"},
        {L"Resizeable", 0x68030003, L"bestimmt, ob die Größe des Formulars geändert werden kann"},
        {L"ShowInTaskBar", 0x68030002, L"bestimmt, ob das Formular in der TaskBar angezeigt wird"},
        {L"BorderStyle", 0x68030001, nullptr},
        {L"Transparency", 0x68030000, nullptr},
    };
    const auto f = Functions(info);
    ASSERT_EQ(f.size(), 1 + 2 * std::size(properties));
    EXPECT_EQ(f[0].name, L"About");
    EXPECT_EQ(f[0].id, -552);
    EXPECT_EQ(f[0].help, L"öffnet das Info-Fenster der Nimbra-Komponenten");
    for (size_t i = 0; i < std::size(properties); ++i) {
        const Function& get = f[1 + 2 * i];
        const Function& put = f[2 + 2 * i];
        SCOPED_TRACE(std::string(properties[i].name, properties[i].name + wcslen(properties[i].name)));
        EXPECT_EQ(get.name, properties[i].name);
        EXPECT_EQ(put.name, properties[i].name);
        EXPECT_EQ(get.id, properties[i].id);
        EXPECT_EQ(put.id, properties[i].id);
        EXPECT_EQ(get.kind, INVOKE_PROPERTYGET);
        EXPECT_EQ(put.kind, i == 11 ? INVOKE_PROPERTYPUTREF : INVOKE_PROPERTYPUT);  // Icon is set by reference
        EXPECT_EQ(get.help, properties[i].help ? properties[i].help : L"");
        const bool hidden = (get.flags & FUNCFLAG_FNONBROWSABLE) != 0;
        EXPECT_EQ(hidden, std::wstring(properties[i].name) == L"ShowInTaskBar");
    }
    // Types a script sees: automation Boolean, unsigned byte, enumeration.
    EXPECT_EQ(f[3].result, VT_BOOL);
    EXPECT_EQ(f.back().params.at(0).vt, VT_UI1);
    EXPECT_EQ(f[2].params.at(0).vt, VT_USERDEFINED);
}

TEST_F(TypeLibrary, ControlEvents) {
    Info info;
    Find(L"__xpForm", info);
    ASSERT_EQ(info.attr->typekind, TKIND_DISPATCH);
    EXPECT_TRUE(info.attr->wTypeFlags & TYPEFLAG_FHIDDEN);
    const wchar_t* names[] = {L"CloseButtonClicked", L"MaxButtonClicked", L"MinButtonClicked", L"HelpButtonClicked",
                              L"TrayButtonClicked",  L"Move",             L"Resize",           L"TitleClicked",
                              L"TitleDblClicked",    L"Activate",         L"Deactivate"};
    const auto f = Functions(info);
    ASSERT_EQ(f.size(), std::size(names));
    for (size_t i = 0; i < f.size(); ++i) {
        EXPECT_EQ(f[i].name, names[i]);
        EXPECT_EQ(f[i].id, static_cast<MEMBERID>(i + 1));
        const bool cancellable = i < 5 || i == 8;
        ASSERT_EQ(f[i].params.size(), cancellable ? 1u : 0u) << i;
        if (cancellable) {
            EXPECT_EQ(f[i].params[0].vt, VT_PTR);
            EXPECT_EQ(f[i].params[0].pointee, VT_BOOL);
        }
    }
    EXPECT_EQ(f[0].help, L"wird ausgelöst, wenn auf den Schließen-Button geklickt wird");
    EXPECT_EQ(f[4].help, L"");
    EXPECT_EQ(f[8].help, L"wird ausgelöst, wenn in der Titelleiste doppelgeklickt wird");
}

TEST_F(TypeLibrary, EnumerationsNameEachMemberInItsHelp) {
    struct Expected {
        const wchar_t* type;
        std::vector<std::pair<std::wstring, long>> members;
    };
    const Expected enums[] = {
        {L"cFormBorderStyle",
         {{L"cBorderNone", 0}, {L"cBorderFixed", 1}, {L"cBorderSizeable", 2}, {L"cBorderFixedDialog", 3},
          {L"cBorderFixedToolBox", 4}, {L"cBorderSizeableToolBox", 5}}},
        {L"cColorStyle", {{L"cXPBlue", 0}, {L"cXPSilver", 1}, {L"cXPOlive", 2}}},
        {L"cActiveXPTheme", {{L"styleBlue", 1}, {L"styleSilver", 2}, {L"styleOlive", 3}, {L"styleClassic", 4}}},
        {L"cMouseButton", {{L"mouseNone", 0}, {L"mouseLeft", 1}, {L"mouseRight", 2}, {L"mouseMiddle", 3}}},
    };
    for (const auto& e : enums) {
        Info info;
        Find(e.type, info);
        ASSERT_EQ(info.attr->typekind, TKIND_ENUM);
        ASSERT_EQ(info.attr->cVars, e.members.size());
        for (UINT i = 0; i < info.attr->cVars; ++i) {
            VARDESC* vd = nullptr;
            ASSERT_EQ(info.ti->GetVarDesc(i, &vd), S_OK);
            BSTR name = nullptr, help = nullptr;
            info.ti->GetDocumentation(vd->memid, &name, &help, nullptr, nullptr);
            EXPECT_EQ(std::wstring(name ? name : L""), e.members[i].first);
            EXPECT_EQ(std::wstring(help ? help : L""), e.members[i].first);
            EXPECT_EQ(vd->lpvarValue->vt, VT_I4);
            EXPECT_EQ(vd->lpvarValue->lVal, e.members[i].second);
            SysFreeString(name);
            SysFreeString(help);
            info.ti->ReleaseVarDesc(vd);
        }
    }
}

TEST_F(TypeLibrary, ClassesAndTheirFlags) {
    struct Expected {
        const wchar_t* name;
        WORD flags;  // among CANCREATE, APPOBJECT, CONTROL
        const wchar_t* source;
    };
    const WORD mask = TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT | TYPEFLAG_FCONTROL;
    const Expected classes[] = {
        {L"xpForm", TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL, L"__xpForm"},
        {L"SpEv", TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT, nullptr},
        {L"Error", TYPEFLAG_FCANCREATE | TYPEFLAG_FAPPOBJECT, nullptr},
        {L"clsFormSubclass", 0, L"__clsFormSubclass"},
    };
    for (const auto& c : classes) {
        Info info;
        Find(c.name, info);
        ASSERT_EQ(info.attr->typekind, TKIND_COCLASS);
        EXPECT_EQ(info.attr->wTypeFlags & mask, c.flags);
        ASSERT_EQ(info.attr->cImplTypes, c.source ? 2 : 1);
        for (UINT i = 0; i < info.attr->cImplTypes; ++i) {
            INT flags = 0;
            info.ti->GetImplTypeFlags(i, &flags);
            HREFTYPE ref;
            ITypeInfo* itf = nullptr;
            info.ti->GetRefTypeOfImplType(i, &ref);
            ASSERT_EQ(info.ti->GetRefTypeInfo(ref, &itf), S_OK);
            BSTR name = nullptr;
            itf->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
            EXPECT_EQ(std::wstring(name), i == 0 ? std::wstring(L"_") + c.name : std::wstring(c.source));
            EXPECT_EQ(flags, i == 0 ? IMPLTYPEFLAG_FDEFAULT : IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
            SysFreeString(name);
            itf->Release();
        }
    }
}

TEST_F(TypeLibrary, UtilityMembersAndParameterKinds) {
    Info spev;
    Find(L"_SpEv", spev);
    const auto f = Functions(spev);
    const std::pair<const wchar_t*, MEMBERID> members[] = {
        {L"TextRead", 0x60030001}, {L"TextSave", 0x60030002},      {L"PlayMusic", 0x60030003},
        {L"ListSave", 0x60030004}, {L"ListRead", 0x60030005},      {L"FileExists", 0x60030006},
        {L"ActiveXPTheme", 0x60030007}, {L"MouseButtonPressed", 0x60030009}};
    ASSERT_EQ(f.size(), std::size(members));
    for (size_t i = 0; i < f.size(); ++i) {
        EXPECT_EQ(f[i].name, members[i].first);
        EXPECT_EQ(f[i].id, members[i].second);
    }
    // ListSave(List, Filename, Optional TextBeforeListText = "", Optional TextAfterListText = "").
    const auto& listSave = f[3].params;
    ASSERT_EQ(listSave.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(listSave[i].vt, VT_PTR) << "by reference " << i;
        const USHORT pf = listSave[i].flags;
        EXPECT_EQ((pf & PARAMFLAG_FOPT) != 0, i >= 2) << i;
        if (i >= 2) {
            EXPECT_TRUE(pf & PARAMFLAG_FHASDEFAULT);
            EXPECT_EQ(listSave[i].defaultType, VT_BSTR);
            EXPECT_EQ(listSave[i].defaultText, L"");
        }
    }

    Info error;
    Find(L"_Error", error);
    const auto e = Functions(error);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].name, L"SilentError");
    EXPECT_EQ(e[0].id, 0x68030000);
    EXPECT_EQ(e[0].result, VT_BOOL);

    Info subclass;
    Find(L"_clsFormSubclass", subclass);
    const auto s = Functions(subclass);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].name, L"StartSubclass");
    EXPECT_EQ(s[0].id, 0x60030001);
    ASSERT_EQ(s[0].params.size(), 1u);
    EXPECT_EQ(s[0].params[0].vt, VT_I4);  // hwnd by value
    EXPECT_EQ(s[1].name, L"StopSubClass");

    Info events;
    Find(L"__clsFormSubclass", events);
    const auto m = Functions(events);
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].name, L"MessageCatched");
    ASSERT_EQ(m[0].params.size(), 5u);
    EXPECT_EQ(m[0].params[0].vt, VT_I4);
    for (int i = 1; i < 4; ++i) EXPECT_EQ(m[0].params[i].pointee, VT_I4);
    EXPECT_EQ(m[0].params[4].pointee, VT_BOOL);
}

// ITypeInfo::Invoke calls a dual interface's methods through the offsets the
// library records: they must be this architecture's vtable. After the seven
// inherited IUnknown and IDispatch slots each method takes one pointer-sized
// slot, in order (4 bytes on i686, 8 on x86_64). A library written for the
// other architecture calls every method through the wrong slot.
TEST_F(TypeLibrary, DualInterfacesHaveThisArchitecturesTableLayout) {
    for (const wchar_t* name : {L"_xpForm", L"_SpEv", L"_Error", L"_clsFormSubclass"}) {
        SCOPED_TRACE(std::string(name, name + wcslen(name)));
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
