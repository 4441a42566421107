// A form of the host application: a forms-engine window built from a form
// file's VB.Form block, with the controls sited on it.
#pragma once
#include <ocidl.h>

#include <string>
#include <vector>

#include "ComObject.h"
#include "FormFile.h"
#include "forms/Form.h"

namespace nimbra::host {

class ControlSite;
class FormObject;
class EventLog;

struct HostOptions {
    bool design = false;  // ambient UserMode False
    EventLog* events = nullptr;
    HWND mdiClient = nullptr;  // the MDI parent form's client, for the forms with MDIChild = True
};

class HostForm final : public forms::Form {
public:
    HostForm(Block& block, const HostOptions& options);
    ~HostForm() override;

    // Creates the window from the block (caption, client size and position,
    // window state, border style, icon) and sites every control it can create.
    // Problems with single controls are collected in errors, in German.
    bool Create(std::vector<std::wstring>& errors);
    // Writes what changed back into the block: the form's caption and icon, and
    // each control's properties through its persistence. Returns the first failure.
    HRESULT SaveTo(std::vector<std::wstring>& errors);

    IDispatch* Object();  // the late-bound face handed to controls as their Parent
    const HostOptions& Options() const { return options_; }
    const std::vector<ComPtr<ControlSite>>& Controls() const { return controls_; }
    // A site made outside Create ends with the form like the ones it made.
    void Adopt(ControlSite* site);

    bool modified = false;        // a control reported a property change
    ComPtr<IPictureDisp> icon;    // the form's Icon
    void SetIcon(IPictureDisp* picture);

protected:
    void Form_Unload(int& cancel) override;

private:
    Block& block_;
    HostOptions options_;
    ComPtr<FormObject> object_;
    std::vector<ComPtr<ControlSite>> controls_;
    std::vector<HWND> plainControls_;  // buttons and labels drawn for the look only
    IPictureDisp* loadedIcon_ = nullptr;  // to tell a changed icon on save
};

}  // namespace nimbra::host
