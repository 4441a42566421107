// The window hook on real windows, checked as Wine's message tests check a window:
// every procedure in the chain logs what reaches it, compared with the expected sequence.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "../../src/com/LateBound.h"
#include "../../src/subclass/basForm.h"
#include "../../src/subclass/clsFormSubclass.h"
#include "DispatchOnly.h"
#include "TestSupport.h"

using namespace nimbra;

namespace {

constexpr UINT kPing = WM_USER + 1;

// One message as one procedure of the chain saw it.
struct Seen {
    std::string who;
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};
void PrintTo(const Seen& s, std::ostream* os) {
    *os << "{" << s.who << " " << s.hwnd << std::hex << " 0x" << s.message << " 0x" << s.wParam << " 0x" << s.lParam
        << "}";
}
std::vector<Seen> g_seen;

bool Logged(UINT msg) { return (msg >= WM_USER && msg < WM_USER + 100) || msg == WM_SETREDRAW || msg == WM_PAINT; }

void ExpectSeen(const std::vector<Seen>& expected, const std::string& context) {
    EXPECT_EQ(g_seen, expected) << context;
    g_seen.clear();
}

// The hooked windows' own procedures; each answers with a number naming it.
template <int N>
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (Logged(msg)) g_seen.push_back({"host" + std::to_string(N), hwnd, msg, wParam, lParam});
    if (msg >= WM_USER && msg < WM_USER + 100) return 1000 + N;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
const WNDPROC kHostProcs[] = {HostProc<0>, HostProc<1>, HostProc<2>};

// A subclass someone else installs on top of ours.
WNDPROC g_outsidePrevious = nullptr;
LRESULT CALLBACK OutsideProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (Logged(msg)) g_seen.push_back({"outside", hwnd, msg, wParam, lParam});
    return CallWindowProcW(g_outsidePrevious, hwnd, msg, wParam, lParam);
}

// A top-level window of a system class whose procedure is replaced by HostProc<n>.
class HostWindow {
public:
    explicit HostWindow(int n = 0)
        : hwnd(CreateWindowExW(0, L"STATIC", L"Testfenster", WS_OVERLAPPEDWINDOW, 10, 10, 200, 150, nullptr, nullptr,
                               nullptr, nullptr)) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, WindowProcValue(kHostProcs[n]));
    }
    ~HostWindow() { DestroyWindow(hwnd); }  // fails harmlessly for a window a test destroyed
    WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }
    HWND hwnd;
};

struct Sink final : MessageSink {
    explicit Sink(std::string name = "sink") : name(std::move(name)) {}
    void oSubClass_MessageCatched(HWND hwnd, UINT& uMsg, WPARAM& wParam, LPARAM& lParam,
                                  VARIANT_BOOL& Cancel) override {
        if (Logged(uMsg) || uMsg == WM_NCDESTROY) g_seen.push_back({name, hwnd, uMsg, wParam, lParam});
        if (onMessage) onMessage(uMsg, wParam, lParam, Cancel);
    }
    void SetClassAddress(LONG_PTR address) override { classAddress = address; }

    std::string name;
    LONG_PTR classAddress = 0;
    std::function<void(UINT&, WPARAM&, LPARAM&, VARIANT_BOOL&)> onMessage;
};

// An advised client of the MessageCatched event, answering only IDispatch as script sinks do.
class EventClient final : public test::DispatchOnly {
public:
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != __clsFormSubclassId::MessageCatched || p->cArgs != 5) return DISP_E_BADPARAMCOUNT;
        VARIANTARG* a = p->rgvarg;  // last argument first
        // A script sink may change all but the handle: Longs and the Boolean Cancel, by reference.
        const VARTYPE types[] = {VT_BOOL | VT_BYREF, VT_I4 | VT_BYREF, VT_I4 | VT_BYREF, VT_I4 | VT_BYREF, VT_I4};
        for (int i = 0; i < 5; ++i)
            if (a[i].vt != types[i]) return DISP_E_TYPEMISMATCH;
        g_seen.push_back({"event", static_cast<HWND>(LongToHandle(a[4].lVal)), static_cast<UINT>(*a[3].plVal),
                          static_cast<WPARAM>(static_cast<LONG_PTR>(*a[2].plVal)), *a[1].plVal});
        if (newWParam) *a[2].plVal = *newWParam;
        if (cancel) *a[0].pboolVal = VARIANT_TRUE;
        return S_OK;
    }
    const LONG* newWParam = nullptr;
    bool cancel = false;
};

// Most tests hook one window with one sink.
class Subclass : public ::testing::Test {
protected:
    void SetUp() override { g_seen.clear(); }
    // No hook record outlives its window, however its hooks ended.
    void TearDown() override {
        DestroyWindow(h);
        EXPECT_EQ(LiveHookRecords(), recordsBefore_);
    }
    std::size_t recordsBefore_ = LiveHookRecords();
    HostWindow host;
    const HWND h = host.hwnd;
    Sink sink;
};

// Advised clients hear each message first, then the skin; either may change or swallow it.
TEST_F(Subclass, ClientsThenTheSkinSeeEveryMessageAndMayChangeOrSwallowIt) {
    auto object = Make<clsFormSubclass>(&sink);
    EXPECT_TRUE(object->StopSubClass());  // never started: nothing to take off
    auto client = Make<EventClient>();
    {
        ComPtr<IConnectionPoint> point;  // holds the object while it lives
        ASSERT_EQ(object->FindConnectionPoint(IID___clsFormSubclass, &point), S_OK);
        DWORD cookie = 0;
        ASSERT_EQ(point->Advise(static_cast<IDispatch*>(client.Get()), &cookie), S_OK);
    }

    // Started the way a script client starts it: late bound, the handle as a Long.
    IDispatch* dispatch = static_cast<_clsFormSubclass*>(object.Get());
    VARIANTARG handle = Int32(HandleToLong(h));
    Variant started;
    ASSERT_EQ(InvokeByName(dispatch, L"StartSubclass", DISPATCH_METHOD, &handle, 1, &started), S_OK);
    EXPECT_EQ(started.boolVal, VARIANT_TRUE);
    EXPECT_EQ(sink.classAddress, reinterpret_cast<LONG_PTR>(object.Get()));
    EXPECT_EQ(host.Proc(), &modWindowProc);

    // The client gets Longs; values it leaves alone keep their full width.
    const WPARAM wide = static_cast<WPARAM>(0x123456789ull);
    const LPARAM pointer = static_cast<LPARAM>(0x7FF612345678ll);
    EXPECT_EQ(SendMessageW(h, kPing, wide, pointer), 1000);
    ExpectSeen({{"event", h, kPing, static_cast<WPARAM>(static_cast<LONG>(wide)), static_cast<LONG>(pointer)},
                {"sink", h, kPing, wide, pointer},
                {"host0", h, kPing, wide, pointer}},
               "unverändert");

    // A Long the client writes comes back sign-extended; the skin changes it again.
    const LONG minusTwo = -2;
    const WPARAM fromClient = static_cast<WPARAM>(-2);
    client->newWParam = &minusTwo;
    sink.onMessage = [](UINT& msg, WPARAM& wParam, LPARAM&, VARIANT_BOOL& cancel) {
        if (msg == kPing + 1) {
            msg = kPing + 3;
            wParam = 77;
        }
        if (msg == kPing + 2) cancel = VARIANT_TRUE;
    };
    SendMessageW(h, kPing + 1, static_cast<WPARAM>(0x100000009ull), 4);
    ExpectSeen({{"event", h, kPing + 1, 9, 4}, {"sink", h, kPing + 1, fromClient, 4}, {"host0", h, kPing + 3, 77, 4}},
               "geändert");
    EXPECT_EQ(SendMessageW(h, kPing + 2, 5, 6), 0);
    ExpectSeen({{"event", h, kPing + 2, 5, 6}, {"sink", h, kPing + 2, fromClient, 6}}, "Cancel vom Skin");
    client->cancel = true;
    EXPECT_EQ(SendMessageW(h, kPing, 1, 1), 0);
    ExpectSeen({{"event", h, kPing, 1, 1}, {"sink", h, kPing, fromClient, 1}}, "Cancel vom Client");

    // A skin unloading itself releases the last reference mid-message: the message goes on.
    client->cancel = false;
    sink.onMessage = [&](UINT&, WPARAM&, LPARAM&, VARIANT_BOOL&) { object.Reset(); };
    EXPECT_EQ(SendMessageW(h, kPing, 1, 2), 1000);
    ExpectSeen({{"event", h, kPing, 1, 2}, {"sink", h, kPing, fromClient, 2}, {"host0", h, kPing, fromClient, 2}},
               "Freigabe im Handler");
    EXPECT_EQ(host.Proc(), HostProc<0>);
}

// Three windows hooked, unhooked from the table's middle, then its end: each keeps its own.
TEST_F(Subclass, EveryWindowKeepsItsOwnObjectAndProcedure) {
    HostWindow hosts[] = {HostWindow(0), HostWindow(1), HostWindow(2)};
    Sink sinks[] = {Sink("sink0"), Sink("sink1"), Sink("sink2")};
    ComPtr<clsFormSubclass> objects[3];
    for (int i = 0; i < 3; ++i) {
        objects[i] = Make<clsFormSubclass>(&sinks[i]);
        ASSERT_TRUE(objects[i]->StartSubclass(hosts[i].hwnd));
    }
    bool hooked[] = {true, true, true};
    for (LPARAM step = 0; step <= 3; ++step) {
        for (int i = 0; i < 3; ++i) {
            const HWND w = hosts[i].hwnd;
            const std::string n = std::to_string(i);
            EXPECT_EQ(SendMessageW(w, kPing, i, step), 1000 + i);
            std::vector<Seen> expected{{"host" + n, w, kPing, WPARAM(i), step}};
            if (hooked[i]) expected.insert(expected.begin(), {"sink" + n, w, kPing, WPARAM(i), step});
            ExpectSeen(expected, "Schritt " + std::to_string(step));
        }
        if (step == 3) break;
        const int stop = (step + 1) % 3;  // 1, 2, 0
        ASSERT_TRUE(objects[stop]->StopSubClass());
        EXPECT_EQ(hosts[stop].Proc(), kHostProcs[stop]);
        hooked[stop] = false;
    }
}

TEST_F(Subclass, SubclassInstalledAfterOursIsNeverCutOff) {
    Sink second("sink2");
    auto a = Make<clsFormSubclass>(&sink);
    ASSERT_TRUE(a->StartSubclass(h));
    g_outsidePrevious = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(h, GWLP_WNDPROC, WindowProcValue(OutsideProc)));
    SendMessageW(h, kPing, 1, 0);
    ExpectSeen({{"outside", h, kPing, 1, 0}, {"sink", h, kPing, 1, 0}, {"host0", h, kPing, 1, 0}}, "beide");

    EXPECT_TRUE(a->StopSubClass());
    EXPECT_EQ(host.Proc(), OutsideProc);
    EXPECT_EQ(SendMessageW(h, kPing, 2, 0), 1000);
    ExpectSeen({{"outside", h, kPing, 2, 0}, {"host0", h, kPing, 2, 0}}, "unser Hook weitergeleitet");

    // A new object takes over the forwarding record below the outside subclass, and lets go so.
    auto b = Make<clsFormSubclass>(&second);
    ASSERT_TRUE(b->StartSubclass(h));
    a.Reset();
    SendMessageW(h, kPing, 3, 0);
    ExpectSeen({{"outside", h, kPing, 3, 0}, {"sink2", h, kPing, 3, 0}, {"host0", h, kPing, 3, 0}}, "übernommen");
    b.Reset();
    SendMessageW(h, kPing, 4, 0);
    ExpectSeen({{"outside", h, kPing, 4, 0}, {"host0", h, kPing, 4, 0}}, "wieder weitergeleitet");
    EXPECT_EQ(LiveHookRecords(), recordsBefore_ + 1);  // until the window goes
}

// One start per object, one object per window; a failure in the skin's handler is reported
// as the handler's and answers 0, or silently skips the step; a destroyed window spends it.
TEST_F(Subclass, RefusedStartsAFailingHandlerAndADestroyedWindow) {
    test::ResetBoxes();
    test::RecordedReports reports;
    HostWindow other;
    auto object = Make<clsFormSubclass>(&sink);
    ASSERT_TRUE(object->StartSubclass(h));
    EXPECT_FALSE(object->StartSubclass(h));
    EXPECT_FALSE(object->StartSubclass(other.hwnd));
    auto second = Make<clsFormSubclass>();
    EXPECT_FALSE(second->StartSubclass(h));
    EXPECT_FALSE(second->StopSubClass());  // a failed start has nothing to stop
    second.Reset();                        // and releasing it leaves the first hook alone

    long raiseLine = 0;
    sink.onMessage = [&](UINT& msg, WPARAM&, LPARAM&, VARIANT_BOOL&) {
        raiseLine = __LINE__ + 1;
        if (msg == kPing) Raise(5, L"Ungültiger Prozeduraufruf");
    };
    EXPECT_EQ(SendMessageW(h, kPing, 1, 2), 0);
    ExpectSeen({{"sink", h, kPing, 1, 2}}, "Fehler im Handler");
    SetSilentError(true);
    const LRESULT answer = SendMessageW(h, kPing, 3, 4);
    SetSilentError(false);
    EXPECT_EQ(answer, 1000);
    ExpectSeen({{"sink", h, kPing, 3, 4}, {"host0", h, kPing, 3, 4}}, "stiller Modus, einmal gehookt");
    const auto r = reports.Reports();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(std::vector<std::wstring>(r[0].begin() + 3, r[0].begin() + 9),
              (std::vector<std::wstring>{L"5", L"Ungültiger Prozeduraufruf", L"NewWindowProc",
                                         std::to_wstring(raiseLine), L"Klassenmodul", L"clsFormSubclass"}));
    EXPECT_EQ(test::Boxes().count, 0);

    DestroyWindow(h);
    ExpectSeen({{"sink", h, WM_NCDESTROY, 0, 0}}, "letzte Nachricht");
    EXPECT_FALSE(object->StopSubClass());
    EXPECT_FALSE(object->StartSubclass(other.hwnd));
    auto lost = Make<clsFormSubclass>();
    EXPECT_FALSE(lost->StartSubclass(GetDesktopWindow()));  // another process's window
    EXPECT_FALSE(lost->StartSubclass(other.hwnd));          // its one start is used up
    EXPECT_EQ(other.Proc(), HostProc<0>);
}

// A locked host draws nothing and repaints at once when released. A point as one message
// parameter has y in the high word, x as a signed 16-bit value in the low; overflow is error 6.
TEST_F(Subclass, LockWindowRepaintsAtOnceWhenReleasedAndfLongValPacksAPoint) {
    ShowWindow(h, SW_SHOWNOACTIVATE);
    UpdateWindow(h);
    g_seen.clear();
    LockWindow(h, true);
    ExpectSeen({{"host0", h, WM_SETREDRAW, 0, 0}}, "gesperrt");
    EXPECT_FALSE(IsWindowVisible(h));  // what WM_SETREDRAW off does to a window
    LockWindow(h, false);
    ExpectSeen({{"host0", h, WM_SETREDRAW, TRUE, 0}, {"host0", h, WM_PAINT, 0, 0}}, "freigegeben");
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));

    EXPECT_EQ(fLongVal(-1, 5), -65531);  // positive points: e2e/mouse.sh's menus
    EXPECT_EQ(fLongVal(300, -2), 300 * 65536 + 0xFFFE);
    SetSilentError(true);
    EXPECT_EQ(fLongVal(40000, 0), 0);  // skipped: the result stays as it was
    SetSilentError(false);
}

}  // namespace
