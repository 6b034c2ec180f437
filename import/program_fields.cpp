#include "import/program_fields.h"

#include "app/option_number.h"
#include "diag/log.h"
#include "platform/com/scoped_bstr.h"

namespace {

using TextSetter = HRESULT (IProgram::*)(BSTR);
using NumberSetter = HRESULT (IProgram::*)(LONG);

void LogUnused(OKRXMLElement* child) {
  Log& log = Log::Instance();
  if (!log.IsOn(TRACE))
    return;
  log.Begin(TRACE) << "Unused: '" << child->GetName() << "' - '" << child->GetText() << "'";
}

// The first `name` child of the first `parent` child; null when either is missing.
OKRXMLElement* FindGrandChild(OKRXMLElement* element, const char* parent, const char* name) {
  OKRXMLElement* p = element->FindChild(parent);
  return p == nullptr ? nullptr : p->FindChild(name);
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

void SetPresent(IProgram* program, NumberSetter setter, OKRXMLElement* element, const char* name) {
  if (element->FindChild(name) != nullptr)
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

void LogUnusedChild(OKRXMLElement* programme, const char* name) {
  if (OKRXMLElement* child = programme->FindChild(name))
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
  SetText(program, &IProgram::SetSubTitle, programme->FindChild("sub-title"));
  SetText(program, &IProgram::SetDescription, programme->FindChild("desc"));
  FillCredits(programme->FindChild("credits"), program);
  SetNumber(program, &IProgram::SetDate, programme->FindChild("date"));
  SetText(program, &IProgram::SetCategory, programme->FindChild("category"));
  SetText(program, &IProgram::SetLanguage, programme->FindChild("language"));
  SetText(program, &IProgram::SetOrigLanguage, programme->FindChild("orig-language"));
  SetNumber(program, &IProgram::SetLength, programme->FindChild("length"));
  LogUnusedChild(programme, "icon");
  LogUnusedChild(programme, "url");
  SetText(program, &IProgram::SetCountry, programme->FindChild("country"));
  SetText(program, &IProgram::SetEpisodeNumber, programme->FindChild("episode-num"));
  SetYes(program, &IProgram::SetVideoPresent, FindGrandChild(programme, "video", "present"));
  SetYes(program, &IProgram::SetColour, FindGrandChild(programme, "video", "colour"));
  SetText(program, &IProgram::SetAspect, FindGrandChild(programme, "video", "aspect"));
  SetYes(program, &IProgram::SetAudioPresent, FindGrandChild(programme, "audio", "present"));
  SetText(program, &IProgram::SetStereo, FindGrandChild(programme, "audio", "stereo"));
  SetPresent(program, &IProgram::SetPreviouslyShown, programme, "previously-shown");
  SetPresent(program, &IProgram::SetPremiere, programme, "premiere");
  SetPresent(program, &IProgram::SetLastChance, programme, "last-chance");
  SetPresent(program, &IProgram::SetNew, programme, "new");
  SetAttributeText(program, &IProgram::SetSubtitles, programme->FindChild("subtitles"), "type");
  SetText(program, &IProgram::SetRating, FindGrandChild(programme, "rating", "value"));
  SetText(program, &IProgram::SetStarRating, FindGrandChild(programme, "star-rating", "value"));
}
