// The form file reader and writer: the samples round trip byte for byte,
// every kind of value reads back, edits come out in the IDE's layout, and
// broken files are reported with their line. NimbraHost's own run
// (e2e/host.sh) loads, saves and refuses real files as a program.
#include <windows.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <map>

#include "FormFile.h"

using nimbra::host::Block;
using nimbra::host::FormFile;
using nimbra::host::FormFileError;
using nimbra::host::Value;

namespace {

std::wstring Sample(const std::wstring& name) { return L"" NIMBRA_SAMPLES L"/" + name; }

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

// Lines as the IDE ends them. Strings in the tests are code page 1252 bytes.
std::string Crlf(std::initializer_list<const char*> lines) {
    std::string s;
    for (const char* l : lines) s += std::string(l) + "\r\n";
    return s;
}

using FrxFiles = std::map<std::wstring, std::string>;

FormFile ParseWith(const std::string& text, const FrxFiles& frx = {}) {
    return FormFile::Parse(text, L"C:\\Formulare\\Test.frm", [frx](const std::wstring& name) {
        auto it = frx.find(name);
        return it == frx.end() ? std::nullopt : std::optional<std::string>(it->second);
    });
}

std::string Blob(std::initializer_list<int> bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

TEST(FormFileSamples, RenderGivesBackTheFilesByteForByte) {
    for (const std::wstring name : {L"Kunden", L"Einfach"}) {
        FormFile f = FormFile::Load(Sample(name + L".frm"));
        std::string frx;
        EXPECT_EQ(f.Render(name + L".frx", frx), ReadBytes(Sample(name + L".frm"))) << name;
        EXPECT_EQ(frx, name == L"Kunden" ? ReadBytes(Sample(L"Kunden.frx")) : "") << name;
    }
    // Names in any case; code page 1252 text decoded.
    EXPECT_EQ(FormFile::Load(Sample(L"Kunden.frm")).Form().Find("caption")->text, L"Kundendaten \"Müller\"");
}

// Saving a form under a new name, its .frx along, is NimbraHost's run's.
TEST(FormFileSamples, APictureSetOnAFormWithoutOneGetsAnFrxOfItsOwn) {
    const wchar_t* scratch = _wgetenv(L"NIMBRA_SCRATCH");
    ASSERT_NE(scratch, nullptr) << "NIMBRA_SCRATCH names the build's scratch folder";
    const std::wstring dir = std::wstring(scratch) + L"\\formfile";
    CreateDirectoryW(dir.c_str(), nullptr);
    FormFile plain = FormFile::Load(Sample(L"Einfach.frm"));
    const std::vector<unsigned char> ico = FormFile::Load(Sample(L"Kunden.frm")).Form().Find("Icon")->PictureData();
    plain.Form().Set("Icon", Value::Picture(ico));
    plain.Save(dir + L"\\MitIcon.frm");
    EXPECT_EQ(FormFile::Load(dir + L"\\MitIcon.frm").Form().Find("Icon")->PictureData(), ico);
    EXPECT_NE(ReadBytes(dir + L"\\MitIcon.frm").find("   Icon            =   \"MitIcon.frx\":0000\r\n"
                                                     "   Begin NimbraForm.xpForm xpForm1 \r\n"),
              std::string::npos);
    EXPECT_THROW(FormFile::Load(dir + L"\\Fehlt.frm"), FormFileError);
}

// Controls of other libraries and their groups come back untouched in the samples' round trip.
TEST(FormFileValues, EveryKindReadsBackAndWhatIsNotOursSurvives) {
    const std::string frx = Blob({'l', 't', 0, 0, 11, 0, 0, 0}) + "BM-image-12" +
                            Blob({2, 0, 3, 0, 'a', 'b', 'c', 3, 0, 'd', 'e', 'f', 5, 0, 0, 0, 'H', 'a', 'l', 'l', 'o'});
    ASSERT_EQ(frx.size(), 0x28u);
    const std::string text = Crlf({
        "VERSION 5.00",
        "Object = \"*\\AHilfen.vbp\"",
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
        "   SehrLangerEigenschaftsname=   7  'Sieben",
        "",
        "   BeginProperty Spalten {BDD1F052-858B-11D1-B16A-00C0F0283628} ",
        "      Text            =   \"Name\"",
        "   EndProperty",
        "End",
        "Attribute VB_Name = \"F\"",
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
    EXPECT_EQ(form.Find("Caption")->text, L"Sag \"Grüß Gott\"");
    EXPECT_FALSE(form.Find("Caption")->AsNumber(n));
    EXPECT_EQ(form.Find("BorderStyle")->comment, "  'Festes Werkzeugfenster");
    EXPECT_EQ(form.Find("Tag")->kind, Value::Kind::Other);
    EXPECT_EQ(form.Find("Tag")->literal, "{ABC} x");
    EXPECT_TRUE(Value::Literal("True").AsNumber(n) && n == -1.0);
    EXPECT_EQ(Value::Literal("inf").kind, Value::Kind::Other);
    const std::vector<unsigned char> image = form.Find("Icon")->PictureData();
    EXPECT_EQ(std::string(image.begin(), image.end()), "BM-image-12");
    // Blobs of unknown framing reach up to the next reference, the last one to the end.
    const Value* list = form.Find("List");
    EXPECT_EQ(std::string(list->frxData.begin(), list->frxData.end()), frx.substr(0x13, 12));
    EXPECT_TRUE(list->PictureData().empty());
    EXPECT_EQ(form.Find("Text")->frxData.size(), 9u);
    EXPECT_EQ(form.Find("SehrLangerEigenschaftsname")->literal, "7");

    // Written under another .frx name only the references change; lines read
    // with LF alone come back with CRLF.
    std::string lf = text, expected = text, newFrx;
    for (size_t at; (at = lf.find("\r\n")) != std::string::npos;) lf.erase(at, 1);
    for (size_t at; (at = expected.find("\"F.frx\"")) != std::string::npos;) expected.replace(at, 7, "\"G.frx\"");
    EXPECT_EQ(ParseWith(lf, {{L"F.frx", frx}}).Render(L"G.frx", newFrx), expected);
    EXPECT_EQ(newFrx, frx);
}

TEST(FormFileEdit, ChangedLinesTakeTheIdeLayoutAndTheRestStays) {
    FormFile f = ParseWith(Crlf({
        "VERSION 5.00",
        "Begin VB.Form F ",
        "   BorderStyle     =   4  'Festes Werkzeugfenster",
        "   Caption         =   \"Alt\"",
        "   Left =120",
        "   Tag             =   \"weg\"",
        "   Visible         =   -1  'True",
        "   Begin VB.CommandButton C ",
        "      Caption         =   \"OK\"",
        "   End",
        "End",
        "Attribute VB_Name = \"F\"",
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
    button.Set("Caption", Value::String(L"OK"));  // unchanged
    button.Set("Enabled", Value::Boolean(false));

    // In code page 1252 '–' is 0x96 and 'ó' 0xF3; 'Ł' and 'ź' are missing and become '?'.
    const std::string expected = Crlf({
        "VERSION 5.00",
        "Begin VB.Form F ",
        "   BorderStyle     =   1",
        "   Caption         =   \"Zitat \"\"x\"\" \x96 ?\xF3""d?\"",
        "   Left =120",
        "   Visible         =   0   'False",
        "   HelpButtonVisible=   -1  'True",
        "   Begin VB.CommandButton C ",
        "      Caption         =   \"OK\"",
        "      Enabled         =   0   'False",
        "   End",
        "End",
        "Attribute VB_Name = \"F\"",
    });
    std::string frx;
    EXPECT_EQ(f.Render(L"F.frx", frx), expected);
    EXPECT_TRUE(frx.empty());
    EXPECT_EQ(ParseWith(expected).Form().Find("Caption")->text, L"Zitat \"x\" – ?ód?");

    // Text with a line break has no place on a property line: refused, not written broken.
    form.Set("Caption", Value::String(L"zwei\r\nZeilen"));
    EXPECT_THROW(f.Render(L"F.frx", frx), FormFileError);
}

// NimbraHost's run refuses garbage, a truncated file and a missing .frx; here
// every other reason, each with its line.
TEST(FormFileErrors, BrokenFilesNameTheLineAndTheReason) {
    const std::string good = Crlf({"VERSION 5.00", "Begin VB.Form F ", "   Left            =   0", "End"});
    auto form = [](std::initializer_list<const char*> lines) {
        return "VERSION 5.00\r\nBegin VB.Form F \r\n" + Crlf(lines);
    };
    std::string deep = "VERSION 5.00\r\n";
    for (int i = 0; i < 10000; ++i) deep += "Begin VB.Frame F \r\n";  // must not overflow the stack
    const struct {
        const char* what;
        std::string text;
        FrxFiles frx;
        int line;
        const wchar_t* reason;
    } cases[] = {
        {"no VERSION line", Crlf({"Begin VB.Form F ", "End"}), {}, 1, L"VERSION"},
        {"no form at all", Crlf({"VERSION 5.00", "Object = \"x\"; \"y.ocx\""}), {}, 2, L"kein Formular"},
        {"inner End missing", form({"   Begin VB.Label A ", "      Left = 0", "   Begin VB.Label B ", "   End", "End"}),
         {}, 3, L"'Begin VB.Label A': 'End' fehlt"},
        {"form End missing before the code", form({"   Begin VB.Label A ", "   End", "Attribute VB_Name = \"F\""}),
         {}, 2, L"'Begin VB.Form F': 'End' fehlt"},
        {"extra End after the form", good + "End\r\nAttribute VB_Name = \"F\"\r\n", {}, 5, L"Überzähliges 'End'"},
        {"extra End inside the form", form({"   Begin VB.Label A ", "   End", "   End", "   Left = 0", "End"}), {}, 5,
         L"Überzähliges 'End'"},
        {"second form", good + "Begin VB.Form G \r\nEnd\r\n", {}, 5, L"genau ein Formular"},
        {"EndProperty without BeginProperty", form({"   EndProperty", "End"}), {}, 3, L"ohne 'BeginProperty'"},
        {"EndProperty missing", form({"   BeginProperty Font ", "      Size = 8", "End"}), {}, 3,
         L"'EndProperty' fehlt"},
        {"open string", form({"   Caption = \"a\"\"b", "End"}), {}, 3, L"nicht abgeschlossen"},
        {"offset past the .frx", form({"   Left = 0", "   Icon = \"F.frx\":0442", "End"}),
         {{L"F.frx", std::string(0x442, 'x')}}, 4, L"hinter dem Ende"},
        {"picture longer than the .frx", form({"   Icon = \"F.frx\":0000", "End"}),
         {{L"F.frx", Blob({'l', 't', 0, 0, 100, 0, 0, 0, 1, 2, 3})}}, 3, L"über das Ende"},
        {"NUL byte in a line", good + std::string("Attribute\0x\r\n", 13), {}, 5, L"Binärdaten"},
        {"nested too deep", deep, {}, 66, L"verschachtelt"},
    };
    for (const auto& c : cases) {
        try {
            ParseWith(c.text, c.frx);
            ADD_FAILURE() << c.what << ": accepted";
        } catch (const FormFileError& e) {
            EXPECT_EQ(e.line, c.line) << c.what << ": " << e.Message();
            EXPECT_NE(e.reason.find(c.reason), std::wstring::npos) << c.what << ": " << e.Message();
        }
    }
    try {
        ParseWith(form({"   Caption \"x\"", "End"}));
        ADD_FAILURE() << "a line without '=' was accepted";
    } catch (const FormFileError& e) {
        EXPECT_EQ(e.Message(),
                  L"Test.frm, Zeile 3: Die Zeile ist weder Eigenschaft noch Blockanfang oder -ende: '=' fehlt.");
    }
}
