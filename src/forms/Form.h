// A top-level or child window of the classic forms model: twips geometry,
// a persistent drawing surface, window state, and its events delivered as
// virtual member calls from one window procedure.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "Surface.h"

namespace nimbra::forms {

enum WindowStateValue { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
// MousePointer values used by the library: 0 default arrow, 6 NE-SW, 7 N-S, 8 NW-SE, 9 W-E,
// 99 the control's own MouseIcon.
enum MousePointerValue { vbDefault = 0, vbSizeNESW = 6, vbSizeNS = 7, vbSizeNWSE = 8, vbSizeWE = 9, vbCustom = 99 };
// How Show shows a form: modeless returns at once, modal when the form is unloaded.
enum { vbModeless = 0, vbModal = 1 };
// Mouse buttons and shift state as the classic events report them.
enum { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };
enum { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
// Why a form is being unloaded (Form_QueryUnload's UnloadMode).
enum { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3, vbFormMDIForm = 4 };

class Form {
public:
    Form();
    virtual ~Form();  // unloads if still loaded
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the window hidden and runs Form_Load. style/exStyle are the
    // window styles; parent makes it a child or owned window.
    // Loading twice does nothing. Returns false when the window cannot be made.
    bool Load(DWORD style = WS_POPUP, DWORD exStyle = 0, HWND parent = nullptr);
    // An MDI parent form: the window with an MDI client filling its inside,
    // which holds the MDI child forms.
    bool LoadMdiFrame(DWORD style);
    HWND MdiClient() const { return mdiClient_; }
    // An MDI child form inside an MDI parent form's client.
    bool LoadMdiChild(HWND mdiClient, DWORD style);
    bool Loaded() const { return hwnd_ != nullptr; }
    // Loads if needed, then shows (and so activates) the window. vbModal then
    // runs the thread's messages until the form is unloaded (the form object
    // must outlive that); a WM_QUIT ends the loop early and is put back for the
    // real loop. False when the form is already being shown modally.
    bool Show(int style = vbModeless);
    // Runs Form_QueryUnload (may cancel) and Form_Unload, destroys the window
    // and leaves the list of loaded forms. Returns false when cancelled.
    bool Unload(int mode = vbFormCode);

    HWND hWnd() const { return hwnd_; }

    // Outer rectangle in twips: screen coordinates for a top-level window,
    // parent client coordinates for a child.
    long Left() const;
    long Top() const;
    long Width() const;
    long Height() const;
    void SetLeft(long twips);
    void SetTop(long twips);
    void SetWidth(long twips);
    void SetHeight(long twips);
    void Move(long left, long top, long width, long height);  // twips
    // The client area in pixels.
    long ScaleWidth() const;
    long ScaleHeight() const;

    int WindowState() const;          // vbNormal, vbMinimized, vbMaximized
    void SetWindowState(int state);   // minimises, maximises or restores
    bool Visible() const;
    void SetVisible(bool visible);
    int MousePointer() const { return mousePointer_; }
    void SetMousePointer(int pointer);  // shown while the cursor is over the form
    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    std::wstring Tag;

    // The persistent surface (AutoRedraw on): drawing lands in the back buffer
    // and shows at the next Refresh or repaint.
    Surface& Draw() { return *surface_; }
    void Cls() { surface_->Cls(); }
    void Refresh();  // repaints the window from the back buffer now

protected:
    // Events, called from the window procedure. Coordinates are client pixels.
    virtual void Form_Load() {}
    virtual void Form_Activate() {}
    virtual void Form_Deactivate() {}
    virtual void Form_GotFocus() {}
    virtual void Form_Resize() {}
    virtual void Form_QueryUnload(int& cancel, int unloadMode) {}
    virtual void Form_Unload(int& cancel) {}
    virtual void Form_MouseDown(int button, int shift, float x, float y) {}
    virtual void Form_MouseMove(int button, int shift, float x, float y) {}
    virtual void Form_MouseUp(int button, int shift, float x, float y) {}
    virtual void Form_Click() {}
    virtual void Form_DblClick() {}
    // A key pressed while the form has the focus (WM_KEYDOWN): a virtual-key
    // code and the shift state (vbShiftMask, vbCtrlMask, vbAltMask).
    virtual void Form_KeyDown(int& KeyCode, int Shift) {}
    // Every message passes here first; the default handles the events above
    // and calls DefWindowProc. Override to see or change raw messages.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    template <class T>
    friend LRESULT RouteMessage(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static bool ClassRegistered();
    void Detach();  // the window is going: forget it, its surface and the list entry
    bool Created(HWND hwnd);  // after the window is made: the surface, the list, Form_Load
    void Destroy(HWND hwnd);  // an MDI child goes through its client, any other window directly
    // What the system does with a message the form leaves to it: MDI forms
    // have default procedures of their own.
    LRESULT Default(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    HWND mdiClient_ = nullptr;  // an MDI parent form's client
    Surface* surface_ = nullptr;  // owned; exists while loaded
    int mousePointer_ = vbDefault;
    bool mouseDownLeft_ = false;
    bool unloading_ = false;  // QueryUnload/Unload are running; a nested Unload leaves the outcome to them
    bool modal_ = false;      // a modal Show's loop is running for this form
};

// The forms loaded by this module, in load order (what "unload every form" walks).
const std::vector<Form*>& LoadedForms();

}  // namespace nimbra::forms
