#include "diag/error_description.h"

#include "platform/com/com_ptr.h"
#include "platform/com/error_info.h"

bool SetErrorDescription(LPCOLESTR description) {
  ComPtr<ICreateErrorInfo> create;
  if (FAILED(CreateErrorInfo(create.Out())))
    return false;
  create->SetDescription(description);
  ComPtr<IErrorInfo> info;
  if (FAILED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(info.Out())))) {
    return false;
  }
  return SetErrorInfo(0, info.Get()) == S_OK;
}
