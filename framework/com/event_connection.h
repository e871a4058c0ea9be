// A sink connected to one connection point of a source object, disconnected on every path.
#pragma once

#include <ocidl.h>

#include "platform/win32/com_ptr.h"

namespace framework::com {

class EventConnection {
  public:
    EventConnection() = default;
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    ~EventConnection() { Disconnect(); }

    HRESULT Connect(IUnknown* source, REFIID events, IUnknown* sink) {
        Disconnect();
        platform::win32::ComPtr<IConnectionPointContainer> container;
        HRESULT result = source->QueryInterface(IID_IConnectionPointContainer, container.PutVoid());
        if (FAILED(result)) {
            return result;
        }
        platform::win32::ComPtr<IConnectionPoint> point;
        result = container->FindConnectionPoint(events, point.Put());
        if (FAILED(result)) {
            return result;
        }
        if (!point) {
            return E_POINTER;
        }
        DWORD cookie = 0;
        result = point->Advise(sink, &cookie);
        if (SUCCEEDED(result)) {
            point_ = point;
            cookie_ = cookie;
        }
        return result;
    }
    void Disconnect() {
        if (point_) {
            point_->Unadvise(cookie_);
            point_.Reset();
            cookie_ = 0;
        }
    }
    bool Connected() const { return static_cast<bool>(point_); }

  private:
    platform::win32::ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace framework::com
