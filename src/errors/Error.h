// The public class Error: the switch that silences the library's error reports.
#pragma once
#include "../com/ComObject.h"
#include "../com/Dispatch.h"
#include "NimbraForm_h.h"

namespace nimbra {

class Error final : public ComObject<DispatchImpl<_Error, IID__Error>> {
public:
    Error();
    STDMETHODIMP get_SilentError(VARIANT_BOOL* result) override;
    STDMETHODIMP put_SilentError(VARIANT_BOOL value) override;

private:
    void* Find(REFIID riid) override;
};

}  // namespace nimbra
