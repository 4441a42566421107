#include "FormFile.h"

#include <windows.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "../src/forms/Handles.h"
#include "../src/forms/Text.h"

namespace nimbra::host {
namespace {

// The IDE writes forms in the Western ANSI code page, whatever the system's is.
constexpr UINT kCodePage = 1252;
constexpr size_t kIndent = 3;      // spaces per nesting level
constexpr size_t kNameWidth = 16;  // property names are padded to this column
constexpr char kPictureMagic[4] = {'l', 't', '\0', '\0'};
// Far beyond any real form; the writer and the tree's destructor recurse per level.
constexpr size_t kMaxDepth = 64;

std::wstring Widen(std::string_view s) { return forms::Widen(s, kCodePage); }

// No best fit: a character the code page lacks becomes '?', as the IDE writes it,
// rather than a look-alike that would read back as a different text.
std::string Narrow(std::wstring_view w) { return forms::Narrow(w, kCodePage, WC_NO_BEST_FIT_CHARS); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

std::wstring LowerW(std::wstring s) {
    for (auto& c : s)
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
    return s;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t IndentOf(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}

std::string_view Trim(std::string_view s) {
    s.remove_prefix(IndentOf(s));
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Words(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (true) {
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i == s.size()) return words;
        size_t start = i;
        while (i < s.size() && !IsBlank(s[i])) ++i;
        words.push_back(s.substr(start, i - start));
    }
}

// "Name = value": a first word followed, maybe after blanks, by '='.
bool IsPropertyLine(std::string_view trimmed) {
    size_t i = 0;
    while (i < trimmed.size() && !IsBlank(trimmed[i]) && trimmed[i] != '=') ++i;
    while (i < trimmed.size() && IsBlank(trimmed[i])) ++i;
    return i < trimmed.size() && trimmed[i] == '=';
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads a numeric literal as the classic language does; out may be null to only check it.
bool ReadNumber(std::string_view s, double* out) {
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        std::string_view digits = s.substr(2);
        bool isLong = !digits.empty() && digits.back() == '&';
        if (isLong) digits.remove_suffix(1);
        if (digits.empty() || digits.size() > 8) return false;
        uint32_t v = 0;
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v, 16);
        if (ec != std::errc() || end != digits.data() + digits.size()) return false;
        // &HFFFF is the Integer -1, &HFFFF& the Long 65535, &H8000000F& the Long -2147483633.
        if (out) *out = !isLong && digits.size() <= 4 ? static_cast<int16_t>(v) : static_cast<int32_t>(v);
        return true;
    }
    // from_chars would also take "inf" and "nan"; only plain decimals and reals pass here.
    size_t i = s.size() && s[0] == '-' ? 1 : 0;
    size_t digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) ++digits;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && IsDigit(s[i]); ++i) ++digits;
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (i == s.size() || !IsDigit(s[i])) return false;
        while (i < s.size() && IsDigit(s[i])) ++i;
    }
    if (i != s.size()) return false;
    double v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    if (out) *out = v;
    return true;
}

// The IDE aligns the comment of a Boolean: "-1  'True", "0   'False".
std::string BooleanComment(bool b) { return b ? "  'True" : "   'False"; }

bool IsBooleanComment(std::string_view comment) {
    std::string_view c = Trim(comment);
    return SameName(c, "'True") || SameName(c, "'False");
}

bool SamePayload(const Value& a, const Value& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
    case Value::Kind::String: return a.text == b.text;
    case Value::Kind::Frx: return a.literal == b.literal && a.frxData == b.frxData;
    default: return a.literal == b.literal;
    }
}

std::string Hex4(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04lX", v);
    return buf;
}

std::wstring FileNameOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    const forms::FileHandle h(
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h) return std::nullopt;
    std::optional<std::string> result;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(h.get(), &size) && size.QuadPart < 0x40000000) {
        std::string data(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (data.empty() || (ReadFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &got, nullptr) &&
                             got == data.size()))
            result = std::move(data);
    }
    return result;
}

bool WriteWholeFile(const std::wstring& path, const std::string& data) {
    forms::FileHandle h(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h) return false;
    DWORD written = 0;
    const bool ok = data.empty() || (WriteFile(h.get(), data.data(), static_cast<DWORD>(data.size()), &written,
                                               nullptr) &&
                                     written == data.size());
    // Closing flushes what the system still holds: its failure is the write's.
    return CloseHandle(h.take()) && ok;
}

std::wstring Describe(const Block& b) {
    return Widen(b.group ? "'BeginProperty " + b.name + "'" : "'Begin " + b.type + " " + b.name + "'");
}

std::wstring Quoted(std::string_view s) { return L"'" + Widen(s) + L"'"; }

struct Parsed {
    std::string version;
    std::vector<std::string> header, tail;
    Block form;
};

class Parser {
public:
    Parser(const std::wstring& path, const FormFile::FrxReader& readFrx) : path_(path), readFrx_(readFrx) {}

    Parsed Run(std::string_view text) {
        SplitLines(text);
        // Checked before anything else, so that a binary file fails at once.
        if (lines_.empty() || !SameName(lines_[0].substr(0, 8), "VERSION ") ||
            lines_[0].find('\0') != std::string_view::npos)
            Fail(1, L"Keine Formulardatei: Die erste Zeile muss 'VERSION 5.00' lauten.");
        for (size_t i = 0; i < lines_.size(); ++i)
            if (lines_[i].find('\0') != std::string_view::npos)
                Fail(static_cast<int>(i + 1), L"Die Zeile enthält Binärdaten; die Datei ist keine Textdatei.");

        result_.version = lines_[0];
        for (size_t i = 1; i < lines_.size(); ++i) Line(static_cast<int>(i + 1), lines_[i]);
        int last = static_cast<int>(lines_.size());
        if (phase_ == Phase::Header) Fail(last, L"Die Datei enthält kein Formular ('Begin VB.Form ...').");
        if (!open_.empty()) ReportUnclosed();
        ReadFrx();
        return std::move(result_);
    }

private:
    enum class Phase { Header, Body, Tail };
    struct Open {
        Block* block;
        size_t indent;
    };

    [[noreturn]] void Fail(int line, std::wstring reason) { throw FormFileError{path_, line, std::move(reason)}; }

    void SplitLines(std::string_view text) {
        size_t start = 0;
        while (start < text.size()) {
            size_t nl = text.find('\n', start);
            size_t end = nl == std::string_view::npos ? text.size() : nl;
            std::string_view line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines_.push_back(line);
            start = end + 1;
        }
    }

    void Line(int number, std::string_view raw) {
        std::string_view t = Trim(raw);
        std::vector<std::string_view> words = IsPropertyLine(t) ? std::vector<std::string_view>{} : Words(t);
        std::string_view keyword = words.empty() ? std::string_view{} : words[0];
        bool isBegin = SameName(keyword, "Begin"), isGroup = SameName(keyword, "BeginProperty");
        bool isEnd = words.size() == 1 && SameName(keyword, "End");
        bool isEndGroup = words.size() == 1 && SameName(keyword, "EndProperty");

        switch (phase_) {
        case Phase::Header:
            if (isBegin) {
                OpenBlock(number, raw, words, false);
                phase_ = Phase::Body;
            } else if (isEnd || isEndGroup || isGroup) {
                Fail(number, Quoted(keyword) + L" steht vor dem Formular ('Begin VB.Form ...').");
            } else {
                result_.header.emplace_back(raw);
            }
            return;
        case Phase::Body:
            if (t.empty())
                Top().items.push_back(Item{{}, {}, nullptr, number, std::string(raw)});
            else if (IsPropertyLine(t))
                Property(number, raw, t);
            else if (isBegin || isGroup)
                OpenBlock(number, raw, words, isGroup);
            else if (isEnd || isEndGroup)
                CloseBlock(number, raw, isEndGroup);
            else
                UnknownLine(number, raw);
            return;
        case Phase::Tail:
            // Between the form's End and the code: a stray block line means a broken
            // structure. The first line of code (usually an Attribute line) ends the check.
            if (checkingTail_ && (isEnd || isEndGroup || (isBegin && words.size() >= 3) || isGroup)) {
                if (extraEnd_)
                    Fail(extraEnd_, L"Überzähliges 'End': Es schließt einen Block, der schon geschlossen ist.");
                if (isBegin)
                    Fail(number, L"Zweiter Block 'Begin " + Widen(words[1]) + L" " + Widen(words[2]) +
                                     L"' nach dem Formular: Eine Formulardatei enthält genau ein Formular.");
                if (isEnd) Fail(number, L"Überzähliges 'End' ohne 'Begin'.");
                if (isEndGroup) Fail(number, L"'EndProperty' ohne 'BeginProperty'.");
                Fail(number, L"'BeginProperty' außerhalb eines Blocks.");
            }
            if (!t.empty() && !IsPropertyLine(t)) checkingTail_ = false;
            result_.tail.emplace_back(raw);
            return;
        }
    }

    Block& Top() { return *open_.back().block; }

    void OpenBlock(int number, std::string_view raw, const std::vector<std::string_view>& words, bool group) {
        if (open_.size() >= kMaxDepth) Fail(number, L"Die Blöcke sind zu tief verschachtelt.");
        auto block = std::make_unique<Block>();
        block->group = group;
        block->line = number;
        block->beginRaw = raw;
        if (group) {
            if (words.size() < 2) Fail(number, L"'BeginProperty' ohne Namen.");
            block->name = words[1];
            if (words.size() >= 3) block->type = words[2];
        } else {
            if (words.size() < 3) Fail(number, L"'Begin' ohne Typ und Namen des Steuerelements.");
            block->type = words[1];
            block->name = words[2];
        }
        Block* b = block.get();
        if (open_.empty()) {
            result_.form = std::move(*block);
            b = &result_.form;
        } else {
            Top().items.push_back(Item{{}, {}, std::move(block), number, {}});
        }
        open_.push_back(Open{b, IndentOf(raw)});
    }

    void CloseBlock(int number, std::string_view raw, bool groupEnd) {
        Open top = open_.back();
        if (top.block->group && !groupEnd) ReportMissingEnd(*top.block);
        if (!top.block->group && groupEnd) Fail(number, L"'EndProperty' ohne 'BeginProperty'.");
        // The IDE indents an End like its Begin. When they differ, remember it: should
        // the structure turn out broken, it tells which End is missing or extra.
        size_t indent = IndentOf(raw);
        if (indent < top.indent && !missingEnd_) missingEnd_ = top.block->line;
        if (indent > top.indent && !extraEnd_) extraEnd_ = number;
        top.block->endRaw = raw;
        open_.pop_back();
        if (open_.empty()) phase_ = Phase::Tail;
    }

    [[noreturn]] void ReportUnclosed() {
        // Without a misplaced End to go by, the innermost open block is where the text stops.
        const Block* culprit = missingEnd_ ? FindBlock(result_.form, missingEnd_) : &Top();
        ReportMissingEnd(*culprit);
    }

    [[noreturn]] void ReportMissingEnd(const Block& b) {
        Fail(b.line, Describe(b) + (b.group ? L": 'EndProperty' fehlt." : L": 'End' fehlt."));
    }

    // A line that is neither property nor block line. Often an Attribute line that
    // comes too early because an End is missing: then that is the error to report.
    [[noreturn]] void UnknownLine(int number, std::string_view raw) {
        if (missingEnd_) ReportUnclosed();
        if (IndentOf(raw) <= open_.back().indent) ReportMissingEnd(Top());
        Fail(number, L"Die Zeile ist weder Eigenschaft noch Blockanfang oder -ende: '=' fehlt.");
    }

    static const Block* FindBlock(const Block& b, int line) {
        if (b.line == line) return &b;
        for (const Item& i : b.items)
            if (i.block)
                if (const Block* found = FindBlock(*i.block, line)) return found;
        return nullptr;
    }

    void Property(int number, std::string_view raw, std::string_view t) {
        size_t eq = t.find('=');
        std::string_view name = Trim(t.substr(0, eq));
        if (name.empty()) Fail(number, L"Eigenschaft ohne Namen vor '='.");
        std::string_view v = t.substr(eq + 1);
        v.remove_prefix(IndentOf(v));
        // t lost the line's trailing blanks; the comment keeps them.
        v = std::string_view(v.data(), raw.data() + raw.size() - v.data());
        Top().items.push_back(Item{std::string(name), ParseValue(number, v), nullptr, number, std::string(raw)});
    }

    Value ParseValue(int number, std::string_view v) {
        Value value;
        size_t end = 0;
        bool dollar = v.size() >= 2 && v[0] == '$' && v[1] == '"';
        if (dollar || (!v.empty() && v[0] == '"')) {
            std::string s;
            size_t i = dollar ? 2 : 1;
            while (true) {
                if (i >= v.size()) Fail(number, L"Die Zeichenkette ist nicht abgeschlossen: schließendes '\"' fehlt.");
                if (v[i] == '"') {
                    if (i + 1 < v.size() && v[i + 1] == '"') {
                        s += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                s += v[i++];
            }
            end = i;
            size_t digits = 0;
            while (end + 1 + digits < v.size() && IsHexDigit(v[end + 1 + digits])) ++digits;
            if (end < v.size() && v[end] == ':' && digits > 0 && digits <= 8) {
                value.kind = Value::Kind::Frx;
                value.literal = dollar ? "$" : "";
                value.frxFile = Widen(s);
                value.frxOffset = std::stoul(std::string(v.substr(end + 1, digits)), nullptr, 16);
                end += 1 + digits;
            } else if (!dollar) {
                value.kind = Value::Kind::String;
                value.text = Widen(s);
            } else {
                end = std::string_view::npos;
            }
        } else {
            end = v.find_first_of(" \t'");
            if (end == std::string_view::npos) end = v.size();
            value.literal = v.substr(0, end);
            value.kind = ReadNumber(value.literal, nullptr) ? Value::Kind::Number : Value::Kind::Other;
        }
        // Only blanks and a ' comment may follow a value; anything else is kept whole, unread.
        std::string_view rest = end == std::string_view::npos ? v : v.substr(end);
        size_t r = rest.find_first_not_of(" \t");
        if (end == std::string_view::npos || (r != std::string_view::npos && rest[r] != '\'')) {
            std::string_view whole = Trim(v);
            Value other;
            other.literal = whole;
            other.comment = v.substr(whole.size());
            return other;
        }
        value.comment = rest;
        return value;
    }

    // Binary values come from their .frx. A picture carries its length; any other
    // blob is taken up to the next referenced offset, so that it survives a save.
    void ReadFrx() {
        std::vector<Item*> frxItems;
        CollectFrx(result_.form, frxItems);
        std::map<std::wstring, std::vector<Item*>> byFile;
        for (Item* item : frxItems) byFile[LowerW(item->value.frxFile)].push_back(item);
        for (auto& [key, items] : byFile) {
            const std::wstring& name = items.front()->value.frxFile;
            std::optional<std::string> data = readFrx_ ? readFrx_(name) : std::nullopt;
            if (!data)
                Fail(items.front()->line, L"Die Binärdatei '" + name + L"' zu '" + Widen(items.front()->name) +
                                              L"' wurde nicht gefunden.");
            std::set<unsigned long> offsets;
            for (Item* item : items) offsets.insert(item->value.frxOffset);
            for (Item* item : items) {
                Value& v = item->value;
                std::wstring where = L"'" + name + L"':" + Widen(Hex4(v.frxOffset));
                if (v.frxOffset >= data->size())
                    Fail(item->line, L"Der Verweis " + where + L" liegt hinter dem Ende der Datei (" +
                                         std::to_wstring(data->size()) + L" Bytes).");
                size_t start = v.frxOffset, end = data->size();
                if (data->size() - start >= 8 && data->compare(start, 4, kPictureMagic, 4) == 0) {
                    auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>((*data)[i])); };
                    uint32_t length =
                        byte(start + 4) | byte(start + 5) << 8 | byte(start + 6) << 16 | byte(start + 7) << 24;
                    if (length > data->size() - start - 8)
                        Fail(item->line, L"Das Bild bei " + where + L" reicht über das Ende der Datei hinaus.");
                    end = start + 8 + static_cast<size_t>(length);
                } else if (auto next = offsets.upper_bound(v.frxOffset); next != offsets.end()) {
                    end = std::min<size_t>(*next, data->size());
                }
                v.frxData.assign(data->begin() + start, data->begin() + end);
            }
        }
    }

    static void CollectFrx(Block& b, std::vector<Item*>& out) {
        for (Item& item : b.items) {
            if (item.block) CollectFrx(*item.block, out);
            else if (!item.name.empty() && item.value.kind == Value::Kind::Frx) out.push_back(&item);
        }
    }

    const std::wstring& path_;
    const FormFile::FrxReader& readFrx_;
    std::vector<std::string_view> lines_;
    Parsed result_;
    Phase phase_ = Phase::Header;
    std::vector<Open> open_;
    int missingEnd_ = 0;  // first Begin closed by a less indented End
    int extraEnd_ = 0;    // first End more indented than its Begin
    bool checkingTail_ = true;
};

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

std::wstring FormFileError::Message() const {
    std::wstring name = FileNameOf(file);
    if (line > 0) name += L", Zeile " + std::to_wstring(line);
    return name + L": " + reason;
}

Value Value::String(const std::wstring& text) {
    Value v;
    v.kind = Kind::String;
    v.text = text;
    return v;
}

Value Value::Number(long long n) { return Literal(std::to_string(n)); }

Value Value::Boolean(bool b) {
    Value v = Number(b ? -1 : 0);
    v.comment = BooleanComment(b);
    return v;
}

Value Value::Literal(const std::string& literal) {
    Value v;
    v.kind = ReadNumber(literal, nullptr) ? Kind::Number : Kind::Other;
    v.literal = literal;
    return v;
}

Value Value::Picture(const std::vector<unsigned char>& image) {
    Value v;
    v.kind = Kind::Frx;
    v.frxData.assign(kPictureMagic, kPictureMagic + 4);
    uint32_t n = static_cast<uint32_t>(image.size());
    for (int shift = 0; shift < 32; shift += 8) v.frxData.push_back(static_cast<unsigned char>(n >> shift));
    v.frxData.insert(v.frxData.end(), image.begin(), image.end());
    return v;
}

bool Value::AsNumber(double& out) const {
    if (kind != Kind::Number && kind != Kind::Other) return false;
    if (SameName(literal, "True")) return out = -1, true;
    if (SameName(literal, "False")) return out = 0, true;
    return ReadNumber(literal, &out);
}

std::vector<unsigned char> Value::PictureData() const {
    if (kind != Kind::Frx || frxData.size() < 8 || !std::equal(kPictureMagic, kPictureMagic + 4, frxData.begin()))
        return {};
    uint32_t n = frxData[4] | frxData[5] << 8 | frxData[6] << 16 | static_cast<uint32_t>(frxData[7]) << 24;
    if (n != frxData.size() - 8) return {};
    return {frxData.begin() + 8, frxData.end()};
}

const Value* Block::Find(std::string_view name) const {
    for (const Item& item : items)
        if (!item.block && !item.name.empty() && SameName(item.name, name)) return &item.value;
    return nullptr;
}

long Block::NumberOr(std::string_view name, long fallback) const {
    double d = 0;
    const Value* v = Find(name);
    return v && v->AsNumber(d) ? static_cast<long>(d) : fallback;
}

void Block::Set(std::string_view name, Value v) {
    for (Item& item : items) {
        if (item.block || item.name.empty() || !SameName(item.name, name)) continue;
        if (SamePayload(item.value, v)) return;  // unchanged: the line stays as it was
        // A Boolean is known by the comment the IDE gave it; the new value gets a fresh one.
        bool isFlag = v.kind == Value::Kind::Number && (v.literal == "-1" || v.literal == "0");
        if (v.comment.empty() && isFlag && IsBooleanComment(item.value.comment))
            v.comment = BooleanComment(v.literal == "-1");
        item.value = std::move(v);
        item.raw.clear();
        return;
    }
    auto at = items.begin();
    while (at != items.end() && !(at->block && !at->block->group)) ++at;
    items.insert(at, Item{std::string(name), std::move(v), nullptr, 0, {}});
}

bool Block::Remove(std::string_view name) {
    for (auto it = items.begin(); it != items.end(); ++it)
        if (!it->block && !it->name.empty() && SameName(it->name, name)) {
            items.erase(it);
            return true;
        }
    return false;
}

Block* Block::Group(std::string_view name) {
    return const_cast<Block*>(static_cast<const Block*>(this)->Group(name));
}

const Block* Block::Group(std::string_view name) const {
    for (const Item& item : items)
        if (item.block && item.block->group && SameName(item.block->name, name)) return item.block.get();
    return nullptr;
}

std::vector<Block*> Block::Children() {
    std::vector<Block*> children;
    for (Item& item : items)
        if (item.block && !item.block->group) children.push_back(item.block.get());
    return children;
}

std::vector<const Block*> Block::Children() const {
    std::vector<const Block*> children;
    for (const Item& item : items)
        if (item.block && !item.block->group) children.push_back(item.block.get());
    return children;
}

FormFile FormFile::Load(const std::wstring& path) {
    std::optional<std::string> text = ReadWholeFile(path);
    if (!text) throw FormFileError{path, 0, L"Die Datei kann nicht gelesen werden."};
    std::wstring folder = path.substr(0, path.size() - FileNameOf(path).size());
    return Parse(*text, path, [&](const std::wstring& frxName) {
        bool absolute = (frxName.size() > 1 && frxName[1] == L':') || frxName.starts_with(L"\\") ||
                        frxName.starts_with(L"/");
        return ReadWholeFile(absolute ? frxName : folder + frxName);
    });
}

FormFile FormFile::Parse(const std::string& text, const std::wstring& pathForMessages, const FrxReader& readFrx) {
    Parsed parsed = Parser(pathForMessages, readFrx).Run(text);
    FormFile f;
    f.path_ = pathForMessages;
    f.versionLine = std::move(parsed.version);
    f.headerLines = std::move(parsed.header);
    f.tailLines = std::move(parsed.tail);
    f.form_ = std::move(parsed.form);
    return f;
}

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
