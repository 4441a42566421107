// The control's every property and its method, called late bound through
// IDispatch::Invoke by DISPID, the path compiled classic clients take
// (ITypeInfo::Invoke then calls through the type library's vtable offsets). A
// table slot or a calling convention that is off calls another member or
// corrupts the stack: the value read back or the HRESULT shows it. The DISPIDs
// are written out here, as a compiled client holds them.
#include <windows.h>
#include <olectl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../src/com/ComObject.h"
#include "../../src/com/LateBound.h"
#include "../../src/errors/basError.h"
#include "NimbraForm_h.h"
#include "TestSupport.h"

using nimbra::ComPtr;
using nimbra::Boolean;
using nimbra::Int32;
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

// The value a getter gives; empty when the call fails.
Variant Get(IDispatch* object, DISPID id) {
    Variant value;
    EXPECT_EQ(Call(object, id, DISPATCH_PROPERTYGET, {}, &value), S_OK) << "DISPID 0x" << std::hex << id;
    return value;
}
HRESULT Put(IDispatch* object, DISPID id, VARIANTARG value) { return Call(object, id, DISPATCH_PROPERTYPUT, {value}); }

// The DISPIDs a container hears in IPropertyNotifySink::OnChanged; it marks
// its form modified and refreshes its property sheet by them.
class ChangeSink final : public nimbra::ComObject<IPropertyNotifySink> {
    void* Find(REFIID riid) override {
        return riid == IID_IUnknown || riid == IID_IPropertyNotifySink ? static_cast<IPropertyNotifySink*>(this)
                                                                        : nullptr;
    }

public:
    STDMETHODIMP OnChanged(DISPID id) override {
        changed.push_back(id);
        return S_OK;
    }
    STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    std::vector<DISPID> changed;
};

// The Booleans: CloseButtonVisible (0x11) down to TrayButtonEnabled (0x08),
// IconShow, Moveable, Resizeable and ShowInTaskBar.
const DISPID kFlags[] = {0x68030011, 0x68030010, 0x6803000F, 0x6803000E, 0x6803000D, 0x6803000C, 0x6803000B,
                         0x6803000A, 0x68030009, 0x68030008, 0x68030006, 0x68030004, 0x68030003, 0x68030002};
constexpr DISPID kColorStyle = 0x68030012, kIcon = 0x68030007, kCaption = 0x68030005, kBorderStyle = 0x68030001,
                 kTransparency = 0x68030000, kAbout = -552;

// Waits, on a timer of the calling thread, for the about window that About
// shows modally; then calls About again and clicks the window away. Should the
// click not close it, the window is closed after 30 s so the call returns.
struct AboutCloser {
    static inline IDispatch* control = nullptr;
    static inline int ticks = 0;
    static inline bool seen = false, owned = false, forced = false;
    static inline HRESULT nested = E_FAIL;

    static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
        const HWND about = FindWindowW(L"NimbraForm", L"Nimbra About");
        if (++ticks > 1500) {
            forced = about != nullptr;
            if (about) PostMessageW(about, WM_CLOSE, 0, 0);
            KillTimer(nullptr, timer);
            return;
        }
        if (!about || !IsWindowVisible(about) || seen) return;
        seen = true;
        owned = GetWindow(about, GW_OWNER) != nullptr;
        nested = Call(control, kAbout, DISPATCH_METHOD, {});
        // Below the links, where only the window itself is.
        PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 215));
        PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(200, 215));
    }
};

// A new control, created by its class ID as a client creates it, with a
// container listening for property changes.
class LateBound : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        nimbra::SetSilentError(false);
        ASSERT_EQ(CoCreateInstance(CLSID_xpForm, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)), S_OK);
        ComPtr<IConnectionPointContainer> points;
        ASSERT_EQ(control.As(&points), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
        ASSERT_EQ(point->Advise(changes.Get(), &cookie), S_OK);
    }
    void TearDown() override {
        if (point) point->Unadvise(cookie);
        EXPECT_EQ(test::Boxes().count, 0);
    }
    ComPtr<IDispatch> control;
    ComPtr<IConnectionPoint> point;
    ComPtr<ChangeSink> changes = nimbra::Make<ChangeSink>();
    DWORD cookie = 0;
    test::RecordedReports reports_;
};

// A new control's Booleans are all False; each one set True alone is the only
// one that reads back True, as an automation Boolean. Each setter names its
// own property to the container.
TEST_F(LateBound, EveryBooleanPropertyOfTheControlIsItsOwn) {
    std::vector<DISPID> expected;
    for (DISPID set : kFlags) {
        expected.insert(expected.end(), {set, set});
        SCOPED_TRACE(testing::Message() << "set 0x" << std::hex << set);
        ASSERT_EQ(Put(control.Get(), set, Boolean(true)), S_OK);
        for (DISPID read : kFlags) {
            const Variant value = Get(control.Get(), read);
            ASSERT_EQ(value.vt, VT_BOOL);
            EXPECT_EQ(value.boolVal, read == set ? VARIANT_TRUE : VARIANT_FALSE) << std::hex << read;
        }
        ASSERT_EQ(Put(control.Get(), set, Boolean(false)), S_OK);
    }
    EXPECT_EQ(changes->changed, expected);
}

TEST_F(LateBound, TheControlsOtherProperties) {
    // Enumerations are stored unchecked, as the classic control stored them.
    EXPECT_EQ(Put(control.Get(), kColorStyle, Int32(7)), S_OK);
    EXPECT_EQ(Put(control.Get(), kBorderStyle, Int32(-3)), S_OK);
    Variant caption;
    caption.vt = VT_BSTR;
    caption.bstrVal = SysAllocString(L"Größe ändern – \"ok\"");
    EXPECT_EQ(Put(control.Get(), kCaption, caption), S_OK);
    const Variant colour = Get(control.Get(), kColorStyle), title = Get(control.Get(), kCaption);
    EXPECT_EQ(colour.vt, VT_I4);
    EXPECT_EQ(colour.lVal, 7);
    EXPECT_EQ(Get(control.Get(), kBorderStyle).lVal, -3);
    ASSERT_EQ(title.vt, VT_BSTR);
    EXPECT_STREQ(title.bstrVal, caption.bstrVal);

    // Transparency is a byte: outside a byte the conversion fails before the
    // control sees it, and the value stays.
    EXPECT_EQ(Put(control.Get(), kTransparency, Int32(42)), S_OK);
    EXPECT_EQ(Put(control.Get(), kTransparency, Int32(300)), DISP_E_OVERFLOW);
    const Variant alpha = Get(control.Get(), kTransparency);
    EXPECT_EQ(alpha.vt, VT_UI1);
    EXPECT_EQ(alpha.bVal, 42);

    // Icon is assigned by reference and comes back as the same picture.
    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(test::NewIconPicture(picture.GetAddressOf()), S_OK);
    VARIANTARG icon;
    icon.vt = VT_DISPATCH;
    icon.pdispVal = picture.Get();
    EXPECT_EQ(Call(control.Get(), kIcon, DISPATCH_PROPERTYPUTREF, {icon}), S_OK);
    const Variant back = Get(control.Get(), kIcon);
    ASSERT_EQ(back.vt, VT_DISPATCH);
    EXPECT_EQ(back.pdispVal, static_cast<IDispatch*>(picture.Get()));
    // Every setter that ran, and only those, told the container.
    const std::vector<DISPID> changed{kColorStyle, kBorderStyle, kCaption, kTransparency, kIcon};
    EXPECT_EQ(changes->changed, changed);

    // The wrong number of arguments is refused before the getter runs.
    EXPECT_EQ(Call(control.Get(), kColorStyle, DISPATCH_PROPERTYGET, {Int32(1)}), DISP_E_BADPARAMCOUNT);
}

// About shows the about window modally: the call returns once a click has
// closed it. Called again while it shows, About reports and returns.
TEST_F(LateBound, AboutShowsTheWindowModallyAndOnlyOnce) {
    AboutCloser::control = control.Get();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, AboutCloser::Tick);
    EXPECT_EQ(Call(control.Get(), kAbout, DISPATCH_METHOD, {}), S_OK);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(AboutCloser::seen);
    EXPECT_FALSE(AboutCloser::owned);
    EXPECT_FALSE(AboutCloser::forced) << "the click did not close the window";
    EXPECT_EQ(AboutCloser::nested, S_OK);
    EXPECT_EQ(FindWindowW(L"NimbraForm", L"Nimbra About"), nullptr);
    const auto reports = reports_.Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][3], L"400");  // what a classic runtime says of a form shown modally twice
    EXPECT_EQ(reports[0][5], L"About");
}

}  // namespace
