#include "FormFile.h"

#include <algorithm>
#include <map>
#include <utility>

#include "FormFileText.h"

namespace nimbra::host {
namespace {

using namespace text;

constexpr size_t kIndent = 3;      // spaces per nesting level
constexpr size_t kNameWidth = 16;  // property names are padded to this column

class Writer {
public:
    Writer(const std::wstring& path, const std::wstring& frxName, std::string& frx)
        : path_(path), frxName_(Narrow(frxName)), frx_(frx) {}

    void Line(std::string_view s) {
        out_ += s;
        out_ += "\r\n";
    }

    void WriteBlock(const Block& b, size_t depth) {
        std::string indent(depth * kIndent, ' ');
        if (!b.beginRaw.empty()) Line(b.beginRaw);
        else if (b.group) Line(indent + "BeginProperty " + b.name + (b.type.empty() ? "" : " " + b.type) + " ");
        else Line(indent + "Begin " + b.type + " " + b.name + " ");  // the IDE leaves the trailing blank

        for (const Item& item : b.items) {
            if (item.block) WriteBlock(*item.block, depth + 1);
            else if (item.name.empty()) Line(item.raw);
            else WriteProperty(item, depth + 1);
        }

        if (!b.endRaw.empty()) Line(b.endRaw);
        else Line(indent + (b.group ? "EndProperty" : "End"));
    }

    std::string Take() { return std::move(out_); }

private:
    void WriteProperty(const Item& item, size_t depth) {
        if (!item.raw.empty() && item.value.kind != Value::Kind::Frx) return Line(item.raw);
        std::string text = ValueText(item);
        // A binary value keeps its line unless its place in the .frx moved.
        if (!item.raw.empty() && text == RawValueText(item)) return Line(item.raw);
        std::string line(depth * kIndent, ' ');
        line += item.name;
        if (item.name.size() < kNameWidth) line.append(kNameWidth - item.name.size(), ' ');
        Line(line + "=   " + text + item.value.comment);
    }

    static std::string RawValueText(const Item& item) {
        size_t at = item.raw.find('=');
        at = item.raw.find_first_not_of(" \t", at + 1);
        size_t end = item.raw.size() - std::min(item.raw.size(), item.value.comment.size());
        return at == std::string::npos || at > end ? std::string() : item.raw.substr(at, end - at);
    }

    std::string ValueText(const Item& item) {
        const Value& v = item.value;
        switch (v.kind) {
        case Value::Kind::String: {
            if (v.text.find_first_of(L"\r\n") != std::wstring::npos)
                throw FormFileError{path_, item.line,
                                    L"Der Text von '" + Widen(item.name) +
                                        L"' enthält einen Zeilenumbruch; so lässt er sich nicht speichern."};
            std::string s = "\"";
            for (char c : Narrow(v.text)) s += c == '"' ? std::string("\"\"") : std::string(1, c);
            return s + "\"";
        }
        case Value::Kind::Frx: return v.literal + "\"" + frxName_ + "\":" + Hex4(Place(v));
        default: return v.literal;
        }
    }

    // Blobs go in file order; two references to one place of the old .frx stay shared.
    unsigned long Place(const Value& v) {
        std::pair<std::wstring, unsigned long> key{LowerW(v.frxFile), v.frxOffset};
        if (!v.frxFile.empty())
            if (auto it = placed_.find(key); it != placed_.end()) return it->second;
        unsigned long at = static_cast<unsigned long>(frx_.size());
        frx_.append(v.frxData.begin(), v.frxData.end());
        if (!v.frxFile.empty()) placed_[key] = at;
        return at;
    }

    const std::wstring& path_;
    std::string frxName_;
    std::string& frx_;
    std::string out_;
    std::map<std::pair<std::wstring, unsigned long>, unsigned long> placed_;
};

}  // namespace

std::string FormFile::Render(const std::wstring& frxName, std::string& frx) const {
    frx.clear();
    Writer w(path_, frxName, frx);
    w.Line(versionLine);
    for (const std::string& line : headerLines) w.Line(line);
    w.WriteBlock(form_, 0);
    for (const std::string& line : tailLines) w.Line(line);
    return w.Take();
}

void FormFile::Save(const std::wstring& path) const {
    // The companion takes the form file's name: Kunden.frm keeps its binaries in Kunden.frx.
    std::wstring name = FileNameOf(path);
    size_t dot = name.rfind(L'.');
    std::wstring frxName = (dot == std::wstring::npos ? name : name.substr(0, dot)) + L".frx";
    std::wstring frxPath = path.substr(0, path.size() - FileNameOf(path).size()) + frxName;

    std::string frx;
    std::string text = Render(frxName, frx);
    if (!frx.empty() && !WriteWholeFile(frxPath, frx))
        throw FormFileError{frxPath, 0, L"Die Datei kann nicht geschrieben werden."};
    if (!WriteWholeFile(path, text)) throw FormFileError{path, 0, L"Die Datei kann nicht geschrieben werden."};
}

}  // namespace nimbra::host
