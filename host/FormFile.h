// The classic text form file (.frm) and its binary companion (.frx): read,
// change a few properties, write back. Whatever the reader does not
// understand is kept, and every line whose value did not change is written
// back byte for byte, so load -> save -> load changes nothing.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra::host {

// Thrown by Load, Parse and Save. The reason is German: it is shown to the user.
struct FormFileError {
    std::wstring file;  // path of the .frm
    int line = 0;       // 1-based; 0 when no line is to blame
    std::wstring reason;
    std::wstring Message() const;  // "Form1.frm, Zeile 12: ..."
};

// The value of one property line.
struct Value {
    enum class Kind { String, Number, Frx, Other };
    Kind kind = Kind::Other;
    std::wstring text;    // String: decoded, quotes removed, "" made "
    std::string literal;  // Number/Other: as written ("3195", "8.25", "&H8000000F&");
                          // Frx: "$" when written $"file":offset (a long text), else empty
    std::wstring frxFile;  // Frx: the .frx named in the reference, as written
    unsigned long frxOffset = 0;
    std::vector<unsigned char> frxData;  // Frx: the blob as stored, its framing included
    std::string comment;  // what followed the value on its line ("  'True"), written back with it

    static Value String(const std::wstring& text);
    static Value Number(long long n);
    static Value Boolean(bool b);  // -1 or 0 with the IDE's 'True / 'False comment
    static Value Literal(const std::string& literal);  // "&H00FF0000&", "8.25": Number if it reads as one
    static Value Picture(const std::vector<unsigned char>& image);  // an .ico or .bmp file image

    // Number/Other as the classic language reads them: decimal, real, &H..
    // (&H..& is a 32-bit Long, a short &H.. a 16-bit Integer), True, False.
    bool AsNumber(double& out) const;
    // The .ico/.bmp image of a picture blob ("lt\0\0", length, image); empty otherwise.
    std::vector<unsigned char> PictureData() const;
};

struct Block;

// One line of a block, in file order: a property, a BeginProperty group or
// nested Begin block (then `block` is set), or a blank line kept as it is.
struct Item {
    std::string name;  // the property's name; empty for a group, a nested block or a blank line
    Value value;
    std::unique_ptr<Block> block;
    int line = 0;     // where it was read; 0 for a new item
    std::string raw;  // the line as read, written back while the value stays the same
};

// Begin <type> <name> ... End, or BeginProperty <name> [{GUID}] ... EndProperty.
struct Block {
    bool group = false;  // a BeginProperty group
    std::string type;    // "VB.Form", "NimbraForm.xpForm"; for a group its {GUID} or empty
    std::string name;    // "Form1"; for a group "Font"
    int line = 0;
    std::string beginRaw, endRaw;  // the two lines as read; empty for a new block
    std::vector<Item> items;

    // Property names compare case-insensitively, as in the classic language.
    const Value* Find(std::string_view name) const;
    // The numeric property of that name (truncated to a whole number), or fallback.
    long NumberOr(std::string_view name, long fallback) const;
    // Replaces the value in place, or appends before the first nested Begin block.
    void Set(std::string_view name, Value v);
    bool Remove(std::string_view name);
    Block* Group(std::string_view name);
    const Block* Group(std::string_view name) const;
    std::vector<Block*> Children();  // nested Begin blocks (controls), in order
    std::vector<const Block*> Children() const;
};

class FormFile {
public:
    // Returns the bytes of the named .frx, or nothing when it does not exist.
    using FrxReader = std::function<std::optional<std::string>(const std::wstring& frxName)>;

    // Reads the .frm and the .frx files it refers to, beside it.
    static FormFile Load(const std::wstring& path);
    // text is the .frm's content; pathForMessages names it in errors.
    static FormFile Parse(const std::string& text, const std::wstring& pathForMessages,
                          const FrxReader& readFrx = {});
    // Writes the .frm and, when it has binary values, the .frx of the same name beside it.
    void Save(const std::wstring& path) const;
    // The .frm as it would be saved with the companion frxName; the binary
    // values are laid out in frx in order. A file the IDE wrote, rendered with
    // its own .frx name, comes out byte for byte as read.
    std::string Render(const std::wstring& frxName, std::string& frx) const;

    Block& Form() { return form_; }
    const Block& Form() const { return form_; }

    std::string versionLine;               // "VERSION 5.00"
    std::vector<std::string> headerLines;  // the Object = ... lines before the form, verbatim
    std::vector<std::string> tailLines;    // Attribute lines and code after the form, verbatim

private:
    std::wstring path_;  // for messages
    Block form_;
};

}  // namespace nimbra::host
