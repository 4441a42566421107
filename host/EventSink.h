// The host's handler of a control's events: one line per event in the log,
// and an answer for the cancellable ones as the command line asked.
#pragma once
#include <ocidl.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "ComObject.h"

namespace nimbra::host {

class EventLog {
public:
    // path empty: nothing is written. cancel: events whose Boolean argument is set True.
    EventLog(const std::wstring& path, std::set<std::wstring> cancel);
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    void Write(const std::wstring& line);  // UTF-8, flushed at once
    bool Cancels(const std::wstring& event) const { return cancel_.count(event) != 0; }

private:
    FILE* file_ = nullptr;
    std::set<std::wstring> cancel_;
};

class EventSink final : public ComObject<IDispatch> {
public:
    // Names the events from the control's own type information.
    EventSink(IUnknown* control, EventLog* log);
    // The control's default source interface, or IID_NULL.
    static IID SourceInterface(IUnknown* control);

    STDMETHODIMP GetTypeInfoCount(UINT* n) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

private:
    void* Find(REFIID riid) override;
    struct Event {
        std::wstring name;
        std::vector<std::wstring> params;
    };
    std::map<DISPID, Event> events_;
    EventLog* log_;
};

}  // namespace nimbra::host
