// One outgoing interface of an object: the sinks advised on it and the calls
// that reach them. Lives inside its owner and shares the owner's lifetime.
#pragma once
#include <ocidl.h>
#include <olectl.h>

#include <utility>
#include <vector>

#include "ComObject.h"

namespace nimbra {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* owner, REFIID iid) : owner_(owner), iid_(iid) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    REFIID Iid() const { return iid_; }
    size_t SinkCount() const { return sinks_.size(); }

    // Calls the event on every dispatch sink. Arguments in source order; a
    // by-reference argument comes back as the last sink left it.
    void Fire(DISPID id, VARIANTARG* args = nullptr, UINT count = 0);
    // IPropertyNotifySink::OnChanged on every sink.
    void NotifyChanged(DISPID id);

private:
    // A snapshot, so a sink may unadvise (or advise) while being called.
    std::vector<ComPtr<IUnknown>> Sinks() const;

    IConnectionPointContainer* owner_;
    IID iid_;
    DWORD nextCookie_ = 1;
    std::vector<std::pair<DWORD, ComPtr<IUnknown>>> sinks_;
};

// FindConnectionPoint over a fixed set of points.
HRESULT FindPoint(std::initializer_list<ConnectionPoint*> points, REFIID iid, IConnectionPoint** out);

}  // namespace nimbra
