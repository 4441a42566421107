// The owners of the platform's handles, in one place: each closes its handle
// once, with the function that kind of handle wants, and moves but never
// copies. Drawing handles (GDI objects, regions among them, memory DCs, and
// icons and cursors) are counted while owned, in one count: Wine's
// GetGuiResources answers 0, so this count is what the leak tests read.
#pragma once
#include <windows.h>

#include <atomic>
#include <utility>

namespace nimbra::forms {

namespace handle {

inline std::atomic<long>& GdiCount() {
    static std::atomic<long> count{0};
    return count;
}

// What each kind of handle calls empty and how it is closed.
// Files, snapshots and directory searches: their failure value is
// INVALID_HANDLE_VALUE, not null.
struct InvalidIsEmpty {
    using Type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
};
struct File : InvalidIsEmpty {
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct Find : InvalidIsEmpty {
    static void Close(HANDLE h) { FindClose(h); }  // a directory search's own closing
};
struct Key {
    using Type = HKEY;
    static HKEY Empty() { return nullptr; }
    static void Close(HKEY k) { RegCloseKey(k); }
};
// A window its object made. One the system already destroyed (an owned popup
// goes with its owner window) is left alone.
struct Window {
    using Type = HWND;
    static HWND Empty() { return nullptr; }
    static void Close(HWND w) {
        if (IsWindow(w)) DestroyWindow(w);
    }
};
inline BOOL Delete(HDC dc) { return DeleteDC(dc); }
inline BOOL Delete(HICON icon) { return DestroyIcon(icon); }  // a cursor from LoadImage too
inline BOOL Delete(HGDIOBJ object) { return DeleteObject(object); }
// Drawing handles, counted while owned: in the one count, and per type.
template <class G>
struct Gdi {
    using Type = G;
    static G Empty() { return nullptr; }
    static std::atomic<long>& Count() {
        static std::atomic<long> count{0};
        return count;
    }
    static void Opened() {
        ++GdiCount();
        ++Count();
    }
    // Handed over to an owner outside the count (SetWindowRgn gives a region to its window).
    static void Released() {
        --GdiCount();
        --Count();
    }
    static void Close(G g) {
        if (Delete(g)) Released();
    }
};

}  // namespace handle

template <class Kind>
class Owned {
public:
    using Handle = typename Kind::Type;

    Owned() = default;
    explicit Owned(Handle h) { reset(h); }
    ~Owned() { reset(); }
    // A move hands the handle over: still one owner, counted once.
    Owned(Owned&& other) noexcept : h_(std::exchange(other.h_, Kind::Empty())) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            reset();
            h_ = std::exchange(other.h_, Kind::Empty());
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Handle get() const { return h_; }
    explicit operator bool() const { return h_ != Kind::Empty(); }
    // Closes what is owned, then owns h.
    void reset(Handle h = Kind::Empty()) {
        if (h_ != Kind::Empty()) Kind::Close(h_);
        h_ = h;
        if constexpr (requires { Kind::Opened(); }) {
            if (h_ != Kind::Empty()) Kind::Opened();
        }
    }
    // Hands the handle over: to a caller who closes it itself (to see whether
    // closing failed), or to a new owner such as a window. A counted handle
    // leaves the count with it.
    Handle take() {
        if constexpr (requires { Kind::Released(); }) {
            if (h_ != Kind::Empty()) Kind::Released();
        }
        return std::exchange(h_, Kind::Empty());
    }
    // For functions that hand out a handle through a pointer (RegOpenKeyEx).
    Handle* put() {
        reset();
        return &h_;
    }

private:
    Handle h_ = Kind::Empty();
};

using FileHandle = Owned<handle::File>;
using FindHandle = Owned<handle::Find>;
using RegistryKey = Owned<handle::Key>;
using WindowHandle = Owned<handle::Window>;
template <class G>
using GdiObject = Owned<handle::Gdi<G>>;
using MemoryDc = Owned<handle::Gdi<HDC>>;
using IconHandle = Owned<handle::Gdi<HICON>>;  // an icon or a cursor (not a shared one)

// Drawing handles owned right now (GDI objects, regions, memory DCs, icons and
// cursors), by every owner above and the Region and Picture built on them.
inline long LiveGdiObjects() { return handle::GdiCount(); }

// A window's (or, for nullptr, the screen's) DC, given back to it at the end.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Selects an object into a DC and puts back what was there: an object still
// selected cannot be deleted.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (old_) SelectObject(dc_, old_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

}  // namespace nimbra::forms
