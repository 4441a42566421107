// The loaded library: its module handle and path, the count of live objects and
// server locks that DllCanUnloadNow answers from, and its embedded type library.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <string>

namespace nimbra {

HMODULE ModuleHandle();
std::wstring ModulePath();

void ModuleAddRef();
void ModuleRelease();
bool ModuleInUse();

// The type library embedded as TYPELIB 1 in this module; nullptr if it cannot be loaded.
ITypeLib* TypeLibrary();
// The description a dual interface is called through (the vtable side), or a
// dispatch interface's own description. Not AddRef'd; lives as long as the module.
ITypeInfo* TypeInfoOf(REFGUID guid);

// Counts as a live object for DllCanUnloadNow from construction to destruction.
class ModuleReference {
public:
    ModuleReference() { ModuleAddRef(); }
    ModuleReference(const ModuleReference&) : ModuleReference() {}
    ~ModuleReference() { ModuleRelease(); }
};

}  // namespace nimbra
