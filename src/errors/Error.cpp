#include "Error.h"

#include "basError.h"

namespace nimbra {
namespace {
bool g_firstCreated = false;
}

Error::Error() {
    // The first Error object of the process starts from a known state; later
    // ones leave the switch as their predecessors set it.
    if (!g_firstCreated) {
        g_firstCreated = true;
        SetSilentError(false);
    }
}

void* Error::Find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Error) return static_cast<_Error*>(this);
    return nullptr;
}

STDMETHODIMP Error::get_SilentError(VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = SilentError() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Error::put_SilentError(VARIANT_BOOL value) {
    SetSilentError(value != VARIANT_FALSE);
    return S_OK;
}

}  // namespace nimbra
