// The test container's form file reader and writer: samples round trip byte
// for byte, values read as the classic language reads them, edits take the
// IDE's layout, broken files name their line. e2e/host.sh runs real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>

#include "FormFile.h"

using namespace nimbra::host;

namespace {

std::wstring Sample(const std::wstring& name) { return L"" NIMBRA_SAMPLES L"/" + name; }

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
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

}  // namespace

// Controls of other libraries, groups, comments and code after the form come back untouched.
TEST(FormFileSamples, RenderGivesBackEverySampleByteForByte) {
    for (const std::wstring name : {L"Blau", L"Durchsichtig", L"Einfach", L"Kunden", L"Werkzeug"}) {
        const std::string frm = ReadBytes(Sample(name + L".frm"));
        ASSERT_FALSE(frm.empty());
        std::string frx;
        EXPECT_EQ(FormFile::Load(Sample(name + L".frm")).Render(name + L".frx", frx), frm);
        EXPECT_EQ(frx, ReadBytes(Sample(name + L".frx")));
    }
}

// Values read as the classic language reads them; written back, only the
// changed lines take the IDE's layout, and the .frx references its new name.
TEST(FormFileEdit, ValuesReadAndChangedLinesTakeTheIdeLayout) {
    const std::string frx = std::string("lt\0\0\x0B\0\0\0", 8) + "BM-image-12";  // a picture's framing, then its image
    FormFile f = ParseWith(Crlf({
        "VERSION 5.00",
        "Begin VB.Form F ",
        "   BorderStyle     =   4  'Festes Werkzeugfenster",
        "   Caption         =   \"Sag \"\"Gr\xFC\xDF Gott\"\"\"",
        "   BackColor       =   &H8000000F&",
        "   Short           =   &HFFFF",
        "   Left =-120",
        "   Visible         =   -1  'True",
        "   Icon            =   \"F.frx\":0000",
        "End",
    }), {{L"F.frx", frx}});
    Block& form = f.Form();
    // A system colour is a negative Long; without '&' a short literal is an Integer.
    const std::pair<const char*, double> numbers[] = {
        {"BackColor", -2147483633.0}, {"Short", -1.0}, {"left", -120.0}, {"visible", -1.0}};
    for (auto [name, expected] : numbers) {
        double n = 0;
        const Value* v = form.Find(name);
        ASSERT_TRUE(v && v->AsNumber(n)) << name;
        EXPECT_EQ(n, expected) << name;
    }
    EXPECT_EQ(form.Find("Caption")->text, L"Sag \"Grüß Gott\"");
    const std::vector<unsigned char> image = form.Find("Icon")->PictureData();
    EXPECT_EQ(std::string(image.begin(), image.end()), "BM-image-12");

    form.Set("LEFT", Value::Number(-120));  // the same value: the odd line stays
    form.Set("BorderStyle", Value::Number(1));
    form.Set("Caption", Value::String(L"Zitat \"x\" – Łódź"));
    form.Set("HelpButtonVisible", Value::Boolean(true));
    // In code page 1252 '–' is 0x96 and 'ó' 0xF3; 'Ł' and 'ź' are missing and become '?'.
    std::string newFrx;
    EXPECT_EQ(f.Render(L"G.frx", newFrx), Crlf({
        "VERSION 5.00",
        "Begin VB.Form F ",
        "   BorderStyle     =   1",
        "   Caption         =   \"Zitat \"\"x\"\" \x96 ?\xF3""d?\"",
        "   BackColor       =   &H8000000F&",
        "   Short           =   &HFFFF",
        "   Left =-120",
        "   Visible         =   -1  'True",
        "   Icon            =   \"G.frx\":0000",
        "   HelpButtonVisible=   -1  'True",
        "End",
    }));
    EXPECT_EQ(newFrx, frx);
    // Text with a line break has no place on a property line: refused, not written broken.
    form.Set("Caption", Value::String(L"zwei\r\nZeilen"));
    EXPECT_THROW(f.Render(L"G.frx", newFrx), FormFileError);
}

// NimbraHost's run refuses garbage, a truncated file and a missing .frx.
TEST(FormFileErrors, BrokenFilesNameTheLineAndTheReason) {
    auto form = [](std::initializer_list<const char*> lines) {
        return "VERSION 5.00\r\nBegin VB.Form F \r\n" + Crlf(lines);
    };
    std::string deep = "VERSION 5.00\r\n";
    for (int i = 0; i < 10000; ++i) deep += "Begin VB.Frame F \r\n";  // must not overflow the stack
    const struct {
        std::string text;
        FrxFiles frx;
        int line;
        const wchar_t* reason;
    } cases[] = {
        {Crlf({"Begin VB.Form F ", "End"}), {}, 1, L"VERSION"},
        {form({"   Begin VB.Label A ", "   Begin VB.Label B ", "   End", "End"}), {}, 3,
         L"'Begin VB.Label A': 'End' fehlt"},
        {form({"End", "End"}), {}, 4, L"Überzähliges 'End'"},
        {form({"   Caption = \"a\"\"b", "End"}), {}, 3, L"nicht abgeschlossen"},
        {form({"   Icon = \"F.frx\":0442", "End"}), {{L"F.frx", std::string(0x442, 'x')}}, 3, L"hinter dem Ende"},
        {form({"   Icon = \"F.frx\":0000", "End"}), {{L"F.frx", std::string("lt\0\0\x64\0\0\0\x01", 9)}}, 3,
         L"über das Ende"},
        {form({"End"}) + std::string("Attribute\0x\r\n", 13), {}, 4, L"Binärdaten"},
        {deep, {}, 66, L"verschachtelt"},
    };
    for (const auto& c : cases) {
        try {
            ParseWith(c.text, c.frx);
            ADD_FAILURE() << "accepted: " << c.text.substr(0, 80);
        } catch (const FormFileError& e) {
            const std::wstring where = L"Test.frm, Zeile " + std::to_wstring(c.line) + L": ";
            EXPECT_EQ(e.Message().rfind(where, 0), 0u) << e.Message();
            EXPECT_NE(e.reason.find(c.reason), std::wstring::npos) << e.Message();
        }
    }
}
