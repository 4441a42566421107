// One host form with one xpForm sited by our container, made in the test's
// own process so the control's state can be read while the container drives it.
#pragma once
#include <string>

#include "../../src/control/xpForm.h"
#include "ControlSite.h"
#include "FormFile.h"
#include "HostForm.h"
#include "TestSupport.h"

namespace test {

using nimbra::host::EventLog;

// One property line of the control's block in a form file.
inline std::string Prop(const std::string& name, long value) {
    return "      " + name + std::string(name.size() < 16 ? 16 - name.size() : 0, ' ') + "=   " +
           std::to_string(value) + "\r\n";
}

inline std::string FormText(const std::string& controlLines) {
    return "VERSION 5.00\r\n"
           "Object = \"{1A11BA44-3123-4488-94E8-4A011C1E99A6}#1.1#0\"; \"NimbraForm.ocx\"\r\n"
           "Begin VB.Form Form1 \r\n"
           "   Caption         =   \"Hauptfenster\"\r\n"
           "   Begin NimbraForm.xpForm xpForm1 \r\n"
           "      Left            =   120\r\n"
           "      Top             =   120\r\n"
           "      _ExtentX        =   847\r\n"
           "      _ExtentY        =   847\r\n" +
           controlLines +
           "   End\r\n"
           "End\r\n"
           "Attribute VB_Name = \"Form1\"\r\n";
}

class Hosted {
public:
    Hosted(const std::string& controlLines, bool design, EventLog* log = nullptr)
        : file_(nimbra::host::FormFile::Parse(FormText(controlLines), L"Test.frm")),
          form_(file_.Form(), nimbra::host::HostOptions{design, log}) {
        form_.Load(WS_OVERLAPPEDWINDOW);
        form_.Move(1500, 1500, 6000, 4500);  // twips: 100, 100, 400 x 300 pixels
        form_.SetCaption(L"Hauptfenster");
        // Our own control object, sited on the control's block of the file.
        control = nimbra::Make<nimbra::xpForm>();
        site = nimbra::Make<nimbra::host::ControlSite>(&form_, *file_.Form().Children().at(0));
        loaded = site->Attach(static_cast<IOleObject*>(control.Get()), error);
        form_.Adopt(site.Get());  // closed with the form, as a container's own controls are
    }
    ~Hosted() {
        if (site) site->Close();
    }
    nimbra::host::HostForm& Form() { return form_; }
    nimbra::host::FormFile& File() { return file_; }

    nimbra::ComPtr<nimbra::xpForm> control;
    nimbra::ComPtr<nimbra::host::ControlSite> site;
    bool loaded = false;
    std::wstring error;

private:
    nimbra::host::FormFile file_;
    nimbra::host::HostForm form_;
};

}  // namespace test
