// Writing and removing the registration of a server's creatable classes; the
// server's own table of classes serves DllGetClassObject and DllRegisterServer.
#pragma once
#include <windows.h>

#include <span>

namespace nimbra {

struct ClassEntry {
    const GUID* clsid;
    const wchar_t* progId;
    HRESULT (*create)(REFIID iid, void** out);
    // An ActiveX control's OLEMISC bits, registered with the keys containers'
    // toolboxes look for; 0 for a class that is not a control.
    DWORD miscStatus;
};

const ClassEntry* FindClass(std::span<const ClassEntry> classes, REFCLSID clsid);

// toolboxBitmap: the resource id of the controls' toolbox picture in this module.
HRESULT RegisterServer(std::span<const ClassEntry> classes, int toolboxBitmap);
HRESULT UnregisterServer(std::span<const ClassEntry> classes);

}  // namespace nimbra
