#include "platform/com/error_info.h"

#include <atomic>
#include <string>

#include "platform/com/bstr.h"

namespace {

class ErrorInfo final : public IErrorInfo, public ICreateErrorInfo {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr)
      return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
      *object = static_cast<IErrorInfo*>(this);
    } else if (riid == IID_ICreateErrorInfo) {
      *object = static_cast<ICreateErrorInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    ULONG n = --refs_;
    if (n == 0)
      delete this;
    return n;
  }
  HRESULT GetDescription(BSTR* description) override {
    if (description == nullptr)
      return E_POINTER;
    *description = SysAllocStringLen(description_.data(), uint32_t(description_.size()));
    return S_OK;
  }
  HRESULT SetDescription(LPCOLESTR description) override {
    description_ = description == nullptr ? u"" : description;
    return S_OK;
  }

 private:
  std::atomic<ULONG> refs_{1};
  std::u16string description_;
};

// The thread's current error information, with the reference it holds.
struct ThreadSlot {
  IErrorInfo* info = nullptr;
  ~ThreadSlot() {
    if (info != nullptr)
      info->Release();
  }
};
thread_local ThreadSlot slot;

}  // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (info == nullptr)
    return E_POINTER;
  *info = new ErrorInfo;
  return S_OK;
}

HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info) {
  if (reserved != 0)
    return E_INVALIDARG;
  if (info != nullptr)
    info->AddRef();
  if (slot.info != nullptr)
    slot.info->Release();
  slot.info = info;
  return S_OK;
}

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info) {
  if (info == nullptr || reserved != 0)
    return E_INVALIDARG;
  *info = slot.info;
  slot.info = nullptr;
  return *info != nullptr ? S_OK : S_FALSE;
}
