#include "epgdb/program.h"

#include "platform/codepage.h"
#include "platform/com/bstr.h"

namespace epgdb {
Program::Program(std::shared_ptr<Session> session)
    : session_(std::move(session)),
      id_(std::make_shared<int64_t>(0)),
      values_(std::make_shared<Values>()) {
  // Room for the texts of most programmes, so that they are not moved as they grow.
  values_->texts.reserve(496);
}

Program::~Program() {
  WriteIfPending();
}

HRESULT Program::SetText(ProgramColumn column, BSTR text) {
  Values& values = Mutable();
  std::u16string_view added = platform::BstrView(text);
  values.fields[column] = TextSpan{values.texts.size(), added.size()};
  values.texts.append(added);
  Changed();
  return S_OK;
}

HRESULT Program::AddName(ProgramColumn column, BSTR name) {
  Values& values = Mutable();
  auto* names = std::get_if<TextSpan>(&values.fields[column]);
  if (names == nullptr)
    return SetText(column, name);
  // The joined list goes behind the other texts, as a text of its own.
  std::u16string_view added = platform::BstrView(name);
  TextSpan joined{values.texts.size(), names->length + 2 + added.size()};
  values.texts.append(values.texts, names->offset, names->length);
  values.texts.append(u", ").append(added);
  values.fields[column] = joined;
  Changed();
  return S_OK;
}

HRESULT Program::SetNumber(ProgramColumn column, LONG number) {
  Mutable().fields[column] = int64_t{number};
  Changed();
  return S_OK;
}

Program::Values& Program::Mutable() {
  if (shared_) {
    values_ = std::make_shared<Values>(*values_);
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
  session_->Post([session = session_.get(), id = id_, set = values_] {
    if (!session->Writable())
      return;
    std::array<Value, kProgramColumnCount> values;
    std::u16string_view texts = set->texts;
    for (size_t i = 0; i < values.size(); ++i) {
      if (const auto* text = std::get_if<TextSpan>(&set->fields[i])) {
        values[i] = platform::Utf16ToUtf8(texts.substr(text->offset, text->length));
      } else if (const auto* number = std::get_if<int64_t>(&set->fields[i])) {
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
