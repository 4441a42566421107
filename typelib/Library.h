// The shape of a type library description: what mktlb turns into a .tlb and
// into the C++ declarations the server implements. Names, DISPIDs, parameter
// kinds and help strings are written once, in NimbraForm.cpp.
#pragma once
#include <vector>

namespace tlb {

enum class Type { Void, Bool, Long, UByte, String, Variant, Picture, Enum };

struct TypeRef {
    Type type = Type::Void;
    const wchar_t* enumName = nullptr;  // for Type::Enum
};

enum ParamFlags : unsigned {
    In = 1,
    Out = 2,
    ByRef = 4,     // passed as a pointer
    Optional = 8,  // with defaultText as its default value
};

struct Param {
    const wchar_t* name;
    TypeRef type;
    unsigned flags = In;
    const wchar_t* defaultText = nullptr;
};

enum class Kind { Method, Get, Put, PutRef };

struct Member {
    const wchar_t* name;
    long dispid;
    Kind kind;
    TypeRef result;  // Method: return value (Void for none); Get: property type
    std::vector<Param> params;
    const wchar_t* help = nullptr;
    bool hidden = false;      // not browsable
};

struct Interface {
    const wchar_t* name;
    const wchar_t* iid;
    bool events;  // dispatch-only source interface; otherwise a dual interface
    std::vector<Member> members;
};

struct EnumMember {
    const wchar_t* name;
    long value;
};

struct Enumeration {
    const wchar_t* name;
    std::vector<EnumMember> members;
};

enum class ClassKind { Creatable, AppObject, Control, Private };

struct CoClass {
    const wchar_t* name;
    const wchar_t* clsid;
    ClassKind kind;
    const wchar_t* defaultInterface;
    const wchar_t* eventInterface;  // nullptr: no events
};

struct Library {
    const wchar_t* name;
    const wchar_t* libid;
    const wchar_t* help;
    unsigned long lcid;
    unsigned short major, minor;
    std::vector<Enumeration> enums;
    std::vector<Interface> interfaces;
    std::vector<CoClass> classes;
};

const Library& NimbraForm();

}  // namespace tlb
