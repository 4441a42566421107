// The hooked windows of basForm: the table from window to hook record, and
// modWindowProc, the one procedure every hooked window runs through.
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "../com/Module.h"
#include "basForm.h"
#include "clsFormSubclass.h"

namespace nimbra {
namespace {

std::atomic<std::size_t> g_liveRecords{0};

// Counted from construction to destruction: what LiveHookRecords reports.
struct HookRecord {
    HookRecord(WNDPROC previous, clsFormSubclass* first) : old(previous), owner(first) { ++g_liveRecords; }
    ~HookRecord() { --g_liveRecords; }
    HookRecord(const HookRecord&) = delete;
    HookRecord& operator=(const HookRecord&) = delete;
    WNDPROC old;             // where messages go on to
    clsFormSubclass* owner;  // called first; nullptr once it let go (the record only forwards)
    ModuleReference module;  // modWindowProc stays in the window's chain while the record lives
};

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
        return it != entries_.end() && it->first == hwnd ? it->second.get() : nullptr;
    }
    // The table owns the records; a window's property only points at its record.
    void Insert(HWND hwnd, std::unique_ptr<HookRecord> record) {
        Exclusive hold(lock_);
        entries_.emplace(Position(hwnd), hwnd, std::move(record));
    }
    // Removes hwnd's record from the table and hands it over, or nothing.
    std::unique_ptr<HookRecord> Take(HWND hwnd) {
        Exclusive hold(lock_);
        const auto it = Position(hwnd);
        if (it == entries_.end() || it->first != hwnd) return nullptr;
        std::unique_ptr<HookRecord> record = std::move(it->second);
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
    using Entries = std::vector<std::pair<HWND, std::unique_ptr<HookRecord>>>;
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
    const std::unique_ptr<HookRecord> record = Table().Take(hwnd);
    if (!record) return nullptr;
    if (GetPropW(hwnd, HookProperty()) == record.get()) RemovePropW(hwnd, HookProperty());
    return record->owner;
}

}  // namespace

LRESULT CALLBACK modWindowProc(HWND hwnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    Guard({L"modWindowProc", kStdModule, L"basForm"}).Run([&] {
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
    auto owned =
        std::make_unique<HookRecord>(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)), owner);
    if (!owned->old) return nullptr;  // not ours to read, so not ours to change
    // Record first, procedure last: no message finds modWindowProc without its record.
    HookRecord* record = owned.get();
    table.Insert(hwnd, std::move(owned));
    if (SetPropW(hwnd, HookProperty(), record)) {
        const auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, WindowProcValue(modWindowProc)));
        if (previous) {
            record->old = previous;
            return previous;
        }
        RemovePropW(hwnd, HookProperty());
    }
    table.Take(hwnd);  // and frees it
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
