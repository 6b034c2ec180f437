// CEPGDataBase::HandleChannel: one finished channel element becomes a service of the guide.
#include "diag/log.h"
#include "extract/channels_file.h"
#include "import/epg_database.h"
#include "platform/com/scoped_bstr.h"

namespace {

constexpr int kHandled = 0;
constexpr int kNotAChannel = 22;
constexpr int kNoId = 23;

// The text of the first display-name child; the id when there is none.
std::string ChannelName(OKRXMLElement* channel, const std::string& id) {
  OKRXMLElement* name = channel->FindChild("display-name");
  return name == nullptr ? id : name->GetText();
}

// The src of the first icon child; empty when either is missing.
std::string ChannelIcon(OKRXMLElement* channel) {
  OKRXMLElement* icon = channel->FindChild("icon");
  OKRXMLAttribute* src = icon == nullptr ? nullptr : icon->FindAttribute("src");
  return src == nullptr ? std::string() : src->GetValue();
}

}  // namespace

int CEPGDataBase::HandleChannel(OKRXMLElement* element) {
  UpdateProgress();
  if (element == nullptr || element->GetName() != "channel")
    return kNotAChannel;
  ++m_summary.channels;
  OKRXMLAttribute* idAttribute = element->FindAttribute("id");
  if (idAttribute == nullptr) {
    ++m_summary.channelsWithoutId;
    return kNoId;
  }
  std::string id = idAttribute->GetValue();
  std::string name = ChannelName(element, id);
  std::string icon = ChannelIcon(element);
  ScopedBstr bstrId(id);
  ComPtr<IService> service;
  m_pServices->Find(bstrId, service.Out());
  if (!service)
    m_pServices->Add(bstrId, service.Out());
  if (service) {
    service->SetId(bstrId);
    service->SetName(ScopedBstr(name));
    if (!icon.empty())
      service->SetIcon(ScopedBstr(icon));
    m_pProgress->AddString(name.c_str());
    m_ChannelMap.try_emplace(id, service);
  }
  if (m_pOptions->m_strServicesFile.empty())
    AppendToChannelsFile(id);
  return kHandled;
}
