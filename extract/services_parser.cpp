#include "extract/services_parser.h"

#include "diag/log.h"
#include "extract/channels_file.h"
#include "xml/parse_error_text.h"

CServicesParser::CServicesParser(const ImportOptions& options, CProgressDialog& progress)
    : m_pProgress(&progress), m_pOptions(&options) {}

unsigned CServicesParser::Open() {
  unsigned code = OKRXMLParser::Open();
  if (code != 0)
    return code;
  DeleteChannelsFile();
  return 0;
}

bool CServicesParser::ExtractServices() {
  m_pProgress->AddString("Parsing XML tree ...");
  ParseFile(m_pOptions->m_strFileName);
  m_pProgress->AddString("Saving services file ...");
  m_pProgress->AddSubString(nullptr);
  return !LogParseError(GetParseError());
}

unsigned CServicesParser::WriteService(OKRXMLElement* element) {
  if (element == nullptr || element->GetName() != "channel")
    return 22;
  OKRXMLAttribute* id = element->FindAttribute("id");
  if (id == nullptr)
    return 23;
  m_pProgress->AddString(id->GetValue().c_str());
  AppendToChannelsFile(id->GetValue());
  return 0;
}

void CServicesParser::OnStartElement(const char* name, const char** attributes) {
  bool channel = name != nullptr && std::string_view(name) == "channel";
  OKRXMLParser::OnStartElement(name, channel ? attributes : nullptr);
}

// Channels are written at any depth. Finished channel elements, written or not, programme
// elements and every other element under the root are dropped, so memory does not grow with the
// file; nothing in them is read again.
void CServicesParser::OnEndElement(const char* name) {
  OKRXMLElement* element = GetCurrent();
  if (element != nullptr) {
    const std::string& tag = element->GetName();
    if (tag == "channel")
      WriteService(element);
    if (tag == "channel" || tag == "programme" || element->GetParent() == GetRoot())
      HandleRecordEnd(0);
  }
  OKRXMLParser::OnEndElement(name);
}
