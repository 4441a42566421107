#include "FormFile.h"

#include <algorithm>
#include <cstdint>

#include "FormFileText.h"

namespace nimbra::host {
namespace {

using namespace text;

bool SamePayload(const Value& a, const Value& b) {
    if (a.kind != b.kind) return false;
    switch (a.kind) {
    case Value::Kind::String: return a.text == b.text;
    case Value::Kind::Frx: return a.literal == b.literal && a.frxData == b.frxData;
    default: return a.literal == b.literal;
    }
}

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

}  // namespace nimbra::host
