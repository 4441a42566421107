// Every method and property of every class, called late bound through
// IDispatch::Invoke by its DISPID, the path script hosts and classic clients
// take (ITypeInfo::Invoke then calls through the type library's vtable
// offsets). A table slot or a calling convention that is off calls another
// member or corrupts the stack: the value read back, the procedure named in a
// report, or the HRESULT shows it. The DISPIDs are written out here.
#include <windows.h>
#include <olectl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../src/com/ComObject.h"
#include "../../src/com/LateBound.h"
#include "../../src/errors/Error.h"
#include "../../src/subclass/clsFormSubclass.h"
#include "NimbraForm_h.h"
#include "TestSupport.h"

using nimbra::ComPtr;
using nimbra::Variant;

namespace {

// One call: the arguments in source order; by-reference ones as VT_BYREF.
HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANTARG> args, VARIANT* result = nullptr) {
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());  // IDispatch takes them last first
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO excep{};
    UINT argErr = 0;
    const HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, &argErr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

VARIANTARG Bool(bool b) {
    VARIANTARG v;
    v.vt = VT_BOOL;
    v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}
VARIANTARG Long(LONG n) {
    VARIANTARG v;
    v.vt = VT_I4;
    v.lVal = n;
    return v;
}
VARIANTARG RefString(BSTR* s) {
    VARIANTARG v;
    v.vt = VT_BSTR | VT_BYREF;
    v.pbstrVal = s;
    return v;
}

// The value a getter gives, or an empty variant with the failure's HRESULT.
struct Got {
    HRESULT hr;
    Variant value;
};
Got Get(IDispatch* object, DISPID id) {
    Got g{E_FAIL, {}};
    g.hr = Call(object, id, DISPATCH_PROPERTYGET, {}, &g.value);
    return g;
}
HRESULT Put(IDispatch* object, DISPID id, VARIANTARG value) {
    return Call(object, id, DISPATCH_PROPERTYPUT, {value});
}

ComPtr<IDispatch> Create(const CLSID& clsid) {
    ComPtr<IDispatch> object;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&object)), S_OK);
    return object;
}

// Waits, on a timer of the calling thread, for the about window that About
// shows modally; then calls About again and clicks the window away. Should the
// click not close it, the window is closed after a while so the call returns.
struct AboutCloser {
    static inline IDispatch* control = nullptr;
    static inline UINT_PTR timer = 0;
    static inline int ticks = 0;
    static inline bool seen = false, owned = false, forced = false;
    static inline HRESULT nested = E_FAIL;

    static void Start(IDispatch* c) {
        control = c;
        ticks = 0;
        seen = owned = forced = false;
        timer = SetTimer(nullptr, 0, 20, Tick);
    }
    static void Stop() { KillTimer(nullptr, timer); }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND about = FindWindowW(L"NimbraForm", L"Nimbra About");
        if (++ticks > 1500) {  // 30 s
            if (about) PostMessageW(about, WM_CLOSE, 0, 0);
            forced = about != nullptr;
            Stop();
            return;
        }
        if (!about || !IsWindowVisible(about) || seen) return;
        seen = true;
        owned = GetWindow(about, GW_OWNER) != nullptr;
        nested = Call(control, -552, DISPATCH_METHOD, {});
        // Below the links, where only the window itself is.
        PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 215));
        PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(200, 215));
    }
};

class LateBound : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        nimbra::SetSilentError(false);
    }
    void TearDown() override { EXPECT_EQ(test::Boxes().count, 0); }
    // The procedure named by each report since the test began, in order.
    std::vector<std::wstring> ReportedProcedures() {
        std::vector<std::wstring> names;
        for (const auto& fields : reports_.Reports()) names.push_back(fields.size() > 5 ? fields[5] : L"?");
        return names;
    }
    test::RecordedReports reports_;
};

struct Flag {
    const wchar_t* name;
    DISPID id;
    bool initial;  // a new control's value
};
const Flag kFlags[] = {
    {L"CloseButtonVisible", 0x68030011, false}, {L"CloseButtonEnabled", 0x68030010, false},
    {L"MaxButtonVisible", 0x6803000F, false},   {L"MaxButtonEnabled", 0x6803000E, false},
    {L"MinButtonVisible", 0x6803000D, false},   {L"MinButtonEnabled", 0x6803000C, false},
    {L"HelpButtonVisible", 0x6803000B, false},  {L"HelpButtonEnabled", 0x6803000A, false},
    {L"TrayButtonVisible", 0x68030009, false},  {L"TrayButtonEnabled", 0x68030008, false},
    {L"IconShow", 0x68030006, false},           {L"Moveable", 0x68030004, false},
    {L"Resizeable", 0x68030003, false},         {L"ShowInTaskBar", 0x68030002, false},
};

TEST_F(LateBound, EveryBooleanPropertyOfTheControlIsItsOwn) {
    ComPtr<IDispatch> control = Create(CLSID_xpForm);
    ASSERT_TRUE(control);
    // Each one alone set True: exactly its own getter answers True.
    for (const Flag& set : kFlags) {
        SCOPED_TRACE(std::string(set.name, set.name + wcslen(set.name)));
        ASSERT_EQ(Put(control.Get(), set.id, Bool(true)), S_OK);
        for (const Flag& read : kFlags) {
            const Got g = Get(control.Get(), read.id);
            ASSERT_EQ(g.hr, S_OK);
            ASSERT_EQ(g.value.vt, VT_BOOL);
            EXPECT_EQ(g.value.boolVal, &read == &set ? VARIANT_TRUE : VARIANT_FALSE)
                << std::string(read.name, read.name + wcslen(read.name));
        }
        ASSERT_EQ(Put(control.Get(), set.id, Bool(false)), S_OK);
    }
}

TEST_F(LateBound, TheControlsOtherPropertiesAndItsMethod) {
    ComPtr<IDispatch> control = Create(CLSID_xpForm);
    ASSERT_TRUE(control);
    constexpr DISPID kColorStyle = 0x68030012, kIcon = 0x68030007, kCaption = 0x68030005, kBorderStyle = 0x68030001,
                     kTransparency = 0x68030000, kAbout = -552;
    EXPECT_EQ(Put(control.Get(), kColorStyle, Long(2)), S_OK);
    EXPECT_EQ(Put(control.Get(), kBorderStyle, Long(5)), S_OK);
    VARIANTARG transparency;
    transparency.vt = VT_UI1;
    transparency.bVal = 150;
    EXPECT_EQ(Put(control.Get(), kTransparency, transparency), S_OK);
    BSTR text = SysAllocString(L"Kundenübersicht");
    VARIANTARG caption;
    caption.vt = VT_BSTR;
    caption.bstrVal = text;
    EXPECT_EQ(Put(control.Get(), kCaption, caption), S_OK);
    SysFreeString(text);

    Got colour = Get(control.Get(), kColorStyle), border = Get(control.Get(), kBorderStyle),
        alpha = Get(control.Get(), kTransparency), title = Get(control.Get(), kCaption);
    EXPECT_EQ(colour.value.vt, VT_I4);
    EXPECT_EQ(colour.value.lVal, 2);
    EXPECT_EQ(border.value.vt, VT_I4);
    EXPECT_EQ(border.value.lVal, 5);
    EXPECT_EQ(alpha.value.vt, VT_UI1);
    EXPECT_EQ(alpha.value.bVal, 99);  // kept at 99
    ASSERT_EQ(title.value.vt, VT_BSTR);
    EXPECT_STREQ(title.value.bstrVal, L"Kundenübersicht");

    // Icon is assigned by reference and comes back as the same picture.
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(test::NewIconPicture(picture.GetAddressOf()), S_OK);
    VARIANTARG icon;
    icon.vt = VT_DISPATCH;
    icon.pdispVal = picture.Get();
    EXPECT_EQ(Call(control.Get(), kIcon, DISPATCH_PROPERTYPUTREF, {icon}), S_OK);
    const Got back = Get(control.Get(), kIcon);
    ASSERT_EQ(back.value.vt, VT_DISPATCH);
    EXPECT_EQ(back.value.pdispVal, static_cast<IDispatch*>(picture.Get()));

    // About shows the about window modally: the call returns once a click has
    // closed it. Called again while it shows, About reports and returns.
    AboutCloser::Start(control.Get());
    EXPECT_EQ(Call(control.Get(), kAbout, DISPATCH_METHOD, {}), S_OK);
    AboutCloser::Stop();
    EXPECT_TRUE(AboutCloser::seen);
    EXPECT_FALSE(AboutCloser::owned);
    EXPECT_FALSE(AboutCloser::forced) << "the click did not close the window";
    EXPECT_EQ(AboutCloser::nested, S_OK);
    EXPECT_EQ(FindWindowW(L"NimbraForm", L"Nimbra About"), nullptr);
    EXPECT_EQ(ReportedProcedures(), std::vector<std::wstring>{L"About"});

    // The wrong number of arguments is refused before the getter runs.
    EXPECT_EQ(Call(control.Get(), kColorStyle, DISPATCH_PROPERTYGET, {Long(1)}), DISP_E_BADPARAMCOUNT);
}

TEST_F(LateBound, EveryMethodOfSpEv) {
    ComPtr<IDispatch> spev = Create(CLSID_SpEv);
    ASSERT_TRUE(spev);
    constexpr DISPID kTextRead = 0x60030001, kTextSave = 0x60030002, kPlayMusic = 0x60030003, kListSave = 0x60030004,
                     kListRead = 0x60030005, kFileExists = 0x60030006, kActiveXPTheme = 0x60030007,
                     kMouseButtonPressed = 0x60030009;
    const std::wstring folder = test::ScratchFolder(L"latebound");
    BSTR file = SysAllocString((folder + L"\\Zeilen.txt").c_str());
    BSTR text = SysAllocString(L"erste Zeile\r\nzweite Zeile mit Ä");
    EXPECT_EQ(Call(spev.Get(), kTextSave, DISPATCH_METHOD, {RefString(&file), RefString(&text)}), S_OK);
    Variant read;
    EXPECT_EQ(Call(spev.Get(), kTextRead, DISPATCH_METHOD, {RefString(&file)}, &read), S_OK);
    ASSERT_EQ(read.vt, VT_BSTR);
    EXPECT_STREQ(read.bstrVal, L"erste Zeile\r\nzweite Zeile mit Ä\r\n");  // written as a line
    Variant exists;
    EXPECT_EQ(Call(spev.Get(), kFileExists, DISPATCH_METHOD, {RefString(&file)}, &exists), S_OK);
    EXPECT_EQ(exists.vt, VT_BOOL);
    EXPECT_EQ(exists.boolVal, VARIANT_TRUE);

    BSTR missing = SysAllocString((folder + L"\\fehlt.wav").c_str());
    Variant none;
    EXPECT_EQ(Call(spev.Get(), kFileExists, DISPATCH_METHOD, {RefString(&missing)}, &none), S_OK);
    EXPECT_EQ(none.boolVal, VARIANT_FALSE);
    // A missing sound plays nothing and reports nothing.
    EXPECT_EQ(Call(spev.Get(), kPlayMusic, DISPATCH_METHOD, {RefString(&missing)}), S_OK);
    EXPECT_TRUE(ReportedProcedures().empty());

    // Failures name the procedure that ran: each call reached its own member.
    Variant read2;
    EXPECT_EQ(Call(spev.Get(), kTextRead, DISPATCH_METHOD, {RefString(&missing)}, &read2), S_OK);
    VARIANT empty;
    VariantInit(&empty);
    VARIANTARG list;
    list.vt = VT_VARIANT | VT_BYREF;
    list.pvarVal = &empty;
    EXPECT_EQ(Call(spev.Get(), kListSave, DISPATCH_METHOD, {list, RefString(&file)}), S_OK);  // optional texts omitted
    EXPECT_EQ(Call(spev.Get(), kListRead, DISPATCH_METHOD, {list, RefString(&file)}), S_OK);
    EXPECT_EQ(ReportedProcedures(), (std::vector<std::wstring>{L"TextRead", L"ListSave", L"ListRead"}));

    Variant theme, button;
    EXPECT_EQ(Call(spev.Get(), kActiveXPTheme, DISPATCH_METHOD, {}, &theme), S_OK);
    EXPECT_EQ(theme.vt, VT_I4);
    EXPECT_TRUE(theme.lVal >= 1 && theme.lVal <= 4) << theme.lVal;
    EXPECT_EQ(Call(spev.Get(), kMouseButtonPressed, DISPATCH_METHOD, {}, &button), S_OK);
    EXPECT_EQ(button.vt, VT_I4);
    EXPECT_TRUE(button.lVal >= 0 && button.lVal <= 3) << button.lVal;
    EXPECT_EQ(Call(spev.Get(), kTextSave, DISPATCH_METHOD, {RefString(&file)}), DISP_E_BADPARAMCOUNT);
    SysFreeString(file);
    SysFreeString(text);
    SysFreeString(missing);
}

TEST_F(LateBound, TheSilentSwitchAndTheSubclassObject) {
    // The switch lives in the loaded library, beside the SpEv whose failing
    // read it silences.
    ComPtr<IDispatch> error = Create(CLSID_Error), spev = Create(CLSID_SpEv);
    ASSERT_TRUE(error && spev);
    constexpr DISPID kSilentError = 0x68030000, kTextRead = 0x60030001;
    BSTR missing = SysAllocString((test::ScratchFolder(L"latebound-silent") + L"\\fehlt.txt").c_str());
    Variant ignored;
    EXPECT_EQ(Put(error.Get(), kSilentError, Bool(true)), S_OK);
    Got on = Get(error.Get(), kSilentError);
    EXPECT_EQ(on.value.vt, VT_BOOL);
    EXPECT_EQ(on.value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(Call(spev.Get(), kTextRead, DISPATCH_METHOD, {RefString(&missing)}, &ignored), S_OK);
    EXPECT_TRUE(ReportedProcedures().empty());
    EXPECT_EQ(Put(error.Get(), kSilentError, Bool(false)), S_OK);
    EXPECT_EQ(Get(error.Get(), kSilentError).value.boolVal, VARIANT_FALSE);
    VariantClear(&ignored);
    EXPECT_EQ(Call(spev.Get(), kTextRead, DISPATCH_METHOD, {RefString(&missing)}, &ignored), S_OK);
    EXPECT_EQ(ReportedProcedures(), std::vector<std::wstring>{L"TextRead"});
    SysFreeString(missing);

    // clsFormSubclass is not creatable; the library makes it for itself.
    auto subclass = nimbra::Make<nimbra::clsFormSubclass>();
    ComPtr<IDispatch> hook;
    ASSERT_EQ(subclass->QueryInterface(IID_PPV_ARGS(&hook)), S_OK);
    constexpr DISPID kStartSubclass = 0x60030001, kStopSubClass = 0x60030002;
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    const LONG_PTR own = GetWindowLongPtrW(window, GWLP_WNDPROC);
    Variant started, stopped;
    EXPECT_EQ(Call(hook.Get(), kStartSubclass, DISPATCH_METHOD,
                   {Long(static_cast<LONG>(reinterpret_cast<LONG_PTR>(window)))}, &started),
              S_OK);
    EXPECT_EQ(started.vt, VT_BOOL);
    EXPECT_EQ(started.boolVal, VARIANT_TRUE);
    EXPECT_NE(GetWindowLongPtrW(window, GWLP_WNDPROC), own);
    EXPECT_EQ(Call(hook.Get(), kStopSubClass, DISPATCH_METHOD, {}, &stopped), S_OK);
    EXPECT_EQ(stopped.boolVal, VARIANT_TRUE);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_WNDPROC), own);
    DestroyWindow(window);
}

}  // namespace
