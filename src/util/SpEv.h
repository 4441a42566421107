// SpEv: small utilities for host applications (text and list files, sound,
// file existence, the active XP colour scheme, the mouse buttons).
#pragma once
#include "../com/ComObject.h"
#include "../com/Dispatch.h"
#include "NimbraForm_h.h"

namespace nimbra {

class SpEv final : public ComObject<DispatchImpl<_SpEv, IID__SpEv>> {
public:
    STDMETHODIMP TextRead(BSTR* Filename, BSTR* result) override;
    STDMETHODIMP TextSave(BSTR* Filename, BSTR* Text) override;
    STDMETHODIMP PlayMusic(BSTR* Filename) override;
    STDMETHODIMP ListSave(VARIANT* List, BSTR* Filename, BSTR* TextBeforeListText, BSTR* TextAfterListText) override;
    STDMETHODIMP ListRead(VARIANT* List, BSTR* Filename) override;
    STDMETHODIMP FileExists(BSTR* sFile, VARIANT_BOOL* result) override;
    STDMETHODIMP ActiveXPTheme(cActiveXPTheme* result) override;
    STDMETHODIMP MouseButtonPressed(cMouseButton* result) override;

private:
    void* Find(REFIID riid) override;
};

}  // namespace nimbra
