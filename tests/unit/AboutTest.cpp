// The about window in process, on the test display: what it shows, what closes
// it and what it starts. NimbraHelp.exe, the browser and the mail program are
// played by a stand-in that records how it was started.
#include <windows.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "../../src/about/NimbraAbout.h"
#include "TestSupport.h"

using nimbra::NimbraAbout;

namespace {

// Runs messages until done() or capMs have passed; true when done.
bool WaitFor(const std::function<bool()>& done, DWORD capMs = 20000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > capMs) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void Click(HWND hwnd, int x = 2, int y = 2) {
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    if (IsWindow(hwnd)) SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void Key(HWND hwnd, WPARAM key) {
    PostMessageW(hwnd, WM_KEYDOWN, key, 1);
    PostMessageW(hwnd, WM_KEYUP, key, 0xC0000001);
    WaitFor([] { return !GetQueueStatus(QS_POSTMESSAGE); }, 2000);
}

// The same folder however written: slashes, case, a trailing backslash.
bool SameFolder(const std::wstring& a, const std::wstring& b) {
    auto full = [](const std::wstring& p) {
        wchar_t out[MAX_PATH];
        std::wstring f(out, GetFullPathNameW(p.c_str(), MAX_PATH, out, nullptr));
        while (!f.empty() && f.back() == L'\\') f.pop_back();
        return f;
    };
    return lstrcmpiW(full(a).c_str(), full(b).c_str()) == 0;
}

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p = path;
    return p.substr(0, p.find_last_of(L'\\'));
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
        standIn_ = test::Env(L"NIMBRA_STANDIN");
        ASSERT_FALSE(standIn_.empty()) << "NIMBRA_STANDIN names the stand-in program";
        scratch_ = test::ScratchFolder(L"about");
        log_ = scratch_ + L"\\starts.txt";
        logEnv_ = std::make_unique<test::ScopedEnv>(L"NIMBRA_STANDIN_LOG", log_);
    }
    void TearDown() override {
        if (form_.Loaded()) form_.Unload();
        EXPECT_EQ(test::Boxes().count, 0);
        EXPECT_TRUE(reports_.Reports().empty());
    }
    HWND ShowForm() {
        form_.Show();
        WaitFor([] { return !GetQueueStatus(QS_ALLINPUT); }, 2000);
        return form_.hWnd();
    }
    std::vector<Start> Starts() const {
        std::vector<Start> starts;
        for (const auto& line : test::Split(test::ReadUtf8(log_), L"\n")) {
            const auto f = test::Split(line, L"\t");
            if (f.size() == 3) starts.push_back({f[0], f[1], _wtoi(f[2].c_str())});
        }
        return starts;
    }
    bool WaitForStarts(size_t n) {
        return WaitFor([&] { return Starts().size() >= n; });
    }
    // The stand-in as <folder>\NimbraHelp\NimbraHelp.exe.
    std::wstring InstallHelp(const std::wstring& folder) {
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring help = folder + L"\\NimbraHelp";
        CreateDirectoryW(help.c_str(), nullptr);
        EXPECT_TRUE(CopyFileW(standIn_.c_str(), (help + L"\\NimbraHelp.exe").c_str(), FALSE));
        return help;
    }

    NimbraAbout form_;
    std::wstring standIn_, scratch_, log_;
    std::unique_ptr<test::ScopedEnv> logEnv_;
    test::RecordedReports reports_;
};

TEST_F(About, ABorderlessCentredWindowWithItsTextsLinksAndCursors) {
    const HWND h = ShowForm();
    ASSERT_TRUE(h);
    wchar_t caption[64] = L"";
    GetWindowTextW(h, caption, 64);
    EXPECT_STREQ(caption, L"Nimbra About");
    EXPECT_EQ(GetWindowLongW(h, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_BORDER), 0);
    EXPECT_EQ(GetWindow(h, GW_OWNER), nullptr);
    RECT r;
    GetWindowRect(h, &r);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(std::vector<LONG>({r.left, r.top, r.right - r.left, r.bottom - r.top}),
              std::vector<LONG>({(sw - 400) / 2, (sh - 230) / 2, 400, 230}));
    EXPECT_FALSE(form_.imgBackground.Visible() || form_.imgHand.Visible());

    // Every control shows, wholly inside the window: a position in twips
    // taken for pixels would put it far outside.
    const RECT window{0, 0, 400, 230};
    using Child = nimbra::forms::ChildWindow*;
    for (Child c : std::initializer_list<Child>{&form_.lblKomponente, &form_.imgHelp, &form_.imgText1, &form_.lblAutor,
                                              &form_.Image2, &form_.lblLink[0], &form_.Image3, &form_.lblLink[1]}) {
        RECT got, in;
        GetWindowRect(c->hWnd(), &got);
        MapWindowPoints(nullptr, h, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_TRUE(c->Visible() && IntersectRect(&in, &got, &window) && EqualRect(&in, &got))
            << got.left << "," << got.top << " to " << got.right << "," << got.bottom;
    }

    EXPECT_EQ(form_.lblKomponente.Caption(), L"NimbraForm v2.8.0");  // version 2.08: plain decimal
    SYSTEMTIME now;
    GetLocalTime(&now);
    const std::wstring credit = form_.lblAutor.Caption();
    ASSERT_GT(credit.size(), 5u);
    EXPECT_EQ(credit.substr(credit.size() - 5), L"-" + std::to_wstring(now.wYear)) << credit.c_str();
    EXPECT_EQ(form_.lblLink[0].Tag.rfind(L"http://", 0), 0u);
    EXPECT_EQ(form_.lblLink[1].Tag, L"mailto:" + form_.lblLink[1].Caption());

    // Every text is Tahoma and fits its label on one line.
    for (nimbra::forms::Label* label : {&form_.lblKomponente, &form_.lblAutor, &form_.lblLink[0], &form_.lblLink[1]}) {
        EXPECT_EQ(label->FontName, L"Tahoma");
        HDC dc = GetDC(label->hWnd());
        HFONT font = CreateFontW(-static_cast<int>(std::lround(label->FontSize * GetDeviceCaps(dc, LOGPIXELSY) / 72.0)),
                                 0, 0, 0, label->FontBold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 L"Tahoma");
        HGDIOBJ old = SelectObject(dc, font);
        RECT need{0, 0, 0, 0};
        DrawTextW(dc, label->Caption().c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(label->hWnd(), dc);
        EXPECT_LE(need.right, label->Width()) << "a caption is " << need.right << " pixels wide";
        EXPECT_LE(need.bottom, label->Height());
    }

    // The links and the help icon show the hand, the rest the arrow.
    const HCURSOR hand = form_.imgHand.GetPicture().Icon(), arrow = LoadCursorW(nullptr, IDC_ARROW);
    ASSERT_TRUE(hand);
    const std::pair<HWND, HCURSOR> cursors[] = {{form_.lblLink[0].hWnd(), hand}, {form_.lblLink[1].hWnd(), hand},
                                                {form_.imgHelp.hWnd(), hand},    {form_.lblAutor.hWnd(), arrow},
                                                {form_.imgText1.hWnd(), arrow}};
    for (const auto& [w, cursor] : cursors) {
        SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), cursor) << w;
    }

    // The tagline's ground is clear: the background shows through it.
    HDC screen = GetDC(form_.imgText1.hWnd());
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, form_.imgBackground.GetPicture().Bitmap());
    UpdateWindow(form_.imgText1.hWnd());
    EXPECT_EQ(GetPixel(screen, 1, 1), GetPixel(memory, 160 + 1, 56 + 1));
    EXPECT_EQ(GetPixel(screen, 230, 35), GetPixel(memory, 160 + 230, 56 + 35));
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(form_.imgText1.hWnd(), screen);
}

TEST_F(About, OnlyAClickOnTheWindowOrOnTheTaglineClosesIt) {
    HWND h = ShowForm();
    for (HWND inert : {form_.lblKomponente.hWnd(), form_.lblAutor.hWnd(), form_.Image2.hWnd(), form_.Image3.hWnd()})
        Click(inert);
    // Keys other than F1 do nothing either; F1 with no help program is silent.
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN), WPARAM(VK_SPACE), WPARAM('A'), WPARAM(VK_F2)}) Key(h, key);
    EXPECT_TRUE(form_.Loaded() && IsWindowVisible(h));
    Click(h, 200, 215);  // below the links, nothing but the window there
    EXPECT_FALSE(form_.Loaded());
    EXPECT_FALSE(IsWindow(h));

    h = ShowForm();
    Click(form_.imgText1.hWnd(), 120, 20);
    EXPECT_FALSE(form_.Loaded());
    EXPECT_FALSE(IsWindow(h));
    EXPECT_TRUE(Starts().empty());
}

TEST_F(About, F1AndTheHelpIconStartNimbraHelpFromTheRegisteredFolder) {
    const std::wstring apps = scratch_ + L"\\Programme", help = InstallHelp(apps), withSlash = apps + L"\\";
    test::ScopedValue value(HKEY_CURRENT_USER, L"SOFTWARE\\Nimbra", L"ApplicationsPath", &withSlash);
    const HWND h = ShowForm();
    Key(h, VK_F1);
    ASSERT_TRUE(WaitForStarts(1));
    value.Set(&apps);  // without the backslash, one is added
    Click(form_.imgHelp.hWnd());
    ASSERT_TRUE(WaitForStarts(2));
    auto starts = Starts();
    ASSERT_EQ(starts.size(), 2u);
    for (const Start& s : starts) {
        // HelpPath as written, one backslash before NimbraHelp whether the value had one or not.
        EXPECT_NE(s.command.find(help + L"\\NimbraHelp.exe"), std::wstring::npos) << s.command.c_str();
        EXPECT_EQ(s.command.substr(s.command.size() - 12), L" /NimbraForm") << s.command.c_str();
        EXPECT_TRUE(SameFolder(s.folder, help)) << s.folder.c_str();
        EXPECT_EQ(s.show, SW_SHOWMAXIMIZED);
    }
    EXPECT_TRUE(form_.Loaded());  // starting help leaves the window open

    // No value: the folder NimbraHelp at the root of the current drive. Missing
    // there, nothing starts and nothing is reported; present, it starts.
    value.Set(nullptr);
    wchar_t old[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, old);
    ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\windows"));
    DeleteFileW(L"C:\\NimbraHelp\\NimbraHelp.exe");
    Click(form_.imgHelp.hWnd());
    Key(h, VK_F1);
    InstallHelp(L"C:");
    Click(form_.imgHelp.hWnd());
    const bool started = WaitForStarts(3);
    DeleteFileW(L"C:\\NimbraHelp\\NimbraHelp.exe");
    RemoveDirectoryW(L"C:\\NimbraHelp");
    SetCurrentDirectoryW(old);
    ASSERT_TRUE(started);
    starts = Starts();
    ASSERT_EQ(starts.size(), 3u);  // the two tries before the program was there started nothing
    EXPECT_NE(starts[2].command.find(L"\\NimbraHelp\\NimbraHelp.exe"), std::wstring::npos);
    EXPECT_TRUE(SameFolder(starts[2].folder, L"C:\\NimbraHelp")) << starts[2].folder.c_str();
}

TEST_F(About, TheLinksOpenTheirTagsInTheLibrarysFolder) {
    const std::wstring handler = L"\"" + standIn_ + L"\" \"%1\"";
    test::ScopedValue web(HKEY_CLASSES_ROOT, L"http\\shell\\open\\command", L"", &handler);
    test::ScopedValue mail(HKEY_CLASSES_ROOT, L"mailto\\shell\\open\\command", L"", &handler);
    ShowForm();
    for (size_t i = 0; i < 2; ++i) {
        Click(form_.lblLink[i].hWnd());
        ASSERT_TRUE(WaitForStarts(i + 1));
    }
    const auto starts = Starts();
    ASSERT_EQ(starts.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_NE(starts[i].command.find(L"\"" + form_.lblLink[i].Tag + L"\""), std::wstring::npos)
            << starts[i].command.c_str();
        EXPECT_TRUE(SameFolder(starts[i].folder, ModuleFolder())) << starts[i].folder.c_str();
        EXPECT_EQ(starts[i].show, SW_SHOWNORMAL);
    }
    EXPECT_TRUE(form_.Loaded());
}

}  // namespace
