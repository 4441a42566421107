// The library's creatable classes: the one table the entry points and the
// registration read.
#pragma once
#include "com/Registration.h"

namespace nimbra {

const ClassEntry* FindClass(REFCLSID clsid);
HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace nimbra
