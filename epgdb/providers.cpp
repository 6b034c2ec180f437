#include "epgdb/collections.h"

#include "epgdb/provider.h"
#include "platform/com/bstr.h"

namespace epgdb {

HRESULT Providers::Create(IProvider** provider) {
  if (provider == nullptr)
    return E_POINTER;
  return Deliver<IProvider>(new Provider(session_), provider);
}

HRESULT Providers::Lookup(BSTR name, IProvider** provider) {
  if (provider == nullptr)
    return E_POINTER;
  *provider = nullptr;
  session_->Settle();
  std::string text = platform::BstrToAnsi(name);
  Statement& query = (*session_)[Sql::kProviderByName];
  query.Bind(1, text);
  if (query.Step()) {
    *provider =
        new Provider(session_, query.ColumnInt64(0), query.ColumnValue(1), query.ColumnValue(2));
  }
  query.Reset();
  return *provider != nullptr ? S_OK : S_FALSE;
}

}  // namespace epgdb
