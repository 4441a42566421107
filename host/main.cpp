// NimbraHost: plays the classic host application for NimbraForm. Reads a form
// file, sites its ActiveX controls, and either shows the form (run or design
// mode) or saves it again.
//
//   NimbraHost [--design] [--save OUT.frm] [--set Property=Value]...
//              [--events LOG] [--cancel Event]... [--quit-after MS] [--windows LOG] [--ready FILE] FORM.frm
//
// --windows writes every visible top-level window of the host's thread with its
// screen rectangle, and an MDI client's windows: what a test checks the skin by.
// It is written anew whenever the windows have settled, and at the end.
// --ready writes FILE once the forms are shown and their messages have run
// out: what a script waits for before it takes a picture or clicks.
#include <windows.h>
#include <ole2.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ControlSite.h"
#include "EventSink.h"
#include "FormBag.h"
#include "FormFile.h"
#include "HostForm.h"
#include "forms/Handles.h"
#include "forms/Text.h"
#include "forms/Units.h"

using namespace nimbra;
using namespace nimbra::host;

namespace {

void Print(HANDLE to, const std::wstring& text) {
    const std::wstring line = text + L"\n";
    const std::string bytes = forms::Narrow(line, CP_UTF8);
    DWORD written;
    WriteFile(to, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}
void Error(const std::wstring& text) { Print(GetStdHandle(STD_ERROR_HANDLE), L"NimbraHost: " + text); }

struct Options {
    bool design = false;
    std::vector<std::wstring> forms;  // several forms run side by side; --save takes one
    std::wstring save, events, windows, ready;
    std::set<std::wstring> cancel;
    std::vector<std::pair<std::wstring, std::wstring>> set;
    UINT quitAfter = 0;
};

bool ParseArguments(int argc, wchar_t** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto next = [&]() -> const wchar_t* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == L"--design") o.design = true;
        else if (a == L"--save" || a == L"--events" || a == L"--cancel" || a == L"--set" || a == L"--quit-after" ||
                 a == L"--windows" || a == L"--ready") {
            const wchar_t* v = next();
            if (!v) return false;
            if (a == L"--save") o.save = v;
            else if (a == L"--events") o.events = v;
            else if (a == L"--windows") o.windows = v;
            else if (a == L"--ready") o.ready = v;
            else if (a == L"--cancel") o.cancel.insert(v);
            else if (a == L"--quit-after") o.quitAfter = static_cast<UINT>(_wtoi(v));
            else {
                const std::wstring s = v;
                const size_t eq = s.find(L'=');
                if (eq == std::wstring::npos) return false;
                o.set.emplace_back(s.substr(0, eq), s.substr(eq + 1));
            }
        } else if (!a.empty() && a[0] != L'-') o.forms.push_back(a);
        else return false;
    }
    return !o.forms.empty() && (o.save.empty() || o.forms.size() == 1);
}

// "--set Name=Value": True/False, a number, or text, put on every control that has the property.
HRESULT ApplySetting(HostForm& form, const std::wstring& name, const std::wstring& text) {
    VARIANT value;
    VariantInit(&value);
    if (text == L"True" || text == L"False") {
        value.vt = VT_BOOL;
        value.boolVal = text == L"True" ? VARIANT_TRUE : VARIANT_FALSE;
    } else {
        wchar_t* end = nullptr;
        const long n = wcstol(text.c_str(), &end, 10);
        if (!text.empty() && end && *end == L'\0') {
            value.vt = VT_I4;
            value.lVal = n;
        } else {
            value.vt = VT_BSTR;
            value.bstrVal = SysAllocString(text.c_str());
        }
    }
    HRESULT result = DISP_E_MEMBERNOTFOUND;
    for (const auto& site : form.Controls()) {
        ComPtr<IDispatch> control;
        if (FAILED(site->Control()->QueryInterface(IID_PPV_ARGS(&control)))) continue;
        DISPID id;
        LPOLESTR n = const_cast<LPOLESTR>(name.c_str());
        HRESULT hr = control->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
        if (SUCCEEDED(hr)) {
            VARIANTARG arg = value;
            DISPID put = DISPID_PROPERTYPUT;
            DISPPARAMS params{&arg, &put, 1, 1};
            hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                                 nullptr);
        }
        if (SUCCEEDED(hr) || result == DISP_E_MEMBERNOTFOUND) result = hr;
    }
    VariantClear(&value);
    return result;
}

void AddLine(std::wstring& text, const std::wstring& title, HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    text += title + L"|" + std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right) +
            L" " + std::to_wstring(r.bottom) + L"\n";
}

BOOL CALLBACK AddWindow(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    wchar_t title[256] = L"";
    GetWindowTextW(hwnd, title, 256);
    AddLine(*reinterpret_cast<std::wstring*>(param), title, hwnd);
    return TRUE;
}

// "caption|left top right bottom" for each visible top-level window of this
// thread; then an MDI client's line ("MDICLIENT|...") and one for each visible
// window inside it (MDI child forms and their skins).
void WriteWindows(const std::wstring& path) {
    std::wstring text;
    EnumThreadWindows(GetCurrentThreadId(), AddWindow, reinterpret_cast<LPARAM>(&text));
    for (forms::Form* f : forms::LoadedForms())
        if (HWND client = f->MdiClient()) {
            AddLine(text, L"MDICLIENT", client);
            for (HWND w = GetWindow(client, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
                if (IsWindowVisible(w)) AddWindow(w, reinterpret_cast<LPARAM>(&text));
        }
    // Written beside it and then put in its place: a reader never sees half of it.
    const std::wstring next = path + L".neu";
    {
        const forms::FileHandle f(CreateFileW(next.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!f) return;
        Print(f.get(), text);
    }
    MoveFileExW(next.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

void CALLBACK QuitTimer(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }

int Run(const Options& o) {
    std::vector<std::unique_ptr<FormFile>> files;
    for (const auto& path : o.forms) {
        try {
            files.push_back(std::make_unique<FormFile>(FormFile::Load(path)));
        } catch (const FormFileError& e) {
            Error(e.Message());
            return 2;
        }
    }
    EventLog events(o.events, o.cancel);
    HostOptions hostOptions{o.design, &events};
    std::vector<std::unique_ptr<HostForm>> forms;
    std::vector<std::wstring> errors;
    // An MDI parent form is made first, whatever the order: its client holds the
    // MDI child forms. The files are put in that order, so forms[i] is files[i]'s.
    std::stable_partition(files.begin(), files.end(), [](const auto& f) { return f->Form().type == "VB.MDIForm"; });
    for (const auto& file : files) {
        forms.push_back(std::make_unique<HostForm>(file->Form(), hostOptions));
        if (forms.back()->Create(errors) && !hostOptions.mdiClient) hostOptions.mdiClient = forms.back()->MdiClient();
    }
    for (const auto& e : errors) Error(e);

    for (const auto& [name, value] : o.set)
        for (const auto& form : forms)
            if (FAILED(ApplySetting(*form, name, value))) {
                Error(L"Eigenschaft " + name + L" kann nicht gesetzt werden.");
                errors.push_back(name);
            }

    if (!o.save.empty()) {
        std::vector<std::wstring> saveErrors;
        forms[0]->SaveTo(saveErrors);
        for (const auto& e : saveErrors) Error(e);
        try {
            files[0]->Save(o.save);
        } catch (const FormFileError& e) {
            Error(e.Message());
            return 2;
        }
        Print(GetStdHandle(STD_OUTPUT_HANDLE), std::wstring(L"gespeichert: ") + o.save +
                                                   (forms[0]->modified ? L" (geändert)" : L""));
        forms.clear();
        return errors.empty() && saveErrors.empty() ? 0 : 3;
    }

    for (size_t i = 0; i < forms.size(); ++i) {
        forms[i]->Show();
        if (const Value* state = files[i]->Form().Find("WindowState")) {
            double d = 0;
            if (state->AsNumber(d)) forms[i]->SetWindowState(static_cast<int>(d));
        }
    }
    if (o.quitAfter) SetTimer(nullptr, 0, o.quitAfter, QuitTimer);
    // Ready once no message has come for 200 ms: the forms are shown, activated and painted.
    if (!o.ready.empty() && forms::RunUntilQuiet(200, INFINITE)) {
        // Opening the file (a pipe the caller waits on) is the signal.
        forms::FileHandle(CreateFileW(o.ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    if (!o.windows.empty()) {
        // The file is written anew once the messages after a change have run
        // out (100 ms without one): a test reads where the windows stand while
        // the program runs. Idle, the loop waits for the next message.
        while (forms::RunUntilQuiet(100, INFINITE)) {
            WriteWindows(o.windows);
            WaitMessage();
        }
        WriteWindows(o.windows);
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    forms.clear();
    return errors.empty() ? 0 : 3;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options o;
    if (!ParseArguments(argc, argv, o)) {
        Error(L"Aufruf: NimbraHost [--design] [--save DATEI] [--set Eigenschaft=Wert] [--events DATEI] "
              L"[--cancel Ereignis] [--quit-after MS] [--windows DATEI] [--ready DATEI] FORMULAR.frm [FORMULAR.frm ...]");
        return 1;
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    const int rc = Run(o);
    OleUninitialize();
    return rc;
}
