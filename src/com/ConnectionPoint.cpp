#include "ConnectionPoint.h"

#include <algorithm>

namespace nimbra {

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    return Answer(iid, [&] { return iid_; });
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    return Answer(out, [&] {
        owner_->AddRef();
        return owner_;
    });
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    ComPtr<IUnknown> s;
    // Script engines' sinks often answer only IDispatch for an event interface.
    if (FAILED(sink->QueryInterface(iid_, reinterpret_cast<void**>(s.GetAddressOf()))) &&
        (iid_ == IID_IPropertyNotifySink ||
         FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(s.GetAddressOf())))))
        return CONNECT_E_CANNOTCONNECT;
    sinks_.emplace_back(nextCookie_, s);
    *cookie = nextCookie_++;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    auto it = std::find_if(sinks_.begin(), sinks_.end(), [&](const auto& e) { return e.first == cookie; });
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    sinks_.erase(it);
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
    return NoEnumerator(out);  // no container of ours needs it
}

std::vector<ComPtr<IUnknown>> ConnectionPoint::Sinks() const {
    std::vector<ComPtr<IUnknown>> v;
    for (const auto& e : sinks_) v.push_back(e.second);
    return v;
}

void ConnectionPoint::Fire(DISPID id, VARIANTARG* args, UINT count) {
    std::vector<VARIANTARG> reversed(count);
    for (UINT i = 0; i < count; ++i) reversed[i] = args[count - 1 - i];
    for (const auto& sink : Sinks()) {
        DISPPARAMS params{reversed.data(), nullptr, count, 0};
        static_cast<IDispatch*>(sink.Get())
            ->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
}

void ConnectionPoint::NotifyChanged(DISPID id) {
    for (const auto& sink : Sinks()) static_cast<IPropertyNotifySink*>(sink.Get())->OnChanged(id);
}

HRESULT FindPoint(std::initializer_list<ConnectionPoint*> points, REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (ConnectionPoint* p : points)
        if (p->Iid() == iid) {
            p->AddRef();
            *out = p;
            return S_OK;
        }
    return CONNECT_E_NOCONNECTION;
}

}  // namespace nimbra
