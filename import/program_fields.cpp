#include "import/program_fields.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "app/option_number.h"
#include "diag/log.h"
#include "platform/com/scoped_bstr.h"

namespace {

using TextSetter = HRESULT (IProgram::*)(BSTR);
using NumberSetter = HRESULT (IProgram::*)(LONG);

// The children of a programme that are read, and their names.
enum Child {
  kSubTitle,
  kDesc,
  kCredits,
  kDate,
  kCategory,
  kLanguage,
  kOrigLanguage,
  kLength,
  kIcon,
  kUrl,
  kCountry,
  kEpisodeNum,
  kVideo,
  kAudio,
  kPreviouslyShown,
  kPremiere,
  kLastChance,
  kNew,
  kSubtitles,
  kRating,
  kStarRating,
  kChildCount
};
constexpr std::array<std::string_view, kChildCount> kChildNames = {
    "sub-title",  "desc",          "credits", "date",      "category",
    "language",   "orig-language", "length",  "icon",      "url",
    "country",    "episode-num",   "video",   "audio",     "previously-shown",
    "premiere",   "last-chance",   "new",     "subtitles", "rating",
    "star-rating"};

// The first child of each name (null when there is none), found in one pass over the children.
using Children = std::array<OKRXMLElement*, kChildCount>;
Children FirstChildren(const OKRXMLElement* programme) {
  Children first{};
  OKRXMLElement* child;
  for (unsigned i = 0; (child = programme->GetChild(i)) != nullptr; ++i) {
    auto name = std::find(kChildNames.begin(), kChildNames.end(), child->GetName());
    if (name != kChildNames.end() && first[name - kChildNames.begin()] == nullptr)
      first[name - kChildNames.begin()] = child;
  }
  return first;
}

void LogUnused(OKRXMLElement* child) {
  Log& log = Log::Instance();
  if (!log.IsOn(TRACE))
    return;
  log.Begin(TRACE) << "Unused: '" << child->GetName() << "' - '" << child->GetText() << "'";
}

// The first `name` child of parent; null when either is missing.
OKRXMLElement* FindIn(const OKRXMLElement* parent, const char* name) {
  return parent == nullptr ? nullptr : parent->FindChild(name);
}

void SetText(IProgram* program, TextSetter setter, OKRXMLElement* child) {
  if (child != nullptr)
    (program->*setter)(ScopedBstr(child->GetText()));
}

void SetNumber(IProgram* program, NumberSetter setter, OKRXMLElement* child) {
  if (child != nullptr)
    (program->*setter)(ReadOptionNumber(child->GetText()));
}

void SetYes(IProgram* program, NumberSetter setter, OKRXMLElement* child) {
  if (child != nullptr)
    (program->*setter)(child->GetText() == "yes" ? 1 : 0);
}

void SetPresent(IProgram* program, NumberSetter setter, OKRXMLElement* child) {
  if (child != nullptr)
    (program->*setter)(1);
}

// Directors and presenters are set as they come; actors are joined and set once after the pass.
void FillCredits(OKRXMLElement* credits, IProgram* program) {
  if (credits == nullptr)
    return;
  std::string actors;
  bool anyActor = false;
  OKRXMLElement* person;
  for (unsigned i = 0; (person = credits->GetChild(i)) != nullptr; ++i) {
    const std::string& role = person->GetName();
    if (role == "director") {
      program->SetDirector(ScopedBstr(person->GetText()));
    } else if (role == "presenter") {
      program->SetPresenter(ScopedBstr(person->GetText()));
    } else if (role == "actor") {
      if (anyActor)
        actors += ", ";
      actors += person->GetText();
      anyActor = true;
    } else {
      LogUnused(person);
    }
  }
  if (!actors.empty())
    program->SetActors(ScopedBstr(actors));
}

void LogUnusedChild(OKRXMLElement* child) {
  if (child != nullptr)
    LogUnused(child);
}

void SetAttributeText(IProgram* program, TextSetter setter, OKRXMLElement* child,
                      const char* attribute) {
  if (child == nullptr)
    return;
  if (OKRXMLAttribute* a = child->FindAttribute(attribute))
    (program->*setter)(ScopedBstr(a->GetValue()));
}

}  // namespace

void FillProgram(OKRXMLElement* programme, IProgram* program) {
  Children child = FirstChildren(programme);
  SetText(program, &IProgram::SetSubTitle, child[kSubTitle]);
  SetText(program, &IProgram::SetDescription, child[kDesc]);
  FillCredits(child[kCredits], program);
  SetNumber(program, &IProgram::SetDate, child[kDate]);
  SetText(program, &IProgram::SetCategory, child[kCategory]);
  SetText(program, &IProgram::SetLanguage, child[kLanguage]);
  SetText(program, &IProgram::SetOrigLanguage, child[kOrigLanguage]);
  SetNumber(program, &IProgram::SetLength, child[kLength]);
  LogUnusedChild(child[kIcon]);
  LogUnusedChild(child[kUrl]);
  SetText(program, &IProgram::SetCountry, child[kCountry]);
  SetText(program, &IProgram::SetEpisodeNumber, child[kEpisodeNum]);
  SetYes(program, &IProgram::SetVideoPresent, FindIn(child[kVideo], "present"));
  SetYes(program, &IProgram::SetColour, FindIn(child[kVideo], "colour"));
  SetText(program, &IProgram::SetAspect, FindIn(child[kVideo], "aspect"));
  SetYes(program, &IProgram::SetAudioPresent, FindIn(child[kAudio], "present"));
  SetText(program, &IProgram::SetStereo, FindIn(child[kAudio], "stereo"));
  SetPresent(program, &IProgram::SetPreviouslyShown, child[kPreviouslyShown]);
  SetPresent(program, &IProgram::SetPremiere, child[kPremiere]);
  SetPresent(program, &IProgram::SetLastChance, child[kLastChance]);
  SetPresent(program, &IProgram::SetNew, child[kNew]);
  SetAttributeText(program, &IProgram::SetSubtitles, child[kSubtitles], "type");
  SetText(program, &IProgram::SetRating, FindIn(child[kRating], "value"));
  SetText(program, &IProgram::SetStarRating, FindIn(child[kStarRating], "value"));
}
