// The about window: what it shows, what closes it and what it starts (a stand-in program
// plays NimbraHelp.exe, the browser and the mail program, and records its starts).
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../../src/about/NimbraAbout.h"
#include "../../src/forms/Units.h"
#include "TestSupport.h"

using nimbra::NimbraAbout;

namespace {

void Click(HWND hwnd, int x = 2, int y = 2) {
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    if (IsWindow(hwnd)) SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// The same folder however written: slashes, case, a trailing backslash.
bool SameFolder(std::wstring a, std::wstring b) {
    for (std::wstring* p : {&a, &b}) {
        wchar_t full[MAX_PATH];
        p->assign(full, GetFullPathNameW(p->c_str(), MAX_PATH, full, nullptr));
        while (!p->empty() && p->back() == L'\\') p->pop_back();
    }
    return lstrcmpiW(a.c_str(), b.c_str()) == 0;
}

// One start of the stand-in: its command line, working directory and show command.
struct Start {
    std::wstring command, folder;
    int show;
};

class About : public testing::Test {
protected:
    void SetUp() override {
        test::ResetBoxes();
        SetCursorPos(1270, 1010);
        ASSERT_FALSE(standIn_.empty()) << "NIMBRA_STANDIN names the stand-in program";
    }
    void TearDown() override {
        if (form_.Loaded()) form_.Unload();
        EXPECT_EQ(test::Boxes().count, 0);
        EXPECT_TRUE(reports_.Reports().empty());
    }
    HWND ShowForm() {
        form_.Show();
        nimbra::forms::RunUntilQuiet(50, 2000);
        return form_.hWnd();
    }
    // What the stand-in recorded, once it has n starts or 20 s have passed.
    std::vector<Start> Starts(size_t n = 0) const {
        const DWORD begin = GetTickCount();
        for (;;) {
            std::vector<Start> starts;
            for (const auto& line : test::Split(test::ReadUtf8(log_), L"\n")) {
                const auto f = test::Split(line, L"\t");
                if (f.size() == 3) starts.push_back({f[0], f[1], _wtoi(f[2].c_str())});
            }
            if (starts.size() >= n || GetTickCount() - begin > 20000) return starts;
            nimbra::forms::RunFor(20);
        }
    }
    // The stand-in as <folder>\NimbraHelp\NimbraHelp.exe.
    std::wstring InstallHelp(const std::wstring& folder) {
        const std::wstring help = folder + L"\\NimbraHelp";
        std::filesystem::create_directories(help);
        EXPECT_TRUE(CopyFileW(standIn_.c_str(), (help + L"\\NimbraHelp.exe").c_str(), FALSE));
        return help;
    }

    NimbraAbout form_;
    const std::wstring standIn_ = test::Env(L"NIMBRA_STANDIN"), scratch_ = test::ScratchFolder(L"about"),
                       log_ = scratch_ + L"\\starts.txt";
    test::ScopedEnv logEnv_{L"NIMBRA_STANDIN_LOG", log_};
    test::RecordedReports reports_;
};

// A borderless centred window with its texts, links and cursors; only a click on the
// window itself (about.sh's, with the real mouse) or on the tagline closes it.
TEST_F(About, WhatTheWindowShowsAndWhatClosesIt) {
    const HWND h = ShowForm();
    ASSERT_TRUE(h);
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
    EXPECT_EQ(GetWindow(h, GW_OWNER), nullptr);
    EXPECT_FALSE(form_.imgBackground.Visible() || form_.imgHand.Visible());
    const RECT r = test::WindowRect(h);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);

    // The library's name is its file's, here the test program's; version 2.08 in plain decimal.
    EXPECT_EQ(form_.lblKomponente.Caption(), L"about_unit v2.8.0");
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_EQ(form_.lblAutor.Caption(), L"© Nimbra 2004-" + std::to_wstring(now.wYear));

    // The links and the help icon show the hand, the rest the arrow.
    const HCURSOR hand = form_.imgHand.GetPicture().Icon(), arrow = LoadCursorW(nullptr, IDC_ARROW);
    ASSERT_TRUE(hand);
    for (HWND w : {form_.lblLink[0].hWnd(), form_.lblLink[1].hWnd(), form_.imgHelp.hWnd(), form_.lblAutor.hWnd()}) {
        SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), w == form_.lblAutor.hWnd() ? arrow : hand) << w;
    }

    // The tagline's ground is clear: the background shows through it; its letters show.
    const HWND tagline = form_.imgText1.hWnd();
    POINT at{0, 0};
    MapWindowPoints(tagline, h, &at, 1);
    UpdateWindow(tagline);
    HDC screen = GetDC(tagline);
    const auto showsBackground = [&](int x, int y) {
        return GetPixel(screen, x, y) == GetPixel(form_.Draw().hDC(), at.x + x, at.y + y);
    };
    EXPECT_TRUE(showsBackground(1, 1) && showsBackground(230, 35));
    int letters = 0;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 240; ++x) letters += !showsBackground(x, y);
    EXPECT_GT(letters, 100);
    ReleaseDC(tagline, screen);

    // Clicks on the texts and icons leave the window open.
    for (HWND inert : {form_.lblKomponente.hWnd(), form_.lblAutor.hWnd(), form_.Image2.hWnd(), form_.Image3.hWnd()})
        Click(inert);
    // Nor do keys; F1 with no help program at the root of the drive is silent.
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN), WPARAM(VK_SPACE), WPARAM('A'), WPARAM(VK_F1)})
        SendMessageW(h, WM_KEYDOWN, key, 1);
    EXPECT_TRUE(form_.Loaded() && IsWindowVisible(h));
    Click(form_.imgText1.hWnd(), 120, 20);
    EXPECT_FALSE(form_.Loaded() || IsWindow(h));
    EXPECT_TRUE(Starts().empty());
}

// F1 and the help icon start NimbraHelp maximised in its folder (registry, with or without
// a closing backslash); the links start browser and mail in the library's folder.
TEST_F(About, TheHelpProgramAndTheLinksStartAsTheyShould) {
    const std::wstring apps = scratch_ + L"\\Programme", help = InstallHelp(apps), withSlash = apps + L"\\";
    test::ScopedValue value(HKEY_CURRENT_USER, L"SOFTWARE\\Nimbra", L"ApplicationsPath", &withSlash);
    const std::wstring handler = L"\"" + standIn_ + L"\" \"%1\"";
    test::ScopedValue web(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", &handler);
    test::ScopedValue mail(HKEY_CLASSES_ROOT, L"mailto\\shell\\open\\command", L"", &handler);
    const HWND h = ShowForm();
    SendMessageW(h, WM_KEYDOWN, VK_F1, 1);
    ASSERT_EQ(Starts(1).size(), 1u);
    value.Set(&apps);
    Click(form_.imgHelp.hWnd());
    auto starts = Starts(2);
    ASSERT_EQ(starts.size(), 2u);
    for (const Start& s : starts) {
        EXPECT_NE(s.command.find(help + L"\\NimbraHelp.exe"), std::wstring::npos) << s.command.c_str();
        EXPECT_EQ(s.command.substr(s.command.size() - 12), L" /about_unit") << s.command.c_str();
        EXPECT_TRUE(SameFolder(s.folder, help)) << s.folder.c_str();
        EXPECT_EQ(s.show, SW_SHOWMAXIMIZED);
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    *wcsrchr(self, L'\\') = 0;
    for (size_t i = 0; i < 2; ++i) {
        Click(form_.lblLink[i].hWnd());
        starts = Starts(3 + i);
        ASSERT_EQ(starts.size(), 3 + i);
        const Start& s = starts[2 + i];
        EXPECT_NE(s.command.find(L"\"" + form_.lblLink[i].Tag + L"\""), std::wstring::npos) << s.command.c_str();
        EXPECT_TRUE(SameFolder(s.folder, self)) << s.folder.c_str();
        EXPECT_EQ(s.show, SW_SHOWNORMAL);
    }
    EXPECT_TRUE(form_.Loaded());

    // No value: the folder NimbraHelp at the root of the current drive.
    value.Set(nullptr);
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\windows"));
    InstallHelp(L"C:");
    Click(form_.imgHelp.hWnd());
    const auto last = Starts(5);
    DeleteFileW(L"C:\\NimbraHelp\\NimbraHelp.exe");
    RemoveDirectoryW(L"C:\\NimbraHelp");
    SetCurrentDirectoryW(old);
    ASSERT_EQ(last.size(), 5u);
    EXPECT_NE(last[4].command.find(L"\\NimbraHelp\\NimbraHelp.exe"), std::wstring::npos);
    EXPECT_TRUE(SameFolder(last[4].folder, L"C:\\NimbraHelp")) << last[4].folder.c_str();
}

}  // namespace
