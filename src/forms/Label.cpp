#include "Controls.h"

#include "Handles.h"

namespace nimbra::forms {

void Label::SetCaption(const std::wstring& text) {
    caption_ = text;
    if (HWND hwnd = hWnd()) {
        SetWindowTextW(hwnd, text.c_str());  // readable from outside, as any window text
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void Label::Paint(HDC dc, const RECT& area) {
    PaintParentBackground(dc);
    if (caption_.empty()) return;
    GdiObject<HFONT> font(MakeFont(dc, FontName, FontSize, FontBold, FontUnderline));
    Selection selectFont(dc, font.get());
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldColor = SetTextColor(dc, ForeColor);
    RECT client{};
    GetClientRect(hWnd(), &client);
    // Captions are titles shown as they are: an '&' is a character, not a mnemonic.
    DrawTextW(dc, caption_.c_str(), static_cast<int>(caption_.size()), &client, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SetTextColor(dc, oldColor);
    SetBkMode(dc, oldMode);
}

}  // namespace nimbra::forms
