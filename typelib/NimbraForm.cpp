// The one description of the NimbraForm type library. mktlb writes the .tlb
// embedded in NimbraForm.ocx and the C++ interface declarations from it, so
// names, DISPIDs and help strings live here and nowhere else.
#include "Library.h"

#include <algorithm>
#include <string_view>

#include "xpFormMembers.h"

namespace tlb {
namespace {

constexpr TypeRef kVoid{Type::Void};
constexpr TypeRef kBool{Type::Bool};
constexpr TypeRef kLong{Type::Long};
constexpr TypeRef kUByte{Type::UByte};
constexpr TypeRef kString{Type::String};
constexpr TypeRef kVariant{Type::Variant};
constexpr TypeRef kPicture{Type::Picture};
constexpr TypeRef Enum(const wchar_t* name) { return {Type::Enum, name}; }

// A property as a classic class module declares it: getter, then setter.
void Property(std::vector<Member>& out, const wchar_t* name, long dispid, TypeRef type,
              const wchar_t* help, bool hidden = false) {
    out.push_back({name, dispid, Kind::Get, type, {}, help, hidden});
    Kind put = type.type == Type::Picture ? Kind::PutRef : Kind::Put;
    out.push_back({name, dispid, put, kVoid, {{L"Value", type, In}}, help, hidden});
}

Param Cancel(const wchar_t* name) { return {name, kBool, In | Out | ByRef}; }
// An event's parameters from its argument column: a Boolean of that name the
// host may set, or none.
std::vector<Param> EventParams(const wchar_t* argument) {
    if (std::wstring_view(argument) == L"None") return {};
    return {Cancel(argument)};
}
Param RefString(const wchar_t* name) { return {name, kString, In | Out | ByRef}; }

constexpr TypeRef kColor = Enum(L"cColorStyle");
constexpr TypeRef kBorder = Enum(L"cFormBorderStyle");
constexpr TypeRef kByte = kUByte;
constexpr TypeRef kText = kString;

std::vector<Member> XpFormMembers() {
    std::vector<Member> m;
    m.push_back({L"About", -552, Kind::Method, kVoid, {},
                 L"öffnet das Info-Fenster der Nimbra-Komponenten"});
    struct Row {
        const wchar_t* name;
        long dispid;
        TypeRef type;
        bool hidden;
        const wchar_t* help;
    };
    // The interface's own order, which is also its vtable order: by falling DISPID.
    std::vector<Row> rows = {
#define NIMBRA_ROW(name, dispid, kind, fallback, stored, browsable, help) \
    {L"" #name, dispid, k##kind, !(browsable), help},
        NIMBRA_XPFORM_PROPERTIES(NIMBRA_ROW)
#undef NIMBRA_ROW
    };
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.dispid > b.dispid; });
    for (const Row& r : rows) Property(m, r.name, r.dispid, r.type, r.help, r.hidden);
    return m;
}

std::vector<Member> XpFormEvents() {
    return {
#define NIMBRA_EVENT(name, dispid, argument, raiser, help) \
    {L"" #name, dispid, Kind::Method, kVoid, EventParams(L"" #argument), help},
        NIMBRA_XPFORM_EVENTS(NIMBRA_EVENT)
#undef NIMBRA_EVENT
    };
}

std::vector<Member> SpEvMembers() {
    return {
        {L"TextRead", 0x60030001, Kind::Method, kString, {RefString(L"Filename")}},
        {L"TextSave", 0x60030002, Kind::Method, kVoid,
         {RefString(L"Filename"), RefString(L"Text")}},
        {L"PlayMusic", 0x60030003, Kind::Method, kVoid, {RefString(L"Filename")}},
        {L"ListSave", 0x60030004, Kind::Method, kVoid,
         {{L"List", kVariant, In | Out | ByRef},
          RefString(L"Filename"),
          {L"TextBeforeListText", kString, In | Out | ByRef | Optional, L""},
          {L"TextAfterListText", kString, In | Out | ByRef | Optional, L""}}},
        {L"ListRead", 0x60030005, Kind::Method, kVoid,
         {{L"List", kVariant, In | Out | ByRef}, RefString(L"Filename")}},
        {L"FileExists", 0x60030006, Kind::Method, kBool, {RefString(L"sFile")}},
        {L"ActiveXPTheme", 0x60030007, Kind::Method, Enum(L"cActiveXPTheme"), {}},
        {L"MouseButtonPressed", 0x60030009, Kind::Method, Enum(L"cMouseButton"), {}},
    };
}

}  // namespace

const Library& NimbraForm() {
    static const Library lib{
        L"NimbraForm",
        L"{1A11BA44-3123-4488-94E8-4A011C1E99A6}",
        L"NimbraForm",
        0x409,
        1,
        1,
        {
            {L"cFormBorderStyle",
             {{L"cBorderNone", 0},
              {L"cBorderFixed", 1},
              {L"cBorderSizeable", 2},
              {L"cBorderFixedDialog", 3},
              {L"cBorderFixedToolBox", 4},
              {L"cBorderSizeableToolBox", 5}}},
            {L"cColorStyle", {{L"cXPBlue", 0}, {L"cXPSilver", 1}, {L"cXPOlive", 2}}},
            {L"cActiveXPTheme",
             {{L"styleBlue", 1}, {L"styleSilver", 2}, {L"styleOlive", 3}, {L"styleClassic", 4}}},
            {L"cMouseButton",
             {{L"mouseNone", 0}, {L"mouseLeft", 1}, {L"mouseRight", 2}, {L"mouseMiddle", 3}}},
        },
        {
            {L"_xpForm", L"{4A9441D0-2E11-4F67-BAC6-1A7D7553649B}", false, XpFormMembers()},
            {L"__xpForm", L"{8E35CF9D-A08D-4FFA-B0DE-0AC173F7290B}", true, XpFormEvents()},
            {L"_SpEv", L"{D56D668D-F92A-4B6B-86D3-0883D0C394A1}", false, SpEvMembers()},
            {L"_Error", L"{7526CDC9-C0C5-45BB-877D-2E4A69257857}", false,
             [] {
                 std::vector<Member> m;
                 Property(m, L"SilentError", 0x68030000, kBool, nullptr);
                 return m;
             }()},
            {L"_clsFormSubclass", L"{B68F329A-7C53-46A5-8952-950328D7CE54}", false,
             {{L"StartSubclass", 0x60030001, Kind::Method, kBool, {{L"hwnd", kLong, In}}},
              {L"StopSubClass", 0x60030002, Kind::Method, kBool, {}}}},
            {L"__clsFormSubclass", L"{FD56EFA5-604C-4A6C-A294-3498DEE8687E}", true,
             {{L"MessageCatched", 1, Kind::Method, kVoid,
               {{L"hwnd", kLong, In},
                {L"uMsg", kLong, In | Out | ByRef},
                {L"wParam", kLong, In | Out | ByRef},
                {L"lParam", kLong, In | Out | ByRef},
                {L"Cancel", kBool, In | Out | ByRef}}}}},
        },
        {
            {L"xpForm", L"{13E261CE-6D9B-4EFF-BF44-FF27D335664F}", ClassKind::Control, L"_xpForm",
             L"__xpForm"},
            {L"SpEv", L"{F620D36D-2C89-45E2-BBC4-6D9004AB9726}", ClassKind::AppObject, L"_SpEv",
             nullptr},
            {L"Error", L"{02D2047E-FE97-4B43-9591-F361259576A5}", ClassKind::AppObject, L"_Error",
             nullptr},
            {L"clsFormSubclass", L"{36D6B06F-E7D2-460D-AB70-E8070A1FF302}", ClassKind::Private,
             L"_clsFormSubclass", L"__clsFormSubclass"},
        },
    };
    return lib;
}

}  // namespace tlb
