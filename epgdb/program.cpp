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
  if (id_ != 0)
    MarkPending(session_->pending());
}

int64_t Program::Store() {
  if (id_ == 0) {
    Unmark();
    Write();
  } else {
    WriteIfPending();
  }
  return id_;
}

void Program::Write() {
  if (!session_->Writable())
    return;
  Statement& write = (*session_)[id_ == 0 ? Sql::kProgramInsert : Sql::kProgramUpdate];
  for (size_t i = 0; i < values_.size(); ++i)
    write.Bind(int(i + 1), values_[i]);
  if (id_ != 0)
    write.Bind(int(kProgramColumnCount + 1), id_);
  if (write.Run() && id_ == 0)
    id_ = session_->LastInsertRowid();
}

}  // namespace epgdb
