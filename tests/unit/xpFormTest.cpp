// The control's properties as a container or script client sees them: late
// bound by name, with automation types, change notifications and events.
#include <gtest/gtest.h>
#include <olectl.h>
#include <objsafe.h>

#include <functional>
#include <vector>

#include "../../src/com/LateBound.h"
#include "../../src/control/xpForm.h"
#include "DispatchOnly.h"
#include "TestSupport.h"

using nimbra::ComObject;
using nimbra::ComPtr;
using nimbra::InvokeByName;
using nimbra::Make;
using nimbra::Variant;

namespace {

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

// An event sink that answers only IDispatch, as script engines' sinks do.
class EventSink final : public test::DispatchOnly {
public:
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
        events.push_back(id);
        if (p->cArgs == 1 && p->rgvarg[0].vt == (VT_BOOL | VT_BYREF)) *p->rgvarg[0].pboolVal = answer;
        if (onEvent) onEvent();
        return S_OK;
    }
    std::vector<DISPID> events;
    VARIANT_BOOL answer = VARIANT_FALSE;
    std::function<void()> onEvent;
};

class xpFormFixture : public ::testing::Test {
protected:
    ComPtr<nimbra::xpForm> control = Make<nimbra::xpForm>();
    IDispatch* Dispatch() { return static_cast<_xpForm*>(control.Get()); }

    Variant Get(const wchar_t* name) {
        Variant v;
        EXPECT_EQ(InvokeByName(Dispatch(), name, DISPATCH_PROPERTYGET, nullptr, 0, &v), S_OK) << name;
        return v;
    }
    HRESULT Put(const wchar_t* name, VARIANT value) {
        return InvokeByName(Dispatch(), name, DISPATCH_PROPERTYPUT, &value, 1, nullptr);
    }
    static VARIANT Long(long v) {
        VARIANT x;
        x.vt = VT_I4;
        x.lVal = v;
        return x;
    }
    static VARIANT Bool(bool v) {
        VARIANT x;
        x.vt = VT_BOOL;
        x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
        return x;
    }
};
using xpForm = xpFormFixture;

const wchar_t* const kBooleans[] = {
    L"CloseButtonVisible", L"CloseButtonEnabled", L"MaxButtonVisible", L"MaxButtonEnabled", L"MinButtonVisible",
    L"MinButtonEnabled",   L"HelpButtonVisible",  L"HelpButtonEnabled", L"TrayButtonVisible", L"TrayButtonEnabled",
    L"IconShow",           L"Moveable",           L"Resizeable",        L"ShowInTaskBar"};

TEST_F(xpForm, FreshInstanceHasEveryFieldZero) {
    for (const wchar_t* name : kBooleans) {
        Variant v = Get(name);
        EXPECT_EQ(v.vt, VT_BOOL) << name;
        EXPECT_EQ(v.boolVal, VARIANT_FALSE) << name;
    }
    EXPECT_EQ(Get(L"ColorStyle").lVal, 0);
    EXPECT_EQ(Get(L"BorderStyle").lVal, 0);
    EXPECT_EQ(Get(L"Transparency").bVal, 0);
    EXPECT_EQ(SysStringLen(Get(L"Caption").bstrVal), 0u);
    Variant icon = Get(L"Icon");
    EXPECT_EQ(icon.vt, VT_DISPATCH);
    EXPECT_EQ(icon.pdispVal, nullptr);
}

TEST_F(xpForm, BooleansRoundTripAsAutomationBooleansEachOnItsOwn) {
    for (const wchar_t* name : kBooleans) {
        ASSERT_EQ(Put(name, Bool(true)), S_OK) << name;
        EXPECT_EQ(Get(name).boolVal, -1) << name;
        // Setting one property leaves the others alone.
        int set = 0;
        for (const wchar_t* other : kBooleans) set += Get(other).boolVal == VARIANT_TRUE;
        EXPECT_EQ(set, 1) << name;
        ASSERT_EQ(Put(name, Bool(false)), S_OK);
    }
    // A script's integer -1 converts to True, 0 to False.
    ASSERT_EQ(Put(L"Moveable", Long(-1)), S_OK);
    EXPECT_EQ(Get(L"Moveable").boolVal, VARIANT_TRUE);
}

TEST_F(xpForm, EnumerationsAreNotValidatedTransparencyIsClamped) {
    ASSERT_EQ(Put(L"ColorStyle", Long(7)), S_OK);
    EXPECT_EQ(Get(L"ColorStyle").lVal, 7);
    ASSERT_EQ(Put(L"BorderStyle", Long(-3)), S_OK);
    EXPECT_EQ(Get(L"BorderStyle").lVal, -3);

    for (auto [in, out] : {std::pair{150, 99}, {99, 99}, {0, 0}, {255, 99}, {42, 42}}) {
        ASSERT_EQ(Put(L"Transparency", Long(in)), S_OK) << in;
        EXPECT_EQ(Get(L"Transparency").bVal, out) << in;
    }
    // Outside a byte the call fails before the control sees it; the value stays.
    EXPECT_EQ(Put(L"Transparency", Long(300)), DISP_E_OVERFLOW);
    EXPECT_EQ(Put(L"Transparency", Long(-1)), DISP_E_OVERFLOW);
    VARIANT text;
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"viel");
    EXPECT_EQ(Put(L"Transparency", text), DISP_E_TYPEMISMATCH);
    SysFreeString(text.bstrVal);
    EXPECT_EQ(Get(L"Transparency").bVal, 42);
}

TEST_F(xpForm, CaptionAndIconKeepWhatWasSet) {
    VARIANT caption;
    caption.vt = VT_BSTR;
    caption.bstrVal = SysAllocString(L"Größe ändern – \"ok\"");
    ASSERT_EQ(Put(L"Caption", caption), S_OK);
    SysFreeString(caption.bstrVal);
    EXPECT_STREQ(Get(L"Caption").bstrVal, L"Größe ändern – \"ok\"");

    ComPtr<IPictureDisp> picture;
    ASSERT_EQ(test::NewIconPicture(picture.GetAddressOf()), S_OK);
    VARIANT ref;
    ref.vt = VT_DISPATCH;
    ref.pdispVal = picture.Get();
    ASSERT_EQ(InvokeByName(Dispatch(), L"Icon", DISPATCH_PROPERTYPUTREF, &ref, 1, nullptr), S_OK);
    EXPECT_EQ(Get(L"Icon").pdispVal, picture.Get());  // the same object, not a copy
}

TEST_F(xpForm, EverySetterTellsTheContainerWhichPropertyChanged) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(control->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
    auto sink = Make<ChangeSink>();
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(sink.Get(), &cookie), S_OK);

    std::vector<DISPID> expected;
    for (const wchar_t* name : kBooleans) {
        Put(name, Bool(true));
        DISPID id;
        LPOLESTR n = const_cast<LPOLESTR>(name);
        Dispatch()->GetIDsOfNames(IID_NULL, &n, 1, 0, &id);
        expected.push_back(id);
    }
    Put(L"ColorStyle", Long(2));
    Put(L"Transparency", Long(150));
    expected.push_back(0x68030012);
    expected.push_back(0x68030000);
    EXPECT_EQ(sink->changed, expected);

    ASSERT_EQ(point->Unadvise(cookie), S_OK);
    EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
    Put(L"Moveable", Bool(false));
    EXPECT_EQ(sink->changed.size(), expected.size());
}

TEST_F(xpForm, EventsReachEverySinkAndCancelComesBack) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(control->FindConnectionPoint(IID___xpForm, &point), S_OK);
    auto first = Make<EventSink>(), second = Make<EventSink>();
    DWORD c1 = 0, c2 = 0;
    ASSERT_EQ(point->Advise(first.Get(), &c1), S_OK);
    ASSERT_EQ(point->Advise(second.Get(), &c2), S_OK);
    second->answer = VARIANT_TRUE;

    VARIANT_BOOL cancel = VARIANT_FALSE;
    control->evCloseButtonClicked(cancel);
    EXPECT_EQ(cancel, VARIANT_TRUE);  // as the last handler left it
    EXPECT_EQ(first->events, std::vector<DISPID>{1});

    // A sink that unadvises while handling the event does not disturb the others.
    first->onEvent = [&] { point->Unadvise(c1); };
    control->evResize();
    control->evTitleClicked();
    EXPECT_EQ(first->events, (std::vector<DISPID>{1, 7}));
    EXPECT_EQ(second->events, (std::vector<DISPID>{1, 7, 8}));

    ComPtr<IConnectionPoint> none;
    EXPECT_EQ(control->FindConnectionPoint(IID_IDispatch, &none), CONNECT_E_NOCONNECTION);
    // SpEv writes files: nothing of the library claims to be safe for scripting.
    ComPtr<IUnknown> safety;
    EXPECT_EQ(control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(safety.GetAddressOf())),
              E_NOINTERFACE);
    ComPtr<IProvideClassInfo2> info;
    ASSERT_EQ(control.As(&info), S_OK);
    GUID source{};
    ASSERT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, IID___xpForm);
}

}  // namespace
