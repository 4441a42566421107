#include "NimbraAbout.h"

#include <shellapi.h>
#include <wrl/client.h>

#include <memory>

#include "../Resources.h"
#include "../com/AppObject.h"
#include "../com/LateBound.h"
#include "../com/Module.h"
#include "../errors/basError.h"
#include "../forms/Text.h"
#include "../forms/Units.h"

namespace nimbra {
namespace {

using forms::Picture;

void Style(forms::Label& label, const std::wstring& text, COLORREF color, bool bold, bool underline) {
    label.FontName = L"Tahoma";
    label.FontSize = bold ? 9.0f : 8.0f;
    label.ForeColor = color;
    label.FontBold = bold;
    label.FontUnderline = underline;
    label.SetCaption(text);
}

constexpr COLORREF kText = RGB(255, 255, 255), kLink = RGB(214, 230, 255);

}  // namespace

void NimbraAbout::Form_Load() {
    const HMODULE module = ModuleHandle();
    SetCaption(L"Nimbra About");
    const Picture background = Picture::BitmapResource(module, IDB_ABOUT_BACKGROUND);
    imgBackground.Create(hWnd(), 0, 0, 1, 1);
    imgBackground.SetVisible(false);
    imgBackground.SetPicture(background);  // takes the picture's size
    SetWidth(forms::PixelsToTwipsX(imgBackground.Width()));
    SetHeight(forms::PixelsToTwipsY(imgBackground.Height()));
    SetLeft((forms::ScreenWidth() - Width()) / 2);
    SetTop((forms::ScreenHeight() - Height()) / 2);
    // The picture is the window's own background: labels and icons show it through.
    Draw().PaintPicture(background, 0, 0, background.Width(), background.Height());

    lblKomponente.Create(hWnd(), 24, 8, 121, 23);
    imgHelp.Create(hWnd(), 368, 8, 24, 24);
    imgText1.Create(hWnd(), 160, 56, 240, 40);
    lblAutor.Create(hWnd(), 64, 112, 131, 18);
    Image2.Create(hWnd(), 40, 144, 16, 16);
    lblLink[0].Create(hWnd(), 64, 144, 258, 18);
    Image3.Create(hWnd(), 40, 168, 16, 16);
    lblLink[1].Create(hWnd(), 64, 168, 215, 18);
    imgHand.Create(hWnd(), 0, 0, 32, 32);
    imgHand.SetVisible(false);

    imgHelp.SetPicture(Picture::IconResource(module, IDI_ABOUT_HELP, 24));
    imgText1.SetPicture(Picture::BitmapResource(module, IDB_ABOUT_TAGLINE));
    Image2.SetPicture(Picture::IconResource(module, IDI_ABOUT_HOUSE, 16));
    Image3.SetPicture(Picture::IconResource(module, IDI_ABOUT_MAIL, 16));
    imgHand.SetPicture(Picture::CursorResource(module, IDC_ABOUT_HAND));

    const LibraryInfo& library = ThisLibrary();
    Style(lblKomponente, library.exeName + L" v" + library.Version(), kText, true, false);
    SYSTEMTIME now;
    GetLocalTime(&now);
    Style(lblAutor, L"© Nimbra 2004-" + std::to_wstring(now.wYear), kText, false, false);
    Style(lblLink[0], L"www.nimbra-software.example", kLink, false, true);
    lblLink[0].Tag = L"http://www.nimbra-software.example/";
    Style(lblLink[1], L"info@nimbra-software.example", kLink, false, true);
    lblLink[1].Tag = L"mailto:info@nimbra-software.example";

    for (forms::ChildWindow* pointing : {static_cast<forms::ChildWindow*>(&lblLink[0]),
                                         static_cast<forms::ChildWindow*>(&lblLink[1]),
                                         static_cast<forms::ChildWindow*>(&imgHelp)}) {
        pointing->MouseIcon = imgHand.GetPicture();
        pointing->MousePointer = forms::vbCustom;
    }
    imgHelp.Click = [this] { imgHelp_Click(); };
    imgText1.Click = [this] { imgText1_Click(); };
    lblLink[0].Click = [this] { lblLink_Click(0); };
    lblLink[1].Click = [this] { lblLink_Click(1); };
}

void NimbraAbout::Form_Click() { Unload(); }

void NimbraAbout::imgText1_Click() { Unload(); }

void NimbraAbout::Form_KeyDown(int& KeyCode, int Shift) {
    if (KeyCode == VK_F1) imgHelp_Click();
}

void NimbraAbout::imgHelp_Click() {
    // Whether the help program is there is not looked at: a missing one is silent.
    const std::wstring path = HelpPath();
    ShellExecuteA(hWnd(), "Open", forms::Narrow(path + L"NimbraHelp.exe").c_str(), forms::Narrow(L"/" + ThisLibrary().exeName).c_str(),
                  forms::Narrow(path).c_str(), SW_SHOWMAXIMIZED);
}

void NimbraAbout::lblLink_Click(int Index) {
    // The default browser or mail program, or silently nothing.
    ShellExecuteA(hWnd(), "Open", forms::Narrow(lblLink[Index].Tag).c_str(), "", forms::Narrow(ThisLibrary().path).c_str(),
                  SW_SHOWNORMAL);
}

std::wstring NimbraAbout::HelpPath() {
    // No value gives "\NimbraHelp\": the folder at the root of the current drive.
    std::wstring path = ReadRegistryValue(L"HKCU\\SOFTWARE\\Nimbra\\ApplicationsPath");
    if (path.empty() || path.back() != L'\\') path += L'\\';
    return path + L"NimbraHelp\\";
}

std::wstring NimbraAbout::ReadRegistryValue(const std::wstring& path) {
    // Through the scripting shell object, as the product family's other
    // programs read it; any failure is an empty value.
    std::wstring value;
    IgnoreErrors([&] {
        CLSID clsid;
        Check(CLSIDFromProgID(L"WScript.Shell", &clsid));
        Microsoft::WRL::ComPtr<IDispatch> shell;
        Check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_PPV_ARGS(&shell)));
        Variant name;
        name.vt = VT_BSTR;
        name.bstrVal = SysAllocStringLen(path.data(), static_cast<UINT>(path.size()));
        Variant result, text;
        CallByName(shell.Get(), L"RegRead", {name}, &result);
        Check(VariantChangeType(&text, &result, 0, VT_BSTR));
        value.assign(text.bstrVal, SysStringLen(text.bstrVal));
    });
    return value;
}

bool ShowNimbraAbout() {
    // One about window for the library; a new one once the last was unloaded.
    static std::unique_ptr<NimbraAbout> form;
    if (!form || !form->Loaded()) form = std::make_unique<NimbraAbout>();
    return form->Show(forms::vbModal);
}

}  // namespace nimbra
