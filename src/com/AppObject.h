// What the library knows of itself, read from its own version resource, and the
// late-bound application-information object handed to the error handler.
#pragma once
#include <oaidl.h>
#include <wrl/client.h>

#include <string>

namespace nimbra {

struct LibraryInfo {
    std::wstring exeName;  // file name without folder and extension
    std::wstring path;     // folder of the library file, without trailing backslash
    std::wstring title;
    std::wstring fileDescription;
    WORD major = 0, minor = 0, revision = 0;

    // "2.8.0": what the about window and the error report show.
    std::wstring Version() const {
        return std::to_wstring(major) + L"." + std::to_wstring(minor) + L"." + std::to_wstring(revision);
    }
};

const LibraryInfo& ThisLibrary();

// A new object with the late-bound properties EXEName, Path, Title,
// FileDescription, Major, Minor and Revision.
Microsoft::WRL::ComPtr<IDispatch> NewAppObject();

}  // namespace nimbra
