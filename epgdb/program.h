// A program: a row of programs, written only once a schedule entry that uses it is written, so a
// program that is never attached costs no row. Changes after that are written when it is
// released, or before the next search or save. Texts are kept as the setters give them (UTF-16),
// all in one string, and converted on the writer thread, which gets the values without a copy:
// once handed over, they are never changed here again (a later setter works on a copy).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "epgdb/com_object.h"
#include "epgdb/pending_writes.h"
#include "epgdb/program_columns.h"
#include "epgdb/session.h"
#include "import/epgdb/items.h"

namespace epgdb {

class Program final : public ComObject<IProgram, IID_IProgram>, private PendingWrite {
 public:
  explicit Program(std::shared_ptr<Session> session);
  ~Program() override;

  HRESULT SetTitle(BSTR text) override { return SetText(kTitle, text); }
  HRESULT SetSubTitle(BSTR text) override { return SetText(kSubTitle, text); }
  HRESULT SetCategory(BSTR text) override { return SetText(kCategory, text); }
  HRESULT SetDescription(BSTR text) override { return SetText(kDescription, text); }
  HRESULT SetDirector(BSTR name) override { return AddName(kDirectors, name); }
  HRESULT SetActors(BSTR names) override { return SetText(kActors, names); }
  HRESULT SetDate(LONG year) override { return SetNumber(kDate, year); }
  HRESULT SetStarRating(BSTR text) override { return SetText(kStarRating, text); }
  HRESULT SetSubtitles(BSTR type) override { return SetText(kSubtitles, type); }
  HRESULT SetPreviouslyShown(LONG flag) override { return SetFlag(kPreviouslyShown, flag); }
  HRESULT SetRating(BSTR text) override { return SetText(kRating, text); }
  HRESULT SetCountry(BSTR text) override { return SetText(kCountry, text); }
  HRESULT SetLanguage(BSTR text) override { return SetText(kLanguage, text); }
  HRESULT SetPresenter(BSTR name) override { return AddName(kPresenters, name); }
  HRESULT SetEpisodeNumber(BSTR text) override { return SetText(kEpisodeNumber, text); }
  HRESULT SetColour(LONG flag) override { return SetFlag(kColour, flag); }
  HRESULT SetAspect(BSTR text) override { return SetText(kAspect, text); }
  HRESULT SetAudioPresent(LONG flag) override { return SetFlag(kAudioPresent, flag); }
  HRESULT SetVideoPresent(LONG flag) override { return SetFlag(kVideoPresent, flag); }
  HRESULT SetStereo(BSTR text) override { return SetText(kStereo, text); }
  HRESULT SetOrigLanguage(BSTR text) override { return SetText(kOrigLanguage, text); }
  HRESULT SetLength(LONG length) override { return SetNumber(kLength, length); }
  HRESULT SetPremiere(LONG flag) override { return SetFlag(kPremiere, flag); }
  HRESULT SetLastChance(LONG flag) override { return SetFlag(kLastChance, flag); }
  HRESULT SetNew(LONG flag) override { return SetFlag(kIsNew, flag); }

  // Hands the program's write over (its row is inserted the first time) and returns the cell of
  // its row id, which tasks handed over later read; 0 there when it could not be written.
  IdCell Store();

 private:
  HRESULT SetText(ProgramColumn column, BSTR text);
  // Adds a name to a list of names joined with ", ".
  HRESULT AddName(ProgramColumn column, BSTR name);
  HRESULT SetNumber(ProgramColumn column, LONG number);
  // Flags are stored as 1 or 0, whatever non-zero value stands for yes.
  HRESULT SetFlag(ProgramColumn column, LONG flag) { return SetNumber(column, flag != 0); }
  // Where a column's text lies in Values::texts.
  struct TextSpan {
    size_t offset, length;
  };
  // A column value: NULL, a text, or a number.
  using Field = std::variant<std::monostate, TextSpan, int64_t>;
  struct Values {
    std::array<Field, kProgramColumnCount> fields;
    std::u16string texts;  // the texts set, one after another; a replaced one stays unused
  };

  // The values, to be changed: copied first when the writer has them.
  Values& Mutable();
  void Changed();
  void Write() override;

  std::shared_ptr<Session> session_;
  IdCell id_;
  bool stored_ = false;  // the insert was handed over
  std::shared_ptr<Values> values_;
  bool shared_ = false;  // a write handed over holds values_
};

}  // namespace epgdb
