#include "SpEv.h"

#include <mmsystem.h>
#include <uxtheme.h>

#include <optional>
#include <string>
#include <vector>

#include "../com/LateBound.h"
#include "../errors/basError.h"
#include "../forms/Handles.h"
#include "../forms/Text.h"

namespace nimbra {
namespace {

Procedure InSpEv(const wchar_t* procedure) { return {procedure, kClassModule, L"SpEv"}; }

std::wstring Text(const BSTR* s) { return s && *s ? std::wstring(*s, SysStringLen(*s)) : std::wstring(); }

// File errors numbered as a classic runtime numbers them.
[[noreturn]] void RaiseFileError(std::source_location where) {
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND: Raise(53, where);
    case ERROR_PATH_NOT_FOUND: Raise(76, where);
    default: Raise(75, where);
    }
}

class File {
public:
    File(const std::wstring& name, bool write, std::source_location where = std::source_location::current()) {
        h_.reset(CreateFileW(name.c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                             write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h_) RaiseFileError(where);
    }

    std::wstring ReadAll(std::source_location where = std::source_location::current()) {
        LARGE_INTEGER size{};
        GetFileSizeEx(h_.get(), &size);
        std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
        DWORD read = 0;
        if (!bytes.empty() && !ReadFile(h_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            RaiseFileError(where);
        bytes.resize(read);
        return forms::Widen(bytes);
    }
    void Write(const std::wstring& text, std::source_location where = std::source_location::current()) {
        const std::string bytes = forms::Narrow(text);
        DWORD written = 0;
        if (!bytes.empty() && !WriteFile(h_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
            RaiseFileError(where);
    }

private:
    // Sequential files hold text in the system's ANSI code page.
    forms::FileHandle h_;
};

IDispatch* ListObject(VARIANT* list, std::source_location where = std::source_location::current()) {
    VARIANT* v = list;
    if (v && v->vt == (VT_VARIANT | VT_BYREF)) v = v->pvarVal;
    if (v && v->vt == VT_DISPATCH && v->pdispVal) return v->pdispVal;
    if (v && v->vt == (VT_DISPATCH | VT_BYREF) && v->ppdispVal && *v->ppdispVal) return *v->ppdispVal;
    Raise(424, where);
}

long ToLong(const VARIANT& v, std::source_location where = std::source_location::current()) {
    Variant n;
    Check(VariantChangeType(&n, const_cast<VARIANT*>(&v), 0, VT_I4), where);
    return n.lVal;
}

std::wstring ToText(const VARIANT& v, std::source_location where = std::source_location::current()) {
    Variant s;
    Check(VariantChangeType(&s, const_cast<VARIANT*>(&v), 0, VT_BSTR), where);
    return std::wstring(s.bstrVal, SysStringLen(s.bstrVal));
}

bool IsWinXP() {
    bool result = false;
    Guard(InSpEv(L"IsWinXP")).Run([&] {
        OSVERSIONINFOW v{};
        v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        CheckWin32(GetVersionExW(&v));
#pragma GCC diagnostic pop
        // Major and minor are compared separately: 5.1, 5.2 and 6.1 pass, 6.0 does not.
        result = v.dwPlatformId == VER_PLATFORM_WIN32_NT && v.dwMajorVersion >= 5 && v.dwMinorVersion >= 1;
    });
    return result;
}

}  // namespace

void* SpEv::Find(REFIID riid) {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__SpEv) return static_cast<_SpEv*>(this);
    return nullptr;
}

STDMETHODIMP SpEv::TextRead(BSTR* Filename, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    Guard(InSpEv(L"TextRead")).Run([&] {
        const std::wstring text = File(Text(Filename), false).ReadAll();
        *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    });
    return S_OK;
}

STDMETHODIMP SpEv::TextSave(BSTR* Filename, BSTR* Text_) {
    Guard(InSpEv(L"TextSave")).Run([&] { File(Text(Filename), true).Write(Text(Text_) + L"\r\n"); });
    return S_OK;
}

STDMETHODIMP SpEv::PlayMusic(BSTR* Filename) {
    Guard(InSpEv(L"PlayMusic")).Run([&] {
        // Returns at once; a missing file plays nothing, not the default sound.
        sndPlaySoundW(Text(Filename).c_str(), SND_ASYNC | SND_NODEFAULT);
    });
    return S_OK;
}

namespace {

// A file that never opened is written to as a classic runtime's unopened
// file number: error 52.
File& Opened(std::optional<File>& file, std::source_location where = std::source_location::current()) {
    if (!file) Raise(52, where);
    return *file;
}

}  // namespace

STDMETHODIMP SpEv::ListSave(VARIANT* List, BSTR* Filename, BSTR* TextBeforeListText, BSTR* TextAfterListText) {
    // A step per statement: with the silent switch on, an item that fails
    // leaves the other items to be written.
    Guard g(InSpEv(L"ListSave"));
    IDispatch* list = nullptr;
    std::optional<File> file;
    long n = 0;
    const std::wstring before = Text(TextBeforeListText), after = Text(TextAfterListText);
    if (!g.Run([&] { list = ListObject(List); }, [&] { file.emplace(Text(Filename), true); },
               [&] {
                   Variant count;
                   GetByName(list, L"ListCount", &count);
                   n = ToLong(count);
               }))
        return S_OK;
    for (long i = 0; i < n; ++i) {
        const bool ran = g.Run([&] {
            Variant item;
            VARIANTARG index = Int32(i);
            std::wstring description;
            CheckCall(InvokeByName(list, L"List", DISPATCH_PROPERTYGET | DISPATCH_METHOD, &index, 1, &item,
                                   &description),
                      description);
            Opened(file).Write(before + ToText(item) + after + L"\r\n");
        });
        if (!ran) break;
    }
    return S_OK;
}

STDMETHODIMP SpEv::ListRead(VARIANT* List, BSTR* Filename) {
    // A step per line: with the silent switch on, a line the list refuses
    // leaves the later lines to be added.
    Guard g(InSpEv(L"ListRead"));
    IDispatch* list = nullptr;
    std::wstring text;
    if (!g.Run([&] { list = ListObject(List); }, [&] { text = File(Text(Filename), false).ReadAll(); }))
        return S_OK;
    // Line by line as sequential input reads them: CR LF, CR or LF end a
    // line; a break at the very end adds no empty line.
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring::npos) end = text.size();
        const std::wstring line = text.substr(pos, end - pos);
        const bool ran = g.Run([&] {
            Variant item;
            item.vt = VT_BSTR;
            item.bstrVal = SysAllocStringLen(line.data(), static_cast<UINT>(line.size()));
            CallByName(list, L"AddItem", {item});
        });
        if (!ran) break;
        pos = end;
        if (pos < text.size() && text[pos] == L'\r') ++pos;
        if (pos < text.size() && text[pos] == L'\n') ++pos;
    }
    return S_OK;
}

STDMETHODIMP SpEv::FileExists(BSTR* sFile, VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    // No guard: FindFirstFile reports everything through its handle.
    WIN32_FIND_DATAW data;
    const forms::FindHandle found(FindFirstFileW(Text(sFile).c_str(), &data));
    *result = found ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP SpEv::ActiveXPTheme(cActiveXPTheme* result) {
    if (!result) return E_POINTER;
    *result = cActiveXPTheme{};
    Guard(InSpEv(L"ActiveXPTheme")).Run([&] {
        if (!IsWinXP()) {
            *result = styleClassic;
            return;
        }
        wchar_t file[260] = L"", colour[255] = L"", size[255] = L"";
        if (GetCurrentThemeName(file, 260, colour, 255, size, 255) != S_OK) colour[0] = L'\0';
        const std::wstring c = colour;
        *result = c == L"NormalColor" ? styleBlue
                  : c == L"Metallic"  ? styleSilver
                  : c == L"HomeStead" ? styleOlive
                                      : styleClassic;
    });
    return S_OK;
}

STDMETHODIMP SpEv::MouseButtonPressed(cMouseButton* result) {
    if (!result) return E_POINTER;
    *result = mouseNone;
    Guard(InSpEv(L"MouseButtonPressed")).Run([&] {
        // Any non-zero state counts, the "pressed since last asked" bit included.
        *result = GetAsyncKeyState(VK_LBUTTON)   ? mouseLeft
                  : GetAsyncKeyState(VK_RBUTTON) ? mouseRight
                  : GetAsyncKeyState(VK_MBUTTON) ? mouseMiddle
                                                 : mouseNone;
    });
    return S_OK;
}

}  // namespace nimbra
