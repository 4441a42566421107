// The window hook on real windows, checked the way Wine's message tests check
// a window: every procedure in a chain logs what reaches it, and the log is
// compared with the expected sequence. Also the hook's COM event, several hooked
// windows, subclasses installed after ours, windows destroyed from outside, and
// the window helpers of basForm.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include "Soak.h"
#include "../../src/com/LateBound.h"
#include "../../src/subclass/basForm.h"
#include "../../src/subclass/clsFormSubclass.h"
#include "DispatchOnly.h"
#include "TestSupport.h"

using namespace nimbra;

namespace {

constexpr UINT kPing = WM_USER + 1;
constexpr wchar_t kClass[] = L"NimbraSubclassTest";

// One message as one procedure of the chain saw it.
struct Seen {
    std::string who;  // which procedure of the chain
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};
void PrintTo(const Seen& s, std::ostream* os) {
    *os << "{" << s.who << " " << s.hwnd << " msg 0x" << std::hex << s.message << " w 0x" << s.wParam << " l 0x"
        << s.lParam << std::dec << "}";
}
std::vector<Seen> g_seen;

bool Logged(UINT msg) { return (msg >= WM_USER && msg < WM_USER + 100) || msg == WM_SETREDRAW || msg == WM_PAINT; }

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

class HostWindow {
public:
    explicit HostWindow(int n = 0, DWORD style = WS_OVERLAPPEDWINDOW) {
        static const ATOM registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = HostProc<0>;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            wc.lpszClassName = kClass;
            return RegisterClassW(&wc);
        }();
        EXPECT_NE(registered, 0);
        hwnd = CreateWindowExW(0, kClass, L"Testfenster", style, 10, 10, 200, 150, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(hwnd, nullptr);
        if (n != 0) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(kHostProcs[n]));
    }
    ~HostWindow() {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)); }
    HWND hwnd;
};

class Sink final : public MessageSink {
public:
    explicit Sink(std::string name = "sink") : name_(std::move(name)) {}
    void oSubClass_MessageCatched(HWND hwnd, UINT& uMsg, WPARAM& wParam, LPARAM& lParam,
                                  VARIANT_BOOL& Cancel) override {
        if (Logged(uMsg) || uMsg == WM_NCDESTROY) g_seen.push_back({name_, hwnd, uMsg, wParam, lParam});
        if (onMessage) onMessage(uMsg, wParam, lParam, Cancel);
    }
    void SetClassAddress(LONG_PTR address) override { classAddress = address; }

    LONG_PTR classAddress = 0;
    std::function<void(UINT&, WPARAM&, LPARAM&, VARIANT_BOOL&)> onMessage;

private:
    std::string name_;
};

// An advised client of the MessageCatched event, answering only IDispatch as script sinks do.
class EventClient final : public test::DispatchOnly {
public:
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
        if (id != __clsFormSubclassId::MessageCatched || p->cArgs != 5) return DISP_E_BADPARAMCOUNT;
        VARIANTARG* a = p->rgvarg;  // last argument first
        types.clear();
        for (int i = 4; i >= 0; --i) types.push_back(a[i].vt);
        g_seen.push_back({"event", static_cast<HWND>(LongToHandle(a[4].lVal)), static_cast<UINT>(*a[3].plVal),
                          static_cast<WPARAM>(static_cast<LONG_PTR>(*a[2].plVal)), *a[1].plVal});
        if (newWParam) *a[2].plVal = *newWParam;
        if (cancel) *a[0].pboolVal = VARIANT_TRUE;
        return S_OK;
    }
    std::vector<VARTYPE> types;
    const LONG* newWParam = nullptr;
    bool cancel = false;
};

// Advises client on object's MessageCatched event.
void Advise(clsFormSubclass* object, EventClient* client) {
    ComPtr<IConnectionPoint> point;
    ASSERT_EQ(object->FindConnectionPoint(IID___clsFormSubclass, &point), S_OK);
    DWORD cookie = 0;
    ASSERT_EQ(point->Advise(static_cast<IDispatch*>(client), &cookie), S_OK);
}

void ExpectSeen(const std::vector<Seen>& expected, const std::string& context) {
    EXPECT_EQ(g_seen, expected) << context;
    g_seen.clear();
}

class Subclass : public ::testing::Test {
protected:
    void SetUp() override {
        g_seen.clear();
        test::ResetBoxes();
    }
    // No test leaves a hook record behind once its windows are gone.
    void TearDown() override { EXPECT_EQ(LiveHookRecords(), recordsBefore_); }

private:
    std::size_t recordsBefore_ = LiveHookRecords();
};

TEST_F(Subclass, HandlerSeesEveryMessageFirstAndMayChangeOrSwallowIt) {
    HostWindow host;
    const HWND h = host.hwnd;
    Sink sink;
    auto object = Make<clsFormSubclass>(&sink);
    EXPECT_EQ(sink.classAddress, reinterpret_cast<LONG_PTR>(object.Get()));
    sink.classAddress = 0;
    EXPECT_TRUE(object->StopSubClass());  // never started: nothing to take off

    ASSERT_TRUE(object->StartSubclass(h));
    EXPECT_EQ(sink.classAddress, reinterpret_cast<LONG_PTR>(object.Get()));
    EXPECT_EQ(host.Proc(), &modWindowProc);
    // Full-width values go through untouched when nobody changes them.
    const WPARAM wide = static_cast<WPARAM>(0x123456789ull);
    EXPECT_EQ(SendMessageW(h, kPing, wide, -5), 1000);
    ExpectSeen({{"sink", h, kPing, wide, -5}, {"host0", h, kPing, wide, -5}}, "gehookt");

    sink.onMessage = [](UINT& msg, WPARAM& wParam, LPARAM&, VARIANT_BOOL& cancel) {
        if (msg == kPing + 1) wParam = 77;
        if (msg == kPing + 2) msg = kPing + 3;
        if (msg == kPing + 4) cancel = VARIANT_TRUE;
    };
    SendMessageW(h, kPing + 1, 1, 2);
    ExpectSeen({{"sink", h, kPing + 1, 1, 2}, {"host0", h, kPing + 1, 77, 2}}, "wParam geändert");
    SendMessageW(h, kPing + 2, 3, 4);
    ExpectSeen({{"sink", h, kPing + 2, 3, 4}, {"host0", h, kPing + 3, 3, 4}}, "uMsg geändert");
    EXPECT_EQ(SendMessageW(h, kPing + 4, 5, 6), 0);
    ExpectSeen({{"sink", h, kPing + 4, 5, 6}}, "Cancel");

    EXPECT_TRUE(object->StopSubClass());
    EXPECT_EQ(host.Proc(), HostProc<0>);
    EXPECT_EQ(SendMessageW(h, kPing, 1, 2), 1000);
    ExpectSeen({{"host0", h, kPing, 1, 2}}, "nach StopSubClass");

    // Started again, then released while hooked: the last release unhooks.
    ASSERT_TRUE(object->StartSubclass(h));
    object.Reset();
    EXPECT_EQ(host.Proc(), HostProc<0>);
    SendMessageW(h, kPing, 3, 4);
    ExpectSeen({{"host0", h, kPing, 3, 4}}, "nach Freigabe");
}

TEST_F(Subclass, EventReachesAdvisedClientsAsLongs) {
    HostWindow host;
    const HWND h = host.hwnd;
    auto object = Make<clsFormSubclass>();
    // Containers find the event interface through the class info.
    auto* classInfo = static_cast<IProvideClassInfo2*>(object.Get());
    GUID source{};
    ASSERT_EQ(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    EXPECT_EQ(source, IID___clsFormSubclass);
    ComPtr<ITypeInfo> coclass;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(classInfo->GetClassInfo(&coclass), S_OK);
    ASSERT_EQ(coclass->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->guid, CLSID_clsFormSubclass);
    coclass->ReleaseTypeAttr(attr);
    auto client = Make<EventClient>();
    Advise(object.Get(), client.Get());

    // Started the way a script client starts it: late bound, the handle as a Long.
    IDispatch* dispatch = static_cast<_clsFormSubclass*>(object.Get());
    VARIANTARG handle;
    handle.vt = VT_I4;
    handle.lVal = HandleToLong(h);
    Variant started;
    ASSERT_EQ(InvokeByName(dispatch, L"StartSubclass", DISPATCH_METHOD, &handle, 1, &started), S_OK);
    EXPECT_EQ(started.vt, VT_BOOL);
    EXPECT_EQ(started.boolVal, VARIANT_TRUE);

    // Values the client leaves alone keep their full width.
    const LPARAM pointer = static_cast<LPARAM>(0x7FF612345678ll);
    EXPECT_EQ(SendMessageW(h, kPing, 9, pointer), 1000);
    EXPECT_EQ(client->types,
              (std::vector<VARTYPE>{VT_I4, VT_I4 | VT_BYREF, VT_I4 | VT_BYREF, VT_I4 | VT_BYREF, VT_BOOL | VT_BYREF}));
    ExpectSeen({{"event", h, kPing, 9, static_cast<LONG>(pointer)}, {"host0", h, kPing, 9, pointer}}, "unverändert");

    // A Long the client writes comes back sign-extended.
    const LONG minusTwo = -2;
    client->newWParam = &minusTwo;
    SendMessageW(h, kPing, static_cast<WPARAM>(0x100000009ull), 0);
    ExpectSeen({{"event", h, kPing, 9, 0}, {"host0", h, kPing, static_cast<WPARAM>(-2), 0}}, "wParam vom Client");

    client->cancel = true;
    EXPECT_EQ(SendMessageW(h, kPing, 1, 1), 0);
    ExpectSeen({{"event", h, kPing, 1, 1}}, "Cancel vom Client");

    Variant stopped;
    ASSERT_EQ(InvokeByName(dispatch, L"StopSubClass", DISPATCH_METHOD, nullptr, 0, &stopped), S_OK);
    EXPECT_EQ(stopped.boolVal, VARIANT_TRUE);
    EXPECT_EQ(host.Proc(), HostProc<0>);
}

TEST_F(Subclass, EveryWindowKeepsItsOwnObjectAndProcedureInAnyOrder) {
    for (int n : {2, 3}) {
        std::vector<int> starts(n);
        std::iota(starts.begin(), starts.end(), 0);
        do {
            std::vector<int> stops(starts);
            std::sort(stops.begin(), stops.end());
            do {
                std::string context = std::to_string(n) + " Fenster, Start/Stopp:";
                for (int i : starts) context += " " + std::to_string(i);
                for (int i : stops) context += " " + std::to_string(i);

                std::vector<std::unique_ptr<HostWindow>> hosts;
                std::vector<std::unique_ptr<Sink>> sinks;
                std::vector<ComPtr<clsFormSubclass>> objects;
                for (int i = 0; i < n; ++i) {
                    hosts.push_back(std::make_unique<HostWindow>(i));
                    sinks.push_back(std::make_unique<Sink>("sink" + std::to_string(i)));
                    objects.push_back(Make<clsFormSubclass>(sinks.back().get()));
                }
                std::vector<bool> hooked(n, false);
                auto pingAll = [&](LPARAM step) {
                    for (int i = 0; i < n; ++i) {
                        const HWND h = hosts[i]->hwnd;
                        EXPECT_EQ(SendMessageW(h, kPing, i, step), 1000 + i) << context;
                        std::vector<Seen> expected;
                        if (hooked[i]) expected.push_back({"sink" + std::to_string(i), h, kPing, WPARAM(i), step});
                        expected.push_back({"host" + std::to_string(i), h, kPing, WPARAM(i), step});
                        ExpectSeen(expected, context + ", Schritt " + std::to_string(step));
                    }
                };
                LPARAM step = 0;
                for (int i : starts) {
                    ASSERT_TRUE(objects[i]->StartSubclass(hosts[i]->hwnd)) << context;
                    hooked[i] = true;
                    pingAll(step++);
                }
                for (int i : stops) {
                    ASSERT_TRUE(objects[i]->StopSubClass()) << context;
                    hooked[i] = false;
                    EXPECT_EQ(hosts[i]->Proc(), kHostProcs[i]) << context;
                    pingAll(step++);
                }
            } while (std::next_permutation(stops.begin(), stops.end()));
        } while (std::next_permutation(starts.begin(), starts.end()));
    }
}

TEST_F(Subclass, SubclassInstalledAfterOursIsNeverCutOff) {
    const std::size_t records = LiveHookRecords();
    HostWindow host;
    Sink first("sink1"), second("sink2");
    auto a = Make<clsFormSubclass>(&first);
    ASSERT_TRUE(a->StartSubclass(host.hwnd));
    g_outsidePrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(host.hwnd, GWLP_WNDPROC, WindowProcValue(OutsideProc)));
    ASSERT_EQ(g_outsidePrevious, &modWindowProc);
    const HWND h = host.hwnd;
    SendMessageW(h, kPing, 1, 0);
    ExpectSeen({{"outside", h, kPing, 1, 0}, {"sink1", h, kPing, 1, 0}, {"host0", h, kPing, 1, 0}}, "beide");

    EXPECT_TRUE(a->StopSubClass());
    EXPECT_EQ(host.Proc(), OutsideProc);
    EXPECT_EQ(SendMessageW(h, kPing, 2, 0), 1000);
    ExpectSeen({{"outside", h, kPing, 2, 0}, {"host0", h, kPing, 2, 0}}, "unser Hook weitergeleitet");

    // A new object takes over the forwarding record, below the outside subclass.
    auto b = Make<clsFormSubclass>(&second);
    ASSERT_TRUE(b->StartSubclass(h));
    a.Reset();
    SendMessageW(h, kPing, 3, 0);
    ExpectSeen({{"outside", h, kPing, 3, 0}, {"sink2", h, kPing, 3, 0}, {"host0", h, kPing, 3, 0}}, "übernommen");
    b.Reset();  // releasing it lets go the same way
    SendMessageW(h, kPing, 4, 0);
    ExpectSeen({{"outside", h, kPing, 4, 0}, {"host0", h, kPing, 4, 0}}, "wieder weitergeleitet");

    // The outside subclass leaves: the forwarding record still passes everything on.
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_outsidePrevious));
    EXPECT_EQ(SendMessageW(h, kPing, 5, 0), 1000);
    ExpectSeen({{"host0", h, kPing, 5, 0}}, "nur noch der Weiterleiter");
    EXPECT_EQ(LiveHookRecords(), records + 1);
    DestroyWindow(h);
    EXPECT_EQ(LiveHookRecords(), records);
}

TEST_F(Subclass, WindowDestroyedOrObjectReleasedWhileAMessageIsHandled) {
    const std::size_t records = LiveHookRecords();
    {
        HostWindow host, other;
        Sink sink;
        auto object = Make<clsFormSubclass>(&sink);
        ASSERT_TRUE(object->StartSubclass(host.hwnd));
        const HWND h = host.hwnd;
        DestroyWindow(h);
        ExpectSeen({{"sink", h, WM_NCDESTROY, 0, 0}}, "letzte Nachricht");
        EXPECT_EQ(LiveHookRecords(), records);
        // The window took the hook with it; the object stays marked as
        // subclassed: the stop fails and the object never starts again.
        EXPECT_FALSE(object->StopSubClass());
        EXPECT_FALSE(object->StartSubclass(other.hwnd));
        EXPECT_NE(other.Proc(), &modWindowProc);
    }
    {
        // A skin unloading itself on a message releases the last reference
        // mid-message: advised clients heard it first, the message still goes on,
        // and the object unhooks as it goes.
        HostWindow host;
        Sink sink;
        ComPtr<clsFormSubclass> object = Make<clsFormSubclass>(&sink);
        sink.onMessage = [&](UINT&, WPARAM&, LPARAM&, VARIANT_BOOL&) { object.Reset(); };
        auto client = Make<EventClient>();
        Advise(object.Get(), client.Get());
        const HWND h = host.hwnd;
        ASSERT_TRUE(object->StartSubclass(h));
        EXPECT_EQ(SendMessageW(h, kPing, 1, 2), 1000);
        ExpectSeen({{"event", h, kPing, 1, 2}, {"sink", h, kPing, 1, 2}, {"host0", h, kPing, 1, 2}}, "Freigabe im Handler");
        EXPECT_EQ(host.Proc(), HostProc<0>);
    }
}

TEST_F(Subclass, OneStartPerObjectAndOneObjectPerWindow) {
    HostWindow host, other;
    Sink sink;
    auto object = Make<clsFormSubclass>(&sink);
    ASSERT_TRUE(object->StartSubclass(host.hwnd));
    EXPECT_FALSE(object->StartSubclass(host.hwnd));
    EXPECT_FALSE(object->StartSubclass(other.hwnd));
    EXPECT_EQ(other.Proc(), HostProc<0>);

    auto second = Make<clsFormSubclass>();
    EXPECT_FALSE(second->StartSubclass(host.hwnd));
    EXPECT_FALSE(second->StopSubClass());  // a failed start has nothing to stop
    second.Reset();                        // and releasing it leaves the first hook alone
    SendMessageW(host.hwnd, kPing, 1, 2);
    ExpectSeen({{"sink", host.hwnd, kPing, 1, 2}, {"host0", host.hwnd, kPing, 1, 2}}, "einmal gehookt");
    EXPECT_TRUE(object->StopSubClass());

    auto lost = Make<clsFormSubclass>();
    EXPECT_FALSE(lost->StartSubclass(reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7654320))));
    EXPECT_FALSE(lost->StopSubClass());
    EXPECT_FALSE(lost->StartSubclass(host.hwnd));  // its one start is used up
    EXPECT_EQ(host.Proc(), HostProc<0>);

    // Another process's window: refused, and nothing of ours is left on it.
    auto foreign = Make<clsFormSubclass>();
    EXPECT_FALSE(foreign->StartSubclass(GetDesktopWindow()));
    EXPECT_FALSE(foreign->StopSubClass());
}

TEST_F(Subclass, FailureInTheHandlerIsReportedAndAnswersZero) {
    test::RecordedReports reports;
    HostWindow host;
    Sink sink;
    long raiseLine = 0;
    sink.onMessage = [&](UINT& msg, WPARAM&, LPARAM&, VARIANT_BOOL&) {
        raiseLine = __LINE__ + 1;
        if (msg == kPing) Raise(5, L"Ungültiger Prozeduraufruf");
    };
    auto object = Make<clsFormSubclass>(&sink);
    ASSERT_TRUE(object->StartSubclass(host.hwnd));

    EXPECT_EQ(SendMessageW(host.hwnd, kPing, 1, 2), 0);
    ExpectSeen({{"sink", host.hwnd, kPing, 1, 2}}, "Fehler im Handler");
    const auto r = reports.Reports();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][3], L"5");
    EXPECT_EQ(r[0][4], L"Ungültiger Prozeduraufruf");
    EXPECT_EQ(r[0][5], L"NewWindowProc");
    EXPECT_EQ(r[0][6], std::to_wstring(raiseLine));
    EXPECT_EQ(r[0][7] + L" " + r[0][8], L"Klassenmodul clsFormSubclass");

    // With the silent switch on, the failing step is skipped and the message goes on.
    SetSilentError(true);
    const LRESULT answer = SendMessageW(host.hwnd, kPing, 3, 4);
    SetSilentError(false);
    EXPECT_EQ(answer, 1000);
    ExpectSeen({{"sink", host.hwnd, kPing, 3, 4}, {"host0", host.hwnd, kPing, 3, 4}}, "stiller Modus");
    EXPECT_EQ(reports.Reports().size(), 1u);
    EXPECT_EQ(test::Boxes().count, 0);
}

// The fixture checks that no record is left.
TEST_F(Subclass, ManyWindowsHookedAndGoneLeaveNoRecord) {
    int wrong = 0;
    const int rounds = test::SoakRounds(60, 1000);
    for (int i = 0; i < rounds; ++i) {
        auto host = std::make_unique<HostWindow>();
        auto object = Make<clsFormSubclass>();
        if (!object->StartSubclass(host->hwnd) || SendMessageW(host->hwnd, kPing, i, 0) != 1000) ++wrong;
        switch (i % 3) {  // every way a hook can end
        case 0: wrong += !object->StopSubClass(); break;
        case 1: host.reset(); break;
        case 2: object.Reset(); break;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(g_seen.size(), static_cast<size_t>(rounds));
    g_seen.clear();
}

// Any COM object can be a window's control: the lookup deals in IUnknown.
struct AnyControl : test::DispatchOnly {
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

TEST_F(Subclass, ControlFromhWndGivesACountedReferenceOrLeavesTheOldOne) {
    ComPtr<IUnknown> control = Make<AnyControl>(), kept = Make<AnyControl>();
    HostWindow tagged, untagged;
    ASSERT_TRUE(TagControl(tagged.hwnd, control.Get(), true));

    ComPtr<IUnknown> found = kept;
    EXPECT_FALSE(ControlFromhWnd(nullptr, found));
    EXPECT_FALSE(ControlFromhWnd(reinterpret_cast<HWND>(static_cast<LONG_PTR>(0x7654320)), found));
    EXPECT_FALSE(ControlFromhWnd(untagged.hwnd, found));
    EXPECT_EQ(found, kept);

    ASSERT_TRUE(ControlFromhWnd(tagged.hwnd, found));
    EXPECT_EQ(found, control);
    // Two owners now: ours and the one handed out (AddRef answers the new count).
    EXPECT_EQ(control.Get()->AddRef(), 3u);
    control.Get()->Release();
    EXPECT_EQ(ObjectFromPtr<IUnknown>(0), nullptr);
    EXPECT_EQ(ObjectFromPtr<IUnknown>(reinterpret_cast<LONG_PTR>(kept.Get())), kept);
    TagControl(tagged.hwnd, control.Get(), false);
    EXPECT_FALSE(ControlFromhWnd(tagged.hwnd, found));
}

TEST_F(Subclass, fLongValJoinsWordsRoundsToEvenAndReportsOverflow) {
    test::RecordedReports reports;
    // The low word is unsigned; fractions of the high word round to even.
    const struct {
        double high;
        short low;
        LONG result;
    } cases[] = {
        {2, 3, 131075},        {-1, 5, -65531},          {0, -1, 65535},           {32767, -1, LONG_MAX},
        {-32768, 0, LONG_MIN}, {0.5 / 65536, 0, 0},      {1.5 / 65536, 0, 2},      {2.5 / 65536, 0, 2},
        {32768, 0, 0},         {-32769, 0, 0},  // overflow: reported, and 0
    };
    for (const auto& c : cases) EXPECT_EQ(fLongVal(c.high, c.low), c.result) << c.high << " " << c.low;
    const auto r = reports.Reports();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0][3], L"6");
    EXPECT_EQ(r[0][4], L"Überlauf");
    EXPECT_EQ(r[0][5], L"fLongVal");
    EXPECT_EQ(r[0][7] + L" " + r[0][8], L"Modul basForm");
}

TEST_F(Subclass, LockWindowStopsDrawingAndRepaintsAtOnceWhenReleased) {
    HostWindow host(0, WS_POPUP);
    ShowWindow(host.hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(host.hwnd);
    g_seen.clear();
    const HWND h = host.hwnd;

    LockWindow(h, true);
    ExpectSeen({{"host0", h, WM_SETREDRAW, 0, 0}}, "gesperrt");
    EXPECT_FALSE(IsWindowVisible(h));  // what WM_SETREDRAW off does to a window

    LockWindow(h, false);
    ExpectSeen({{"host0", h, WM_SETREDRAW, TRUE, 0}, {"host0", h, WM_PAINT, 0, 0}}, "freigegeben");
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_FALSE(GetUpdateRect(h, nullptr, FALSE));
}

}  // namespace
