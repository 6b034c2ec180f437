#include "import/program_fields.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "app/option_number.h"
#include "diag/log.h"

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

void LogUnused(const OKRXMLElement* child) {
  Log& log = Log::Instance();
  if (child == nullptr || !log.IsOn(TRACE))
    return;
  log.Begin(TRACE) << "Unused: '" << child->GetName() << "' - '" << child->GetText() << "'";
}

// The first `name` child of parent; null when either is missing.
const OKRXMLElement* FindIn(const OKRXMLElement* parent, const char* name) {
  return parent == nullptr ? nullptr : parent->FindChild(name);
}

// Calls one program's setters for the children found, each only when its child is there.
class Setters {
 public:
  Setters(IProgram* program, BstrBuffer& text) : m_pProgram(program), m_pText(&text) {}

  void Text(TextSetter setter, const OKRXMLElement* child) {
    if (child != nullptr)
      (m_pProgram->*setter)(m_pText->Set(child->GetText()));
  }
  void Number(NumberSetter setter, const OKRXMLElement* child) {
    if (child != nullptr)
      (m_pProgram->*setter)(ReadOptionNumber(child->GetText()));
  }
  void Yes(NumberSetter setter, const OKRXMLElement* child) {
    if (child != nullptr)
      (m_pProgram->*setter)(child->GetText() == "yes" ? 1 : 0);
  }
  void Present(NumberSetter setter, const OKRXMLElement* child) {
    if (child != nullptr)
      (m_pProgram->*setter)(1);
  }
  void AttributeText(TextSetter setter, const OKRXMLElement* child, const char* attribute) {
    const OKRXMLAttribute* a = child == nullptr ? nullptr : child->FindAttribute(attribute);
    if (a != nullptr)
      (m_pProgram->*setter)(m_pText->Set(a->GetValue()));
  }
  // Directors and presenters are set as they come; actors are joined and set once after the pass.
  void Credits(const OKRXMLElement* credits) {
    if (credits == nullptr)
      return;
    std::string actors;
    bool anyActor = false;
    OKRXMLElement* person;
    for (unsigned i = 0; (person = credits->GetChild(i)) != nullptr; ++i) {
      std::string_view role = person->GetName();
      if (role == "director") {
        Text(&IProgram::SetDirector, person);
      } else if (role == "presenter") {
        Text(&IProgram::SetPresenter, person);
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
      m_pProgram->SetActors(m_pText->Set(actors));
  }

 private:
  IProgram* m_pProgram;
  BstrBuffer* m_pText;
};

}  // namespace

void FillProgram(OKRXMLElement* programme, IProgram* program, BstrBuffer& text) {
  Children child = FirstChildren(programme);
  Setters set(program, text);
  set.Text(&IProgram::SetSubTitle, child[kSubTitle]);
  set.Text(&IProgram::SetDescription, child[kDesc]);
  set.Credits(child[kCredits]);
  set.Number(&IProgram::SetDate, child[kDate]);
  set.Text(&IProgram::SetCategory, child[kCategory]);
  set.Text(&IProgram::SetLanguage, child[kLanguage]);
  set.Text(&IProgram::SetOrigLanguage, child[kOrigLanguage]);
  set.Number(&IProgram::SetLength, child[kLength]);
  LogUnused(child[kIcon]);
  LogUnused(child[kUrl]);
  set.Text(&IProgram::SetCountry, child[kCountry]);
  set.Text(&IProgram::SetEpisodeNumber, child[kEpisodeNum]);
  set.Yes(&IProgram::SetVideoPresent, FindIn(child[kVideo], "present"));
  set.Yes(&IProgram::SetColour, FindIn(child[kVideo], "colour"));
  set.Text(&IProgram::SetAspect, FindIn(child[kVideo], "aspect"));
  set.Yes(&IProgram::SetAudioPresent, FindIn(child[kAudio], "present"));
  set.Text(&IProgram::SetStereo, FindIn(child[kAudio], "stereo"));
  set.Present(&IProgram::SetPreviouslyShown, child[kPreviouslyShown]);
  set.Present(&IProgram::SetPremiere, child[kPremiere]);
  set.Present(&IProgram::SetLastChance, child[kLastChance]);
  set.Present(&IProgram::SetNew, child[kNew]);
  set.AttributeText(&IProgram::SetSubtitles, child[kSubtitles], "type");
  set.Text(&IProgram::SetRating, FindIn(child[kRating], "value"));
  set.Text(&IProgram::SetStarRating, FindIn(child[kStarRating], "value"));
}
