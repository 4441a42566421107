// The creatable classes of the library, and writing and removing their
// registration. One table serves DllGetClassObject and DllRegisterServer.
#pragma once
#include <windows.h>

namespace nimbra {

struct ClassEntry {
    const GUID* clsid;
    const wchar_t* progId;
    HRESULT (*create)(REFIID iid, void** out);
    bool control;  // registered as an ActiveX control for containers' toolboxes
};

const ClassEntry* FindClass(REFCLSID clsid);

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace nimbra
