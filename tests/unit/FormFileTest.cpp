// The form file reader and writer: the samples round trip byte for byte,
// every kind of value reads back, edits come out in the IDE's layout, and
// broken files are reported with their line.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <map>
#include <random>

#include "FormFile.h"

using nimbra::host::Block;
using nimbra::host::FormFile;
using nimbra::host::FormFileError;
using nimbra::host::Value;

namespace {

std::wstring Sample(const wchar_t* name) { return std::wstring(L"" NIMBRA_SAMPLES L"/") + name; }

std::string ReadBytes(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open a file the test needs";
        return {};
    }
    std::string data(GetFileSize(h, nullptr), '\0');
    DWORD got = 0;
    ReadFile(h, data.data(), static_cast<DWORD>(data.size()), &got, nullptr);
    CloseHandle(h);
    return data;
}

std::string U8(const std::wstring& w) {
    std::string s(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, s.data(), static_cast<int>(s.size()), nullptr, nullptr);
    s.pop_back();
    return s;
}

// Lines as the IDE ends them. Strings in the tests are code page 1252 bytes.
std::string Crlf(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines) s += std::string(l) + "\r\n";
    return s;
}

using FrxFiles = std::map<std::wstring, std::string>;

FormFile ParseWith(const std::string& text, const FrxFiles& frx = {}) {
    auto read = [frx](const std::wstring& name) -> std::optional<std::string> {
        auto it = frx.find(name);
        if (it == frx.end()) return std::nullopt;
        return it->second;
    };
    return FormFile::Parse(text, L"C:\\Formulare\\Test.frm", read);
}

FormFileError ErrorOf(const std::string& text, const FrxFiles& frx = {}) {
    try {
        ParseWith(text, frx);
    } catch (const FormFileError& e) {
        return e;
    }
    ADD_FAILURE() << "the text was accepted";
    return {};
}

std::string Blob(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string PictureBlob(const std::string& image) {
    uint32_t n = static_cast<uint32_t>(image.size());
    return Blob({'l', 't', 0, 0}) + std::string(reinterpret_cast<const char*>(&n), 4) + image;
}

// A folder of its own under %TEMP%, emptied when the test ends.
class Scratch {
public:
    Scratch() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"nimbra-formfile-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(dir_.c_str(), nullptr);
    }
    ~Scratch() {
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir_ + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do DeleteFileW((dir_ + L"\\" + fd.cFileName).c_str());
            while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        RemoveDirectoryW(dir_.c_str());
    }
    std::wstring operator/(const wchar_t* name) const { return dir_ + L"\\" + name; }

private:
    std::wstring dir_;
};

}  // namespace

TEST(FormFileSamples, RenderGivesBackTheFilesByteForByte) {
    for (const wchar_t* name : {L"Kunden", L"Einfach"}) {
        std::wstring frm = Sample((std::wstring(name) + L".frm").c_str());
        FormFile f = FormFile::Load(frm);
        std::string frx;
        EXPECT_EQ(f.Render(std::wstring(name) + L".frx", frx), ReadBytes(frm)) << U8(name);
        if (name == std::wstring(L"Kunden")) EXPECT_EQ(frx, ReadBytes(Sample(L"Kunden.frx")));
        else EXPECT_TRUE(frx.empty());
    }
}

TEST(FormFileSamples, KundenReadsAsWrittenAndItsIconLoads) {
    FormFile f = FormFile::Load(Sample(L"Kunden.frm"));
    const Block& form = f.Form();
    EXPECT_EQ(form.Find("caption")->text, L"Kundendaten \"Müller\"");  // names in any case
    ASSERT_EQ(form.Children().size(), 2u);
    EXPECT_EQ(form.Children()[0]->Find("Caption")->text, L"Kundendaten – Übersicht");
    EXPECT_EQ(f.tailLines.front(), "Attribute VB_Name = \"Kunden\"");

    std::vector<unsigned char> ico = form.Find("Icon")->PictureData();
    std::string onDisk = ReadBytes(Sample(L"Kunden.frx")).substr(8);
    ASSERT_EQ(std::string(ico.begin(), ico.end()), onDisk);
    // What the container will do with it: pick the image from the directory and make an icon.
    int at = LookupIconIdFromDirectoryEx(ico.data(), TRUE, 32, 32, LR_DEFAULTCOLOR);
    ASSERT_GT(at, 0);
    HICON icon = CreateIconFromResourceEx(ico.data() + at, static_cast<DWORD>(ico.size() - at), TRUE, 0x00030000,
                                          32, 32, LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
}

TEST(FormFileSamples, SaveUnderANewNameCarriesThePictureAlong) {
    Scratch dir;
    FormFile original = FormFile::Load(Sample(L"Kunden.frm"));
    original.Save(dir / L"Neu.frm");
    EXPECT_EQ(ReadBytes(dir / L"Neu.frx"), ReadBytes(Sample(L"Kunden.frx")));

    FormFile copy = FormFile::Load(dir / L"Neu.frm");
    EXPECT_EQ(copy.Form().Find("Icon")->frxFile, L"Neu.frx");
    EXPECT_EQ(copy.Form().Find("Icon")->PictureData(), original.Form().Find("Icon")->PictureData());
    // Only the reference changed; it is the one line that differs.
    std::string frm = ReadBytes(Sample(L"Kunden.frm")), saved = ReadBytes(dir / L"Neu.frm");
    size_t at = frm.find("\"Kunden.frx\":0000");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(saved, frm.substr(0, at) + "\"Neu.frx\":0000" + frm.substr(at + 17));

    // A picture the container sets on a form that had none gets a .frx of its own.
    FormFile plain = FormFile::Load(Sample(L"Einfach.frm"));
    std::vector<unsigned char> ico = original.Form().Find("Icon")->PictureData();
    plain.Form().Set("Icon", Value::Picture(ico));
    plain.Save(dir / L"MitIcon.frm");
    FormFile reloaded = FormFile::Load(dir / L"MitIcon.frm");
    EXPECT_EQ(reloaded.Form().Find("Icon")->PictureData(), ico);
    EXPECT_NE(ReadBytes(dir / L"MitIcon.frm").find("   Icon            =   \"MitIcon.frx\":0000\r\n"
                                                   "   Begin NimbraForm.xpForm xpForm1 \r\n"),
              std::string::npos);

    EXPECT_THROW(FormFile::Load(dir / L"Fehlt.frm"), FormFileError);
}

TEST(FormFileValues, EveryKindReadsBack) {
    std::string frx = PictureBlob("BM-image-12") + Blob({2, 0, 3, 0, 'a', 'b', 'c', 3, 0, 'd', 'e', 'f'}) +
                      Blob({5, 0, 0, 0, 'H', 'a', 'l', 'l', 'o'});
    ASSERT_EQ(frx.size(), 0x28u);
    std::string text = Crlf({
        "VERSION 5.00",
        "Begin VB.Form F ",
        "   Caption         =   \"Sag \"\"Gr\xFC\xDF Gott\"\"\"",
        "   BackColor       =   &H8000000F&",
        "   ForeColor       =   &H00FF0000&",
        "   Short           =   &HFFFF",
        "   Left            =   -120",
        "   Size            =   8.25",
        "   Visible         =   -1  'True",
        "   BorderStyle     =   4  'Festes Werkzeugfenster",
        "   Icon            =   \"F.frx\":0000",
        "   List            =   \"F.frx\":0013",
        "   Text            =   $\"F.frx\":001F",
        "   Tag             =   {ABC} x",
        "End",
    });
    FormFile f = ParseWith(text, {{L"F.frx", frx}});
    const Block& form = f.Form();
    // A system colour is a negative Long; without '&' a short literal is an Integer.
    const std::pair<const char*, double> numbers[] = {{"BackColor", -2147483633.0}, {"ForeColor", 16711680.0},
                                                      {"Short", -1.0}, {"Left", -120.0}, {"Size", 8.25},
                                                      {"Visible", -1.0}};
    double n = 0;
    for (auto [name, expected] : numbers) {
        const Value* v = form.Find(name);
        ASSERT_TRUE(v && v->kind == Value::Kind::Number && v->AsNumber(n)) << name;
        EXPECT_EQ(n, expected) << name;
    }
    EXPECT_EQ(form.Find("Caption")->kind, Value::Kind::String);
    EXPECT_EQ(form.Find("Caption")->text, L"Sag \"Grüß Gott\"");
    EXPECT_FALSE(form.Find("Caption")->AsNumber(n));
    EXPECT_EQ(form.Find("Visible")->comment, "  'True");
    EXPECT_EQ(form.Find("BorderStyle")->literal, "4");
    EXPECT_EQ(form.Find("BorderStyle")->comment, "  'Festes Werkzeugfenster");
    EXPECT_EQ(form.Find("Tag")->kind, Value::Kind::Other);
    EXPECT_EQ(form.Find("Tag")->literal, "{ABC} x");
    EXPECT_FALSE(form.Find("Tag")->AsNumber(n));
    ASSERT_TRUE(Value::Literal("True").AsNumber(n));
    EXPECT_EQ(n, -1.0);
    EXPECT_EQ(Value::Literal("1e").kind, Value::Kind::Other);
    EXPECT_EQ(Value::Literal("inf").kind, Value::Kind::Other);

    std::vector<unsigned char> image = form.Find("Icon")->PictureData();
    EXPECT_EQ(std::string(image.begin(), image.end()), "BM-image-12");
    // Blobs of unknown framing reach up to the next reference, the last one to the end.
    const Value* list = form.Find("List");
    EXPECT_EQ(std::string(list->frxData.begin(), list->frxData.end()), frx.substr(0x13, 12));
    EXPECT_TRUE(list->PictureData().empty());
    EXPECT_EQ(form.Find("Text")->literal, "$");
    EXPECT_EQ(form.Find("Text")->frxData.size(), 9u);

    std::string newFrx;
    std::string renamed = f.Render(L"G.frx", newFrx);
    EXPECT_EQ(newFrx, frx);
    EXPECT_NE(renamed.find("   List            =   \"G.frx\":0013\r\n"), std::string::npos);
    EXPECT_NE(renamed.find("   Text            =   $\"G.frx\":001F\r\n"), std::string::npos);

    // Lines ending in LF alone are read the same and written back with CRLF.
    std::string lf = text;
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    EXPECT_EQ(ParseWith(lf, {{L"F.frx", frx}}).Render(L"F.frx", newFrx), text);
}

TEST(FormFileEdit, ChangedLinesTakeTheIdeLayoutAndTheRestStays) {
    FormFile f = ParseWith(Crlf({
        "VERSION 5.00",
        "Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"",
        "Begin VB.Form F ",
        "   BorderStyle     =   4  'Festes Werkzeugfenster",
        "   Caption         =   \"Alt\"",
        "   Left =120",
        "   Tag             =   \"weg\"",
        "   Visible         =   -1  'True",
        "   Begin VB.CommandButton C ",
        "      Caption         =   \"OK\"",
        "      BeginProperty Font ",
        "         Name            =   \"MS Sans Serif\"",
        "         Size            =   8.25",
        "      EndProperty",
        "   End",
        "End",
        "Attribute VB_Name = \"F\"",
        "Private Sub Form_Load()",
        "End Sub",
    }));
    Block& form = f.Form();
    Block& button = *form.Children().at(0);
    form.Set("left", Value::Number(120));  // the same value: the odd line stays
    form.Set("BorderStyle", Value::Number(1));
    form.Set("Caption", Value::String(L"Zitat \"x\" – Łódź"));
    EXPECT_TRUE(form.Remove("Tag"));
    EXPECT_FALSE(form.Remove("Tag"));
    form.Set("Visible", Value::Number(0));
    form.Set("HelpButtonVisible", Value::Boolean(true));
    button.Set("Caption", Value::String(L"OK"));
    button.Group("Font")->Set("Size", Value::Literal("9.75"));
    button.Group("Font")->Set("Bold", Value::Boolean(false));

    // In code page 1252 '–' is 0x96 and 'ó' 0xF3; 'Ł' and 'ź' are missing and become '?'.
    std::string expected = Crlf({
        "VERSION 5.00",
        "Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"",
        "Begin VB.Form F ",
        "   BorderStyle     =   1",
        "   Caption         =   \"Zitat \"\"x\"\" \x96 ?\xF3""d?\"",
        "   Left =120",
        "   Visible         =   0   'False",
        "   HelpButtonVisible=   -1  'True",
        "   Begin VB.CommandButton C ",
        "      Caption         =   \"OK\"",
        "      BeginProperty Font ",
        "         Name            =   \"MS Sans Serif\"",
        "         Size            =   9.75",
        "         Bold            =   0   'False",
        "      EndProperty",
        "   End",
        "End",
        "Attribute VB_Name = \"F\"",
        "Private Sub Form_Load()",
        "End Sub",
    });
    std::string frx;
    EXPECT_EQ(f.Render(L"F.frx", frx), expected);
    EXPECT_TRUE(frx.empty());
    EXPECT_EQ(ParseWith(expected).Form().Find("Caption")->text, L"Zitat \"x\" – ?ód?");

    // Text with a line break has no place on a property line: refused, not written broken.
    form.Set("Caption", Value::String(L"zwei\r\nZeilen"));
    EXPECT_THROW(f.Render(L"F.frx", frx), FormFileError);
}

TEST(FormFileErrors, BrokenFilesNameTheLineAndTheReason) {
    const std::string good = Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Left            =   0", "End"});
    struct Case {
        const char* what;
        std::string text;
        FrxFiles frx;
        int line;
        const wchar_t* reason;
    } cases[] = {
        {"no VERSION line", Crlf({"Begin VB.Form F ", "End"}), {}, 1, L"VERSION"},
        {"no form at all", Crlf({"VERSION 5.00", "Object = \"x\"; \"y.ocx\""}), {}, 2, L"kein Formular"},
        {"truncated", Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Begin VB.Label L ", "      Left            =   0"}),
         {}, 3, L"'End' fehlt"},
        {"inner End missing",
         Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Begin VB.Label A ", "      Left            =   0",
               "   Begin VB.Label B ", "   End", "End"}),
         {}, 3, L"'Begin VB.Label A': 'End' fehlt"},
        {"form End missing before the code",
         Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Begin VB.Label A ", "   End", "Attribute VB_Name = \"F\""}),
         {}, 2, L"'Begin VB.Form F': 'End' fehlt"},
        {"extra End after the form", good + "End\r\nAttribute VB_Name = \"F\"\r\n", {}, 5, L"Überzähliges 'End'"},
        {"extra End inside the form",
         Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Begin VB.Label A ", "   End", "   End", "   Left = 0", "End"}),
         {}, 5, L"Überzähliges 'End'"},
        {"second form", good + "Begin VB.Form G \r\nEnd\r\n", {}, 5, L"genau ein Formular"},
        {"EndProperty without BeginProperty",
         Crlf({"VERSION 5.00", "Begin VB.Form F ", "   EndProperty", "End"}), {}, 3, L"ohne 'BeginProperty'"},
        {"EndProperty missing",
         Crlf({"VERSION 5.00", "Begin VB.Form F ", "   BeginProperty Font ", "      Size = 8", "End"}), {}, 3,
         L"'EndProperty' fehlt"},
        {"no '='", Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Caption \"x\"", "End"}), {}, 3, L"'=' fehlt"},
        {"open string", Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Caption = \"a\"\"b", "End"}), {}, 3,
         L"nicht abgeschlossen"},
        {"missing .frx", Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Icon = \"F.frx\":0000", "End"}), {}, 3,
         L"'F.frx' zu 'Icon' wurde nicht gefunden"},
        {"offset past the .frx",
         Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Left = 0", "   Icon = \"F.frx\":0442", "End"}),
         {{L"F.frx", std::string(0x442, 'x')}}, 4, L"hinter dem Ende"},
        {"picture longer than the .frx", Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Icon = \"F.frx\":0000", "End"}),
         {{L"F.frx", Blob({'l', 't', 0, 0, 100, 0, 0, 0, 1, 2, 3})}}, 3, L"über das Ende"},
        {"NUL byte in a line", good + std::string("Attribute\0x\r\n", 13), {}, 5, L"Binärdaten"},
    };
    std::string deep = "VERSION 5.00\r\n";
    for (int i = 0; i < 10000; ++i) deep += "Begin VB.Frame F \r\n";
    FormFileError tooDeep = ErrorOf(deep);
    EXPECT_EQ(tooDeep.line, 66);  // the 65th level; a flood of levels must not overflow the stack
    EXPECT_NE(tooDeep.reason.find(L"verschachtelt"), std::wstring::npos);
    for (const Case& c : cases) {
        FormFileError e = ErrorOf(c.text, c.frx);
        EXPECT_EQ(e.line, c.line) << c.what << ": " << U8(e.Message());
        EXPECT_NE(e.reason.find(c.reason), std::wstring::npos) << c.what << ": " << U8(e.Message());
    }
    EXPECT_EQ(ErrorOf(Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Caption \"x\"", "End"})).Message(),
              L"Test.frm, Zeile 3: Die Zeile ist weder Eigenschaft noch Blockanfang oder -ende: '=' fehlt.");
}

TEST(FormFileErrors, GarbageIsRejectedAtOnce) {
    std::mt19937 random(1234);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf(garbage).line, 1);
    // Behind a valid first line it still stops at the first broken line.
    FormFileError e = ErrorOf("VERSION 5.00\r\n" + garbage);
    EXPECT_GE(e.line, 2);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(FormFileUnknown, ForeignControlsAndLinesSurviveUntouched) {
    std::string frx = Blob({0x0A, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    std::string text = Crlf({
        "VERSION 5.00",
        "Object = \"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}#2.0#0\"; \"MSCOMCTL.OCX\"",
        "Object = \"*\\AHilfen.vbp\"",
        "Begin VB.Form F ",
        "   Begin MSComctlLib.ListView lvKunden ",
        "      _ExtentX        =   5741",
        "      _Version        =   393217",
        "      SehrLangerEigenschaftsname=   7  'Sieben",
        "      OLEDragMode     =   1  'Automatisch",
        "",
        "      MouseIcon       =   \"Fremd.frx\":0000",
        "      BeginProperty ColumnHeaders {BDD1F052-858B-11D1-B16A-00C0F0283628} ",
        "         NumItems        =   1",
        "         BeginProperty ColumnHeader(1) {BDD1F052-858B-11D1-B16A-00C0F0283628} ",
        "            Text            =   \"Name\"",
        "         EndProperty",
        "      EndProperty",
        "   End",
        "End",
        "Attribute VB_Name = \"F\"",
    });
    FormFile f = ParseWith(text, {{L"Fremd.frx", frx}});
    std::string out;
    EXPECT_EQ(f.Render(L"Fremd.frx", out), text);
    EXPECT_EQ(out, frx);

    Block& lv = *f.Form().Children().at(0);
    EXPECT_EQ(lv.type, "MSComctlLib.ListView");
    const Block* headers = lv.Group("ColumnHeaders");
    ASSERT_NE(headers, nullptr);
    EXPECT_EQ(headers->type, "{BDD1F052-858B-11D1-B16A-00C0F0283628}");
    EXPECT_EQ(headers->Group("ColumnHeader(1)")->Find("Text")->text, L"Name");
    EXPECT_EQ(lv.Find("SehrLangerEigenschaftsname")->literal, "7");

    // Changing one property of the foreign control leaves every other line alone.
    lv.Set("_ExtentX", Value::Number(6000));
    std::string expected = text;
    expected.replace(expected.find("5741"), 4, "6000");
    EXPECT_EQ(f.Render(L"Fremd.frx", out), expected);
}
