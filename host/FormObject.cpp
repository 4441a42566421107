#include "FormObject.h"

#include "HostForm.h"

namespace nimbra::host {

HWND FormObject::Window() const { return form_ && form_->Loaded() ? form_->hWnd() : nullptr; }

// The form keeps its Icon as a picture, written back to the form file.
HRESULT FormObject::GetIcon(IPictureDisp** icon) { return form_->icon.CopyTo(icon); }

void FormObject::PutIcon(IPictureDisp* icon) { form_->SetIcon(icon); }

}  // namespace nimbra::host
