// The caption buttons: made with the window, their table of properties,
// their place at the right end of the title bar, their looks and the hover poll.
#include "frm.h"

#include <commctrl.h>

#include <algorithm>

#include "../forms/Units.h"

namespace nimbra {

void frm::Form_Load() {
    // The five buttons are made with the window: borderless picture boxes in
    // magenta (the strips' corner colour), 255 twips (17 pixels at 96 dpi) square.
    const int size = static_cast<int>(forms::TwipsToPixelsX(255));
    tooltips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hWnd(), nullptr, nullptr, nullptr));
    struct Made {
        forms::PictureBox& box;
        const wchar_t* tip;
        HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*);
        const wchar_t* name;
        const wchar_t* prefix;
        void (frm::*click)();
    } made[] = {{bClose, L"Schließen", &SkinOwner::get_CloseButtonEnabled, L"close", L"bClose", &frm::bClose_Click},
                {bRestore, nullptr, &SkinOwner::get_MaxButtonEnabled, L"restore", L"bRestore", &frm::bRestore_Click},
                {bMinimize, L"Minimieren", &SkinOwner::get_MinButtonEnabled, L"minimize", L"bMinimize",
                 &frm::bMinimize_Click},
                {bHelp, L"Hilfe", &SkinOwner::get_HelpButtonEnabled, L"help", L"bHelp", &frm::bHelp_Click},
                {bTray, L"Tray", &SkinOwner::get_TrayButtonEnabled, L"tray", L"bTray", &frm::bTray_Click}};
    for (Made& m : made) {
        m.box.Create(hWnd(), 0, 0, size, size);
        m.box.Draw().BackColor = RGB(255, 0, 255);
        m.box.Cls();
        if (m.tip) SetTooltip(m.box, m.tip);
        // The procedure names a report would give, made once: a mouse move over
        // a button is no place to build strings.
        const std::wstring prefix = m.prefix;
        auto enabled = m.enabled;
        const wchar_t* name = m.name;
        m.box.MouseDown = [this, enabled, name, proc = prefix + L"_MouseDown"](int button, int, float, float) {
            Button_MouseDown(enabled, name, proc.c_str(), button);
        };
        m.box.MouseMove = [this, enabled, proc = prefix + L"_MouseMove"](int, int, float, float) {
            Button_MouseMove(enabled, proc.c_str());
        };
        m.box.MouseUp = [this, enabled, proc = prefix + L"_MouseUp"](int button, int, float, float) {
            Button_MouseUp(enabled, proc.c_str(), button);
        };
        m.box.Click = [this, click = m.click] { (this->*click)(); };
        m.box.GotFocus = [this, proc = prefix + L"_GotFocus"] { Button_GotFocus(proc.c_str()); };
    }
    tmrButtons.SetInterval(1);
    tmrButtons.SetEnabled(false);
    tmrButtons.Tick = [this] { tmrButtons_Timer(); };
    tmrSysMenu.SetInterval(100);
    tmrSysMenu.SetEnabled(false);
    tmrSysMenu.Tick = [this] { tmrSysMenu_Timer(); };
}

bool frm::SetTooltip(forms::PictureBox& button, const wchar_t* text) {
    if (!tooltips_ || !button.hWnd()) return false;
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hWnd();
    tool.uId = reinterpret_cast<UINT_PTR>(button.hWnd());
    tool.lpszText = const_cast<LPWSTR>(text);
    // One tool per button: an existing one only gets its new text (the
    // restore button's changes with the state, and a tool added each time
    // would pile up in the tooltip control).
    TOOLINFOW known = tool;
    known.lpszText = nullptr;
    if (SendMessageW(tooltips_.get(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known)))
        SendMessageW(tooltips_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    else
        SendMessageW(tooltips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return true;
}

void frm::InitButtons() {
    Guard(InSkin(L"InitButtons")).Run([&] {
        const CaptionButton rows[] = {{},
                                      {5, &bClose, L"close"},
                                      {6, &bHelp, L"help"},
                                      {7, &bRestore, L"restore"},
                                      {8, &bMinimize, L"minimize"},
                                      {9, &bRestore, L"restore"},
                                      {10, &bTray, L"tray"}};
        for (int i = 1; i <= 6; ++i) Buttons[i] = rows[i];
    });
}

void frm::SetButtonProperties() {
    using Getter = HRESULT (STDMETHODCALLTYPE SkinOwner::*)(VARIANT_BOOL*);
    const std::pair<Getter, Getter> properties[] = {
        {},
        {&SkinOwner::get_CloseButtonEnabled, &SkinOwner::get_CloseButtonVisible},
        {&SkinOwner::get_HelpButtonEnabled, &SkinOwner::get_HelpButtonVisible},
        {&SkinOwner::get_MaxButtonEnabled, &SkinOwner::get_MaxButtonVisible},
        {&SkinOwner::get_MinButtonEnabled, &SkinOwner::get_MinButtonVisible},
        {&SkinOwner::get_MaxButtonEnabled, &SkinOwner::get_MaxButtonVisible},
        {&SkinOwner::get_TrayButtonEnabled, &SkinOwner::get_TrayButtonVisible}};
    // Each property is read in a statement of its own: with the silent switch
    // on, one that fails leaves the rest of the table to be read.
    Guard g(InSkin(L"SetButtonProperties"));
    for (int i = 1; i <= 6; ++i) {
        auto read = [&](Getter getter, bool& field) {
            return g.Run([&] {
                VARIANT_BOOL value = VARIANT_FALSE;
                Check((Owner().*getter)(&value));
                field = value != VARIANT_FALSE;
            });
        };
        if (!read(properties[i].first, Buttons[i].Enabled) || !read(properties[i].second, Buttons[i].Visible))
            return;
    }
}

void frm::LayoutButtons() {
    if (!Loaded()) return;
    // No report: a failing step is skipped and the next one runs.
    const int t = WindowState() == forms::vbMaximized ? 2 : 6;
    auto top = [&](forms::PictureBox& b, int y) { IgnoreErrors([&] { b.Move(b.Left(), y, b.Width(), b.Height()); }); };
    top(bClose, t);
    for (forms::PictureBox* b : {&bRestore, &bMinimize, &bHelp, &bTray}) top(*b, bClose.Top());
    int x = static_cast<int>(ScaleWidth()), gap = t;
    for (int row : {1, 5, 4, 2, 6}) {
        IgnoreErrors([&] {
            forms::PictureBox& b = *Buttons[row].Control;
            b.Move(x - gap - b.Width(), b.Top(), b.Width(), b.Height());
            x = b.Left();
            gap = 2;
        });
    }
    ButtonsLeft = static_cast<float>(x);
}

void frm::SetButtonData() {
    Guard(InSkin(L"SetButtonData"))
        .Run([&] { SetCornersTransparency(); }, [&] { SetButtonProperties(); }, [&] { RoundButtons(); },
             [&] { LayoutButtons(); }, [&] { DrawButtons(); });
}

frm::ButtonLook& frm::DrawnLook(const forms::PictureBox& box) {
    const forms::PictureBox* const controls[] = {&bClose, &bRestore, &bMinimize, &bHelp, &bTray};
    return drawn_[std::find(std::begin(controls), std::end(controls), &box) - std::begin(controls)];
}

bool frm::MouseIn(forms::PictureBox& button) {
    bool inside = false;
    Guard(InSkin(L"MouseIn")).Run([&] {
        if (!button.Enabled()) return;
        RECT r;
        POINT p;
        CheckWin32(GetWindowRect(button.hWnd(), &r));
        GetCursorPos(&p);  // has no failure of its own to report
        // The left column and the top row count as outside.
        inside = r.left < p.x && r.top < p.y && r.right > p.x && r.bottom > p.y;
    });
    return inside;
}

void frm::DrawButtons() {
    if (!Loaded()) return;
    // A step per statement of a row: with the silent switch on, a row that
    // fails leaves the later rows and the tooltip to be drawn.
    Guard g(InSkin(L"DrawButtons"));
    bool tool = false;
    int state = 0;
    if (!g.Run([&] { tool = IsTool(); }, [&] { state = WindowState(); })) return;
    for (int i = 1; i <= 6; ++i) {
        CaptionButton& row = Buttons[i];
        if (!row.Control) continue;
        forms::PictureBox& box = *row.Control;
        bool shown = false;
        const forms::Picture* strip = nullptr;
        const bool ran = g.Run(
            [&] {
                strip = &Strip(row.PictureIndex);
                // Hidden buttons take their size too: the layout keeps their slots at
                // the drawn width (21, or 13 in tool windows).
                if (tool) box.Move(box.Left(), box.Top(), 13, 13);
                else box.Move(box.Left(), box.Top(), strip->Width(), strip->Height() / 8);
            },
            [&] {
                // A tool window shows its close button only, whatever the other properties say.
                box.SetVisible(row.Visible && (!tool || &box == &bClose));
                shown = box.Visible() && !(state == forms::vbMaximized && i == 3) &&
                        !(state == forms::vbNormal && i == 5);
            },
            [&] {
                if (!shown) return;
                if (!strip) Raise(91);
                const int w = strip->Width(), h = strip->Height() / 8;
                const bool inside = MouseIn(box);
                int frame = !row.Enabled                 ? 3
                            : !inside                    ? 0
                            : row.Name == PressedButton  ? 2
                            : PressedButton.empty()      ? 1
                                                         : 0;
                if (!WindowActive) frame += 4;
                // A button that shows this very frame already is left alone: the
                // hover timer and every re-layout call this, and each repaint is a
                // synchronous paint of the button.
                const ButtonLook look{strip, frame, box.Width(), box.Height()};
                ButtonLook& drawn = DrawnLook(box);
                if (look == drawn) return;
                box.Cls();
                box.PaintPicture(*strip, 0, 0, box.Width(), box.Height(), 0, frame * h, w, h);
                box.Refresh();
                drawn = look;
            });
        if (!ran) return;
    }
    g.Run([&] {
        // The hover timer calls this every tick: the text goes to the tooltip
        // control only when the state has changed it.
        const wchar_t* tip = state == forms::vbNormal ? L"Maximieren" : L"Verkleinern";
        if (tip != restoreTip_ && SetTooltip(bRestore, tip)) restoreTip_ = tip;
    });
}

void frm::tmrButtons_Timer() {
    Guard(InSkin(L"tmrButtons_Timer")).Run([&] {
        bool over = false;
        for (int i = 1; i <= 6; ++i)
            if (Buttons[i].Control && MouseIn(*Buttons[i].Control)) over = true;
        SetMousePointer(forms::vbDefault);
        DrawButtons();
        if (!over) tmrButtons.SetEnabled(false);
    });
}

void frm::Button_MouseDown(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*), const wchar_t* name,
                           const wchar_t* procedure, int button) {
    Guard(InSkin(procedure)).Run([&] { SetFormFocus(); }, [&] {
        VARIANT_BOOL on = VARIANT_FALSE;
        Check((Owner().*enabled)(&on));
        if (on && button == forms::vbLeftButton) PressedButton = name;
    });
}

void frm::Button_MouseMove(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*), const wchar_t* procedure) {
    Guard(InSkin(procedure)).Run([&] {
        VARIANT_BOOL on = VARIANT_FALSE;
        Check((Owner().*enabled)(&on));
        if (on) tmrButtons.SetEnabled(true);
    });
}

void frm::Button_MouseUp(HRESULT (STDMETHODCALLTYPE SkinOwner::*enabled)(VARIANT_BOOL*), const wchar_t* procedure,
                         int button) {
    Guard(InSkin(procedure)).Run([&] {
        VARIANT_BOOL on = VARIANT_FALSE;
        Check((Owner().*enabled)(&on));
        if (on && button == forms::vbLeftButton) PressedButton.clear();
    });
}

forms::PictureBox* frm::ButtonOf(DISPID enabledProperty) {
    switch (enabledProperty) {
    case _xpFormId::CloseButtonEnabled: return &bClose;
    case _xpFormId::MaxButtonEnabled: return &bRestore;
    case _xpFormId::MinButtonEnabled: return &bMinimize;
    case _xpFormId::HelpButtonEnabled: return &bHelp;
    case _xpFormId::TrayButtonEnabled: return &bTray;
    default: return nullptr;
    }
}

}  // namespace nimbra
