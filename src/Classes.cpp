#include "Classes.h"

#include "Resources.h"
#include "com/ClassFactory.h"
#include "control/xpForm.h"
#include "errors/Error.h"
#include "util/SpEv.h"

namespace nimbra {
namespace {

const ClassEntry kClasses[] = {
    {&CLSID_xpForm, L"NimbraForm.xpForm", CreateInstanceOf<xpForm>, xpForm::kMiscStatus},
    {&CLSID_SpEv, L"NimbraForm.SpEv", CreateInstanceOf<SpEv>, 0},
    {&CLSID_Error, L"NimbraForm.Error", CreateInstanceOf<Error>, 0},
};

}  // namespace

const ClassEntry* FindClass(REFCLSID clsid) { return FindClass(kClasses, clsid); }
HRESULT RegisterServer() { return RegisterServer(kClasses, IDB_TOOLBOX); }
HRESULT UnregisterServer() { return UnregisterServer(kClasses); }

}  // namespace nimbra
