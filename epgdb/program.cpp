#include "epgdb/program.h"

#include "platform/codepage.h"
#include "platform/com/bstr.h"

namespace epgdb {
namespace {

std::u16string_view Text(BSTR text) {
  return {text == nullptr ? u"" : text, SysStringLen(text)};
}

}  // namespace

Program::Program(std::shared_ptr<Session> session) : session_(std::move(session)) {}

Program::~Program() {
  WriteIfPending();
}

HRESULT Program::SetText(ProgramColumn column, BSTR text) {
  Mutable()[column] = std::u16string(Text(text));
  Changed();
  return S_OK;
}

HRESULT Program::AddName(ProgramColumn column, BSTR name) {
  auto* names = std::get_if<std::u16string>(&Mutable()[column]);
  if (names == nullptr)
    return SetText(column, name);
  *names += u", ";
  *names += Text(name);
  Changed();
  return S_OK;
}

HRESULT Program::SetNumber(ProgramColumn column, LONG number) {
  Mutable()[column] = int64_t{number};
  Changed();
  return S_OK;
}

Program::Fields& Program::Mutable() {
  if (shared_) {
    values_ = std::make_shared<Fields>(*values_);
    shared_ = false;
  }
  return *values_;
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
  stored_ = shared_ = true;
  session_->Post([session = session_.get(), id = id_, fields = values_] {
    if (!session->Writable())
      return;
    std::array<Value, kProgramColumnCount> values;
    for (size_t i = 0; i < values.size(); ++i) {
      if (const auto* text = std::get_if<std::u16string>(&(*fields)[i])) {
        values[i] = platform::Utf16ToUtf8(*text);
      } else if (const auto* number = std::get_if<int64_t>(&(*fields)[i])) {
        values[i] = *number;
      }
    }
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
