// The control through IDispatch::Invoke by DISPIDs, as a compiled client holds them: a slot
// or calling convention that is off calls another member or corrupts the stack.
#include <windows.h>
#include <olectl.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "../../src/com/ComObject.h"
#include "../../src/com/LateBound.h"
#include "NimbraForm_h.h"
#include "TestSupport.h"

using namespace nimbra;

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

// The DISPIDs a container hears in IPropertyNotifySink::OnChanged (its form is modified).
class ChangeSink final : public ComObject<IPropertyNotifySink> {
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

// The Booleans: CloseButtonVisible (0x11) to TrayButtonEnabled, IconShow to ShowInTaskBar.
const DISPID kFlags[] = {0x68030011, 0x68030010, 0x6803000F, 0x6803000E, 0x6803000D, 0x6803000C, 0x6803000B,
                         0x6803000A, 0x68030009, 0x68030008, 0x68030006, 0x68030004, 0x68030003, 0x68030002};
constexpr DISPID kColorStyle = 0x68030012, kIcon = 0x68030007, kCaption = 0x68030005, kBorderStyle = 0x68030001,
                 kTransparency = 0x68030000, kAbout = -552;

// Run by About's modal loop: once the window shows, calls About again, then closes it.
IDispatch* g_control = nullptr;
HRESULT g_nested = E_FAIL;
void CALLBACK CallAboutAgainAndClose(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND about = FindWindowW(L"NimbraForm", L"Nimbra About");
    if (!about || !IsWindowVisible(about)) return;
    KillTimer(nullptr, timer);
    g_nested = Call(g_control, kAbout, DISPATCH_METHOD, {});
    PostMessageW(about, WM_CLOSE, 0, 0);
}

// A new control created by its class ID, a container listening for property changes.
class LateBound : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        ASSERT_EQ(CoCreateInstance(CLSID_xpForm, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)), S_OK);
        ComPtr<IConnectionPointContainer> points;
        ComPtr<IConnectionPoint> point;
        DWORD cookie = 0;
        ASSERT_EQ(control.As(&points), S_OK);
        ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
        ASSERT_EQ(point->Advise(changes.Get(), &cookie), S_OK);
    }
    void TearDown() override { EXPECT_EQ(test::Boxes().count, 0); }
    // The value a getter gives; empty when the call fails.
    Variant Get(DISPID id) {
        Variant value;
        EXPECT_EQ(Call(control.Get(), id, DISPATCH_PROPERTYGET, {}, &value), S_OK) << "DISPID 0x" << std::hex << id;
        return value;
    }
    HRESULT Put(DISPID id, VARIANTARG value, WORD flags = DISPATCH_PROPERTYPUT) {
        return Call(control.Get(), id, flags, {value});
    }
    ComPtr<IDispatch> control;
    ComPtr<ChangeSink> changes = Make<ChangeSink>();
    test::RecordedReports reports_;
};

// Each Boolean set True alone is the only one that reads back True (VT_BOOL), and each
// setter names its own property to the container.
TEST_F(LateBound, EveryBooleanPropertyOfTheControlIsItsOwn) {
    std::vector<DISPID> expected;
    for (DISPID set : kFlags) {
        expected.insert(expected.end(), {set, set});
        SCOPED_TRACE(testing::Message() << "set 0x" << std::hex << set);
        ASSERT_EQ(Put(set, Boolean(true)), S_OK);
        for (DISPID read : kFlags) {
            const Variant value = Get(read);
            ASSERT_EQ(value.vt, VT_BOOL);
            EXPECT_EQ(value.boolVal, read == set ? VARIANT_TRUE : VARIANT_FALSE) << std::hex << read;
        }
        ASSERT_EQ(Put(set, Boolean(false)), S_OK);
    }
    EXPECT_EQ(changes->changed, expected);
}

// Enumerations are stored unchecked; Transparency is a byte; every setter told the container.
TEST_F(LateBound, TheControlsOtherProperties) {
    Variant caption, nothing;
    caption.vt = VT_BSTR;
    caption.bstrVal = SysAllocString(L"Größe ändern – \"ok\"");
    nothing.vt = VT_DISPATCH;
    nothing.pdispVal = nullptr;
    EXPECT_EQ(Put(kColorStyle, Int32(7)), S_OK);
    EXPECT_EQ(Put(kBorderStyle, Int32(-3)), S_OK);
    EXPECT_EQ(Put(kCaption, caption), S_OK);
    EXPECT_EQ(Put(kTransparency, Int32(42)), S_OK);
    EXPECT_EQ(Put(kIcon, nothing, DISPATCH_PROPERTYPUTREF), S_OK);
    EXPECT_EQ(changes->changed, (std::vector<DISPID>{kColorStyle, kBorderStyle, kCaption, kTransparency, kIcon}));

    const Variant colour = Get(kColorStyle), border = Get(kBorderStyle), title = Get(kCaption),
                  alpha = Get(kTransparency);
    EXPECT_EQ(std::pair(colour.vt, colour.lVal), (std::pair<VARTYPE, LONG>(VT_I4, 7)));
    EXPECT_EQ(std::pair(border.vt, border.lVal), (std::pair<VARTYPE, LONG>(VT_I4, -3)));
    EXPECT_EQ(std::pair(alpha.vt, int{alpha.bVal}), (std::pair<VARTYPE, int>(VT_UI1, 42)));
    ASSERT_EQ(title.vt, VT_BSTR);
    EXPECT_STREQ(title.bstrVal, caption.bstrVal);
}

// About returns once its modal window has closed; called again meanwhile, it reports.
TEST_F(LateBound, AboutShowsTheWindowModallyAndOnlyOnce) {
    g_control = control.Get();
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, CallAboutAgainAndClose);
    EXPECT_EQ(Call(control.Get(), kAbout, DISPATCH_METHOD, {}), S_OK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(g_nested, S_OK) << "the window never showed, or the call failed";
    EXPECT_EQ(FindWindowW(L"NimbraForm", L"Nimbra About"), nullptr);
    // What a classic runtime says of a form shown modally twice.
    const auto reports = reports_.Reports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0][3] + L" " + reports[0][5], L"400 About");
}

}  // namespace
