#include "epgdb/program.h"

#include "platform/com/bstr.h"

namespace epgdb {

Program::Program(std::shared_ptr<Session> session) : session_(std::move(session)) {}

Program::~Program() {
  WriteIfPending();
}

HRESULT Program::SetText(ProgramColumn column, BSTR text) {
  values_[column] = platform::BstrToAnsi(text);
  Changed();
  return S_OK;
}

HRESULT Program::AddName(ProgramColumn column, BSTR name) {
  auto* names = std::get_if<std::string>(&values_[column]);
  if (names == nullptr)
    return SetText(column, name);
  *names += ", " + platform::BstrToAnsi(name);
  Changed();
  return S_OK;
}

HRESULT Program::SetNumber(ProgramColumn column, LONG number) {
  values_[column] = int64_t{number};
  Changed();
  return S_OK;
}

void Program::Changed() {
  if (stored_)
    MarkPending(session_->pending());
}

IdCell Program::Store() {
  if (!stored_) {
    Unmark();
    Write();
  } else {
    WriteIfPending();
  }
  return id_;
}

void Program::Write() {
  stored_ = true;
  session_->Post([session = session_.get(), id = id_, values = values_] {
    if (!session->Writable())
      return;
    Statement& write = (*session)[*id == 0 ? Sql::kProgramInsert : Sql::kProgramUpdate];
    for (size_t i = 0; i < values.size(); ++i)
      write.Bind(int(i + 1), values[i]);
    if (*id != 0)
      write.Bind(int(kProgramColumnCount + 1), *id);
    if (write.Run() && *id == 0)
      *id = session->LastInsertRowid();
  });
}

}  // namespace epgdb
