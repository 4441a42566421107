#include "FormFile.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <utility>

#include "FormFileText.h"

namespace nimbra::host {
namespace {

using namespace text;

// Far beyond any real form; the writer and the tree's destructor recurse per level.
constexpr size_t kMaxDepth = 64;

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
}  // namespace

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

}  // namespace nimbra::host
