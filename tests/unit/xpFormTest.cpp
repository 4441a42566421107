// The control's events as script sinks receive them, and what the control does not claim.
#include <gtest/gtest.h>
#include <olectl.h>
#include <objsafe.h>

#include <functional>
#include <vector>

#include "../../src/control/xpForm.h"
#include "DispatchOnly.h"

using nimbra::ComPtr;
using nimbra::Make;

namespace {

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

TEST(xpForm, EventsReachEverySinkAndCancelComesBack) {
    ComPtr<nimbra::xpForm> control = Make<nimbra::xpForm>();
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
}

}  // namespace
