#include "HostForm.h"

#include <olectl.h>

#include "ControlSite.h"
#include "FormBag.h"
#include "FormObject.h"
#include "forms/Units.h"

namespace nimbra::host {
namespace {

// Window styles of the classic BorderStyle values; 2 (sizable) when absent or unknown.
void StylesFor(long borderStyle, DWORD& style, DWORD& exStyle) {
    exStyle = 0;
    switch (borderStyle) {
    case 0: style = WS_POPUP; break;
    case 1: style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; break;
    case 3: style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME; exStyle = WS_EX_DLGMODALFRAME; break;
    case 4: style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU; exStyle = WS_EX_TOOLWINDOW; break;
    case 5: style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; exStyle = WS_EX_TOOLWINDOW; break;
    default: style = WS_OVERLAPPEDWINDOW; break;
    }
    style |= WS_CLIPCHILDREN;
}

}  // namespace

HostForm::HostForm(Block& block, const HostOptions& options) : block_(block), options_(options) {}

HostForm::~HostForm() {
    if (object_) object_->Detach();
    if (Loaded()) Unload(forms::vbFormCode);
}

IDispatch* HostForm::Object() {
    if (!object_) object_ = Make<FormObject>(this);
    return object_.Get();
}

void HostForm::SetIcon(IPictureDisp* picture) {
    icon = picture;
    ShowIcon(hWnd(), picture);
}

bool HostForm::Create(std::vector<std::wstring>& errors) {
    DWORD style, exStyle;
    StylesFor(block_.NumberOr("BorderStyle", 2), style, exStyle);
    const std::wstring name(block_.name.begin(), block_.name.end());
    // An MDI parent form holds the MDI child forms (MDIChild = True) in its client.
    const bool mdiChild = block_.NumberOr("MDIChild", 0) != 0;
    if (mdiChild && !options_.mdiClient) {
        errors.push_back(L"Das MDI-Kindformular " + name + L" braucht ein MDI-Formular.");
        return false;
    }
    const bool made = block_.type == "VB.MDIForm" ? LoadMdiFrame(style)
                      : mdiChild                  ? LoadMdiChild(options_.mdiClient, style | WS_CHILD)
                                                  : Load(style, exStyle);
    if (!made) {
        errors.push_back(L"Das Formular " + name + L" kann nicht erzeugt werden.");
        return false;
    }
    // ClientLeft/ClientTop/ClientWidth/ClientHeight place the inside of the form (twips).
    RECT r{forms::TwipsToPixelsX(block_.NumberOr("ClientLeft", 1500)),
           forms::TwipsToPixelsY(block_.NumberOr("ClientTop", 1500)), 0, 0};
    r.right = r.left + forms::TwipsToPixelsX(block_.NumberOr("ClientWidth", 4680));
    r.bottom = r.top + forms::TwipsToPixelsY(block_.NumberOr("ClientHeight", 3195));
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    Move(forms::PixelsToTwipsX(r.left < 0 ? 0 : r.left), forms::PixelsToTwipsY(r.top < 0 ? 0 : r.top),
         forms::PixelsToTwipsX(r.right - r.left), forms::PixelsToTwipsY(r.bottom - r.top));
    if (const Value* caption = block_.Find("Caption")) SetCaption(caption->text);
    if (const Value* iconValue = block_.Find("Icon"); iconValue && iconValue->kind == Value::Kind::Frx) {
        ComPtr<IPictureDisp> picture;
        if (SUCCEEDED(LoadPicture(iconValue->PictureData(), &picture))) SetIcon(picture.Get());
        else errors.push_back(L"Das Symbol des Formulars kann nicht gelesen werden.");
    }
    loadedIcon_ = icon.Get();

    for (Block* child : block_.Children()) {
        const long x = forms::TwipsToPixelsX(child->NumberOr("Left", 0));
        const long y = forms::TwipsToPixelsY(child->NumberOr("Top", 0));
        const long w = forms::TwipsToPixelsX(child->NumberOr("Width", 1215));
        const long h = forms::TwipsToPixelsY(child->NumberOr("Height", 495));
        const Value* text = child->Find("Caption");
        const std::wstring caption = text ? text->text : L"";
        // The classic intrinsic controls are drawn for the look; they are not ActiveX controls.
        if (child->type == "VB.CommandButton" || child->type == "VB.Label") {
            HWND plain = CreateWindowExW(0, child->type == "VB.Label" ? L"STATIC" : L"BUTTON", caption.c_str(),
                                         WS_CHILD | WS_VISIBLE, x, y, w, h, hWnd(), nullptr, nullptr, nullptr);
            if (plain) {
                SendMessageW(plain, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
                plainControls_.push_back(plain);
            }
            continue;
        }
        CLSID clsid;
        std::wstring type(child->type.begin(), child->type.end());
        if (FAILED(CLSIDFromProgID(type.c_str(), &clsid))) continue;  // kept in the file as it is
        ComPtr<ControlSite> site = Make<ControlSite>(this, *child);
        std::wstring error;
        if (site->Create(error)) controls_.push_back(site);
        else errors.push_back(error);
    }
    modified = false;
    return true;
}

HRESULT HostForm::SaveTo(std::vector<std::wstring>& errors) {
    const std::wstring caption = Caption();
    const Value* stored = block_.Find("Caption");
    if (!stored || stored->text != caption) block_.Set("Caption", Value::String(caption));
    if (icon.Get() != loadedIcon_) {
        std::vector<unsigned char> image;
        if (!icon) block_.Remove("Icon");
        else if (SUCCEEDED(SavePicture(icon.Get(), image))) block_.Set("Icon", Value::Picture(image));
        else errors.push_back(L"Das Symbol des Formulars kann nicht gespeichert werden.");
    }
    HRESULT first = S_OK;
    for (const auto& site : controls_) {
        const HRESULT hr = site->Save();
        if (FAILED(hr)) {
            errors.push_back(L"Steuerelement " + std::wstring(site->Properties().name.begin(),
                                                               site->Properties().name.end()) +
                             L": Eigenschaften konnten nicht gespeichert werden.");
            if (SUCCEEDED(first)) first = hr;
        }
    }
    return first;
}

void HostForm::Adopt(ControlSite* site) { controls_.push_back(site); }

void HostForm::Form_Unload(int&) {
    // An MDI parent form's children end first, as its own end would destroy their windows.
    if (HWND client = MdiClient()) {
        const auto all = forms::LoadedForms();
        for (forms::Form* f : all)
            if (f != this && f->Loaded() && ::GetParent(f->hWnd()) == client) f->Unload(forms::vbFormMDIForm);
    }
    // A form's end: its controls end with it, and the last form ends the application.
    for (const auto& site : controls_) site->Close();
    controls_.clear();
    for (HWND plain : plainControls_) DestroyWindow(plain);
    plainControls_.clear();
    if (forms::LoadedForms().size() <= 1) PostQuitMessage(0);
}

}  // namespace nimbra::host
