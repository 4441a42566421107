// The skin window frm: a borderless window that lies exactly around the host
// form, hooks its window procedure and paints and operates the XP look.
// Sizes inside are pixels; Left/Top/Width/Height of both windows are twips.
#pragma once
#include <oaidl.h>

#include <string>

#include "../com/ComObject.h"
#include "../forms/Form.h"
#include "../forms/Picture.h"
#include "../subclass/clsFormSubclass.h"

namespace nimbra {

class xpForm;

class frm final : public forms::Form, private MessageSink {
public:
    frm();
    ~frm() override;

    // ---- attach
    void SetUCParent(IDispatch* prnt);
    void LoadForm();
    void RefreshForm();
    LONG_PTR ClassAddress() const { return classAddress_; }

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
    const PictureStore* DrawObj = nullptr;
    COLORREF CaptionColor = 0, InactiveCaptionColor = 0, CaptionShadowColor = 0;

    // ---- frame metrics, shape and transparency
    void SetFrameMetrics();
    bool IsTool();
    void KillBorder();
    void SetCornersTransparency();

    // ---- placement
    void PlaceHostForm();
    void SetMePos();
    void LockWinPos();

    // ---- state other parts of the skin read and set
    ComPtr<IDispatch> HostForm;
    ComPtr<xpForm> OwnerControl;
    ComPtr<clsFormSubclass> oSubClass;
    bool WindowActive = false;
    bool InSetMePos = false;
    bool KeepHostPos = false;
    float TitleHeight = 0;  // pixels
    float BorderWidth = 0;  // pixels

    HWND HostHwnd();  // the host form's window, read late bound

protected:
    void Form_Activate() override;
    void Form_GotFocus() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Resize() override;
    void Form_Unload(int& cancel) override;

private:
    void SetFormFocus();
    void MeFocus();
    // The pieces the drawing, outline and caption buttons add. Called from
    // their places already; until those parts of the skin exist they paint
    // nothing and the host keeps its own border.
    void InitButtons() {}
    void RoundButtons() {}
    void LayoutButtons() {}
    void SetButtonData() {}
    void DrawButtons() {}

    // MessageSink: the host form's messages; the skin follows them in a later step.
    void oSubClass_MessageCatched(HWND, UINT&, WPARAM&, LPARAM&, VARIANT_BOOL&) override {}
    void SetClassAddress(LONG_PTR address) override { classAddress_ = address; }

    long HostLong(const wchar_t* property);
    void SetHostLong(const wchar_t* property, long value);

    LONG_PTR classAddress_ = 0;
};

}  // namespace nimbra
