// The IUnknown part of the component's objects: one interface, counted references, deleted with
// the last Release. The component is used from one thread.
#pragma once

#include "platform/com/types.h"

namespace epgdb {

template <typename Interface, const IID& kInterfaceId>
class ComObject : public Interface {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr)
      return E_POINTER;
    if (!(riid == IID_IUnknown || riid == kInterfaceId)) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    ULONG n = --references_;
    if (n == 0)
      delete this;
    return n;
  }

 protected:
  ComObject() = default;
  virtual ~ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

 private:
  ULONG references_ = 1;
};

// Hands a new object's first reference to an out parameter.
template <typename Interface>
HRESULT Deliver(Interface* object, Interface** out) {
  *out = object;
  return object != nullptr ? S_OK : S_FALSE;
}

}  // namespace epgdb
