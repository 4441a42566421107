// The skin window frm: a borderless window that lies exactly around the host
// form, hooks its window procedure and paints and operates the XP look.
// Sizes inside are pixels; Left/Top/Width/Height of both windows are twips.
#pragma once
#include <oaidl.h>

#include <string>

#include "../com/ComObject.h"
#include "../errors/basError.h"
#include "../forms/Controls.h"
#include "../forms/Form.h"
#include "../forms/Picture.h"
#include "../subclass/clsFormSubclass.h"
#include "SkinOwner.h"

namespace nimbra {

class frm final : public forms::Form, private MessageSink {
public:
    frm();
    ~frm() override;
    frm(const frm&) = delete;
    frm& operator=(const frm&) = delete;

    // ---- attach
    void SetUCParent(IDispatch* prnt);
    void LoadForm();
    void RefreshForm();
    LONG_PTR ClassAddress() const { return classAddress_; }

    // The drawing, shape and placement procedures below do nothing once the
    // skin is unloaded: a click handled in a nested message loop (DoEvents, a
    // made-up WM_SIZE) may close the form under the procedure that called them.

    // ---- drawing
    // One colour scheme's pictures: 0-4 frame and title pieces, 5-10 button strips.
    struct PictureStore {
        forms::Picture piece[11];
    };
    static const PictureStore& b();  // blue
    static const PictureStore& s();  // silver
    static const PictureStore& o();  // olive
    void SetDrawObj();
    void DrawXP();

    // ---- caption buttons
    struct CaptionButton {
        short PictureIndex = 0;
        forms::PictureBox* Control = nullptr;
        std::wstring Name;
        bool Enabled = false;
        bool Visible = false;
    };
    forms::PictureBox bClose, bRestore, bMinimize, bHelp, bTray;
    forms::Timer tmrButtons;
    void InitButtons();
    void SetButtonProperties();
    void LayoutButtons();
    void SetButtonData();
    void DrawButtons();
    void RoundButtons();
    bool MouseIn(forms::PictureBox& button);
    // The button of an enablement property (a DISPID of _xpForm), or nullptr.
    forms::PictureBox* ButtonOf(DISPID enabledProperty);

    // ---- frame metrics, shape and transparency
    void SetFrameMetrics();
    bool IsTool();
    void KillBorder();
    void SetCornersTransparency();

    // ---- placement
    void PlaceHostForm();
    void SetMePos();
    void LockWinPos();

    // Whether the skin shows its active look; only activation changes it.
    bool IsWindowActive() const { return WindowActive; }
    // The caption button held down ("close", "help", ...), or empty.
    const std::wstring& HeldButton() const { return PressedButton; }
    // Whether the close button's action has begun.
    bool IsUnloading() const { return Unloading; }

    // True while one of the skin's own handlers is on the stack: the host may
    // end the control inside it, and the skin must outlive that call.
    bool Busy() const { return busy_ > 0; }

    HWND HostHwnd();  // the host form's window, read late bound

protected:
    void Form_Load() override;
    void Form_Activate() override;
    void Form_GotFocus() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Resize() override;
    void Form_Unload(int& cancel) override;
    void Form_MouseDown(int Button, int Shift, float X, float Y) override;
    void Form_MouseMove(int Button, int Shift, float X, float Y) override;
    void Form_MouseUp(int Button, int Shift, float X, float Y) override;
    void Form_Click() override;
    void Form_DblClick() override;

private:
    // Reads and replaces what a test cannot reach from outside: the owner
    // (for a stand-in whose reads fail) and the button table.
    friend struct SkinTestApi;

    const PictureStore* DrawObj = nullptr;
    COLORREF CaptionColor = 0, InactiveCaptionColor = 0, CaptionShadowColor = 0;
    CaptionButton Buttons[7];  // rows 1 to 6
    float ButtonsLeft = 0;     // pixels: the left edge of the button area
    ComPtr<IDispatch> HostForm;
    ComPtr<SkinOwner> OwnerControl;
    ComPtr<clsFormSubclass> oSubClass;
    float TitleHeight = 0;      // pixels
    float BorderWidth = 0;      // pixels
    short LastWindowState = 0;  // the skin's WindowState at the end of the last WM_SIZE handling

    // The guard's identity of one of the skin's procedures.
    static Procedure InSkin(const wchar_t* procedure) { return {procedure, kFormModule, L"frm"}; }

    // The control that started this skin; runtime error 91 when there is none.
    SkinOwner& Owner();
    // The same as a counted reference, for raising an event: the host's handler
    // runs inside the call and may end the control with its form.
    ComPtr<SkinOwner> HeldOwner();
    void SetFormFocus();
    void MeFocus();
    // Polls the cursor while it is over a button; stops itself once it has left.
    void tmrButtons_Timer();
    // The mouse handlers all buttons share; they differ in the enablement
    // property they read and the name they store.
    void Button_MouseDown(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*), const wchar_t* name,
                          const wchar_t* procedure, int button);
    void Button_MouseMove(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*), const wchar_t* procedure);
    void Button_MouseUp(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*), const wchar_t* procedure,
                        int button);
    // False when there is no tooltip control or no button window to add it for.
    bool SetTooltip(forms::PictureBox& button, const wchar_t* text);
    // The current store's picture of that index: error 91 without a store, 9 outside it.
    const forms::Picture& Strip(short index);
    // What a button control's surface shows: a frame of a strip at a size.
    struct ButtonLook {
        const forms::Picture* strip = nullptr;
        int frame = -1, width = 0, height = 0;
        bool operator==(const ButtonLook&) const = default;
    };
    // What DrawButtons last painted on a button control, kept per control:
    // the restore button serves two rows of the table.
    ButtonLook& DrawnLook(const forms::PictureBox& box);
    ButtonLook drawn_[5];

    // ---- the buttons' actions: each click is offered to the host first
    void bClose_Click();
    void bRestore_Click();
    void bMinimize_Click();
    void bHelp_Click();
    void bTray_Click();
    void Button_GotFocus(const wchar_t* procedure);
    // The opening every click shares: True when the button is enabled and its
    // event was raised; the host's answer is then in Cancel.
    bool OfferClick(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*),
                    void (SkinOwner::*relay)(VARIANT_BOOL&));
    // The opening of a click that acts: True when the event was raised and the
    // host left Cancel False; a failure ends the procedure through g.
    bool ClickTaken(Guard& g, HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*),
                    void (SkinOwner::*relay)(VARIANT_BOOL&));
    VARIANT_BOOL Cancel = VARIANT_FALSE;  // the host's answer to the last cancellable event
    forms::WindowHandle tooltips_;
    const wchar_t* restoreTip_ = nullptr;  // the restore button's tooltip text as last set

    // MessageSink: the host form's messages. Changes none; cancels only
    // Alt+Space, whose menu it opens below the skin's icon instead.
    void oSubClass_MessageCatched(HWND hwnd, UINT& uMsg, WPARAM& wParam, LPARAM& lParam,
                                  VARIANT_BOOL& cancelMessage) override;
    void KeyMenu(VARIANT_BOOL& cancelMessage);
    void HostSized(Guard& g, long state);
    // Runs the steps under g, each only while the skin is still loaded: a step
    // that pumps messages may see the form closed.
    template <class... Steps>
    bool RunLoaded(Guard& g, Steps... steps) {
        return g.Run([this, steps] {
            if (Loaded()) steps();
        }...);
    }
    void HostActivated(Guard& g, HWND hwnd, DWORD kind);
    // The handler called with a made-up message: long parameter 0, no cancel.
    void MessageToSelf(HWND hwnd, UINT message, WPARAM state);
    // The host's system menu entries, enabled or greyed by the skin's state and the control's properties.
    void SysMenuStates(HMENU menu);
    void SetClassAddress(LONG_PTR address) override { classAddress_ = address; }

    long HostLong(const wchar_t* property);
    void SetHostLong(const wchar_t* property, long value);

    // ---- moving and resizing by the mouse, title clicks, the system menu
    // The resize zone of (MouseX, MouseY): -1 none, 0 left, 1 right, 2 top,
    // 3 bottom, 4 bottom-right, 5 bottom-left, 6 top-right, 7 top-left.
    short GetResizeMode();
    // A finished resize drag from start to end (screen pixels) on a zone.
    void ApplyResize(POINT start, POINT end, short zone);
    // A press that opens the system menu: right in the title band, or left on the icon.
    bool AsksForSysMenu(int button, float x, float y);
    void tmrSysMenu_Timer();
    float MouseX = 0, MouseY = 0;  // pixels: the last press, move or release
    short LastButton = 0;
    short ResizeMode = 0;
    bool ResizeArmed = false;
    POINT ResizeStart{}, ResizeEnd{};  // screen pixels
    bool Moving = false;
    float GrabX = 0, GrabY = 0;  // pixels: where the move took hold
    bool IgnoreNextMouseUp = false;  // the system menu has closed; its release does nothing
    forms::Timer tmrSysMenu;

    bool WindowActive = false;
    std::wstring PressedButton;
    // The close action has begun: should the host's procedure still reach the
    // handler (its unhook failed), the handler only tries the unhook again.
    bool Unloading = false;
    bool InSetMePos = false;   // SetMePos is moving the skin: its resize handling stays out
    bool KeepHostPos = false;  // the skin wraps the host: its resize handling leaves the host where it is
    LONG_PTR classAddress_ = 0;
    int busy_ = 0;
    struct BusyScope {
        explicit BusyScope(frm& f) : skin(f) { ++skin.busy_; }
        ~BusyScope() { --skin.busy_; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;
        frm& skin;
    };
};

// The library-wide current skin: the one the control started last.
frm* SkinWindow();
// A new skin window that becomes the current SkinWindow.
frm* NewSkinWindow();

}  // namespace nimbra
