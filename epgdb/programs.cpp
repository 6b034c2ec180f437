#include "epgdb/collections.h"

#include "epgdb/program.h"

namespace epgdb {

HRESULT Programs::Create(IProgram** program) {
  if (program == nullptr)
    return E_POINTER;
  return Deliver<IProgram>(new Program(session_), program);
}

}  // namespace epgdb
