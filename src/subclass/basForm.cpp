#include "basForm.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../com/Module.h"
#include "clsFormSubclass.h"

namespace nimbra {
namespace {

constexpr wchar_t kControlProperty[] = L"xpForm:Control";

Procedure InModule(const wchar_t* procedure) { return {procedure, kStdModule, L"basForm"}; }

struct HookRecord {
    HookRecord(WNDPROC previous, clsFormSubclass* first) : old(previous), owner(first) {}
    WNDPROC old;             // where messages go on to
    clsFormSubclass* owner;  // called first; nullptr once it let go (the record only forwards)
    ModuleReference module;  // modWindowProc stays in the window's chain while the record lives
};

std::atomic<std::size_t> g_liveRecords{0};

// The property under which a window carries its record. The name holds the
// module's address, so two copies of the library in one process never read
// each other's records.
LPCWSTR HookProperty() {
    static const ATOM atom = GlobalAddAtomW(
        (L"NimbraForm.Subclass." + std::to_wstring(reinterpret_cast<UINT_PTR>(ModuleHandle()))).c_str());
    return MAKEINTATOM(atom);
}

// The same window-to-record pairs as the properties, for modWindowProc: under
// Wine every GetPropW is a round trip to the server, some forty times the cost
// of a whole SendMessage, and a process-local lookup is cheap everywhere. The
// functions below keep the table and the properties in step. Windows of several
// threads may be hooked at once, hence the lock; it is held for no call that
// could send a message.
class HookTable {
public:
    // What one message needs, copied out under the lock.
    struct Hook {
        bool found;
        clsFormSubclass* owner;
        WNDPROC old;
    };
    Hook Lookup(HWND hwnd) {
        Shared hold(lock_);
        const auto it = Position(hwnd);
        if (it == entries_.end() || it->first != hwnd) return {false, nullptr, nullptr};
        return {true, it->second->owner, it->second->old};
    }
    HookRecord* Find(HWND hwnd) {
        Shared hold(lock_);
        const auto it = Position(hwnd);
        return it != entries_.end() && it->first == hwnd ? it->second : nullptr;
    }
    void Insert(HWND hwnd, HookRecord* record) {
        Exclusive hold(lock_);
        entries_.insert(Position(hwnd), {hwnd, record});
    }
    // Removes hwnd's record from the table and hands it over, or nullptr.
    HookRecord* Take(HWND hwnd) {
        Exclusive hold(lock_);
        const auto it = Position(hwnd);
        if (it == entries_.end() || it->first != hwnd) return nullptr;
        HookRecord* record = it->second;
        entries_.erase(it);
        return record;
    }
    void SetOwner(HookRecord* record, clsFormSubclass* owner) {
        Exclusive hold(lock_);
        record->owner = owner;
    }

private:
    struct Shared {
        explicit Shared(SRWLOCK& lock) : lock(lock) { AcquireSRWLockShared(&lock); }
        ~Shared() { ReleaseSRWLockShared(&lock); }
        SRWLOCK& lock;
    };
    struct Exclusive {
        explicit Exclusive(SRWLOCK& lock) : lock(lock) { AcquireSRWLockExclusive(&lock); }
        ~Exclusive() { ReleaseSRWLockExclusive(&lock); }
        SRWLOCK& lock;
    };
    using Entries = std::vector<std::pair<HWND, HookRecord*>>;
    Entries::iterator Position(HWND hwnd) {
        return std::lower_bound(entries_.begin(), entries_.end(), hwnd,
                                [](const Entries::value_type& entry, HWND h) { return entry.first < h; });
    }

    SRWLOCK lock_ = SRWLOCK_INIT;
    Entries entries_;  // sorted by handle
};

// Never destroyed: a message may reach a hooked window while statics are torn down.
HookTable& Table() {
    static HookTable* table = new HookTable;
    return *table;
}

// Takes hwnd's record off the window and out of the table, and frees it.
// Returns the object it called, or nullptr.
clsFormSubclass* DropRecord(HWND hwnd) {
    HookRecord* record = Table().Take(hwnd);
    if (!record) return nullptr;
    if (GetPropW(hwnd, HookProperty()) == record) RemovePropW(hwnd, HookProperty());
    clsFormSubclass* owner = record->owner;
    delete record;
    --g_liveRecords;
    return owner;
}

}  // namespace

bool TagControl(HWND hwnd, IUnknown* control, bool tag) {
    bool done = false;
    // A window that refuses the property leaves the skin unable to find its
    // control later: reported here, where it happens.
    Guard(InModule(L"TagControl")).Run([&] {
        if (!hwnd || !IsWindow(hwnd)) return;
        if (tag)
            CheckWin32(SetPropW(hwnd, kControlProperty, control) != FALSE);
        else
            RemovePropW(hwnd, kControlProperty);
        done = true;
    });
    return done;
}

IUnknown* ControlFromhWnd(HWND hwnd) {
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    return static_cast<IUnknown*>(GetPropW(hwnd, kControlProperty));
}

bool ControlFromhWnd(HWND hwnd, ComPtr<IUnknown>& control) {
    bool found = false;
    Guard(InModule(L"ControlFromhWnd")).Run([&] {
        IUnknown* tagged = ControlFromhWnd(hwnd);
        if (!tagged) return;
        control = ObjectFromPtr<IUnknown>(reinterpret_cast<LONG_PTR>(tagged));
        found = true;
    });
    return found;
}

void LockWindow(HWND hwnd, bool lock) {
    Guard(InModule(L"LockWindow")).Run([&] {
        if (lock) {
            SendMessageW(hwnd, WM_SETREDRAW, 0, 0);
            return;
        }
        SendMessageW(hwnd, WM_SETREDRAW, TRUE, 0);
        RECT rect;
        GetClientRect(hwnd, &rect);
        RedrawWindow(hwnd, &rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
}

void SetTransparency(HWND hwnd, short Alpha) {
    Guard({L"SetTransparency", kStdModule, L"basForm"})
        .Run([&] {
            const LONG_PTR ex = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
            if (!(ex & WS_EX_LAYERED)) SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        },
             [&] {
                 if (Alpha < 0 || Alpha > 255) Raise(6);
                 // Every property setter comes here; the same alpha again would
                 // only cost a recomposition of the window.
                 BYTE alpha = 0;
                 DWORD flags = 0;
                 if (GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) && flags == LWA_ALPHA &&
                     alpha == static_cast<BYTE>(Alpha))
                     return;
                 // Only the constant alpha counts; the colour key is not used.
                 CheckWin32(SetLayeredWindowAttributes(hwnd, RGB(0, 0, 0), static_cast<BYTE>(Alpha), LWA_ALPHA));
             });
}

LONG fLongVal(double high, short low) {
    LONG result = 0;
    Guard(InModule(L"fLongVal")).Run([&] {
        // The conversion to Long rounds half to even, as nearbyint does in the
        // default rounding mode; NaN fails the range test too.
        const double value = std::nearbyint((low & 0xFFFF) + 65536.0 * high);
        if (!(value >= -2147483648.0 && value <= 2147483647.0)) Raise(6);
        result = static_cast<LONG>(value);
    });
    return result;
}

void ShowSysMenu(HWND hwnd) {
    POINT cursor{};
    LONG point = 0;
    Guard(InModule(L"ShowSysMenu"))
        .Run([&] { GetCursorPos(&cursor); },
             [&] {
                 // x must fit a signed 16-bit integer: reported, the menu is not
                 // shown; under the silent switch the point stays 0.
                 if (cursor.x < -32768 || cursor.x > 32767) Raise(6);
                 point = fLongVal(cursor.y, static_cast<short>(cursor.x));
             },
             // WM_POPUPSYSTEMMENU: the window's own system menu at a screen point.
             [&] { SendMessageW(hwnd, 0x313, 0, point); });
}

// ---- hooked windows -----------------------------------------------------------

LRESULT CALLBACK modWindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    Guard(InModule(L"modWindowProc")).Run([&] {
        const HookTable::Hook hook = Table().Lookup(hwnd);
        if (!hook.found) {
            // Only when someone put this procedure on a window without HookWindow.
            result = DefWindowProcW(hwnd, uMsg, wParam, lParam);
            return;
        }
        result = hook.owner ? hook.owner->NewWindowProc(hwnd, uMsg, wParam, lParam)
                            : CallWindowProcW(hook.old, hwnd, uMsg, wParam, lParam);
        if (uMsg != WM_NCDESTROY) return;
        // The window's last message: its record goes with it. Whatever ran above
        // may have unhooked and freed the record already; DropRecord looks again.
        if (clsFormSubclass* owner = DropRecord(hwnd)) owner->WindowGone();
    });
    return result;
}

WNDPROC HookWindow(HWND hwnd, clsFormSubclass* owner) {
    HookTable& table = Table();
    if (HookRecord* record = table.Find(hwnd)) {
        if (GetPropW(hwnd, HookProperty()) == record) {
            // modWindowProc is already in this window's chain, and its one record
            // serves one object. Taking over a forwarding record puts the new
            // object where the old one was, under whoever hooked after it.
            if (record->owner) return nullptr;
            table.SetOwner(record, owner);
            return record->old;
        }
        // The window this record was made for died without its last message
        // reaching us (someone cut modWindowProc out of its chain), and its
        // handle now names a new window.
        if (clsFormSubclass* stale = DropRecord(hwnd)) stale->WindowGone();
    }
    auto record =
        std::make_unique<HookRecord>(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), owner);
    if (!record->old) return nullptr;  // not ours to read, so not ours to change
    // Record first, procedure last: no message finds modWindowProc without its record.
    table.Insert(hwnd, record.get());
    if (SetPropW(hwnd, HookProperty(), record.get())) {
        const auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, WindowProcValue(modWindowProc)));
        if (previous) {
            record->old = previous;
            ++g_liveRecords;
            return record.release()->old;
        }
        RemovePropW(hwnd, HookProperty());
    }
    table.Take(hwnd);
    return nullptr;
}

bool UnhookWindow(HWND hwnd, clsFormSubclass* owner) {
    HookRecord* record = Table().Find(hwnd);
    if (!record || record->owner != owner) return false;
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != &modWindowProc) {
        // Someone hooked the window after us and calls modWindowProc as its
        // previous procedure: putting ours back would cut them off.
        Table().SetOwner(record, nullptr);
        return true;
    }
    if (!SetWindowLongPtrW(hwnd, GWLP_WNDPROC, WindowProcValue(record->old))) return false;
    DropRecord(hwnd);
    return true;
}

void ForgetHookOwner(HWND hwnd, clsFormSubclass* owner) {
    // By the table, not the window: the window may be gone with the record left over.
    HookRecord* record = Table().Find(hwnd);
    if (record && record->owner == owner) Table().SetOwner(record, nullptr);
}

std::size_t LiveHookRecords() { return g_liveRecords; }

}  // namespace nimbra
