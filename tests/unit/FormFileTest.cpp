// The test container's form files: samples round trip byte for byte, broken files name
// their line (e2e/host.sh saves and refuses them from the outside).
#include <gtest/gtest.h>

#include <initializer_list>
#include <map>

#include "FormFile.h"
#include "TestSupport.h"

using namespace nimbra::host;
using test::ReadBytes;

namespace {

std::wstring Sample(const std::wstring& name) { return L"" NIMBRA_SAMPLES L"/" + name; }

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
