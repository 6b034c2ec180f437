// CEPGDataBase::HandleProgramme: one finished programme element becomes a program object and,
// in the common case, a schedule entry on its service.
#include "diag/log.h"
#include "import/epg_database.h"
#include "import/program_fields.h"
#include "import/xmltv_time.h"

namespace {

constexpr int kHandled = 0;
constexpr int kRejected = 24;

// The attribute's value, a view into the element; empty when the attribute is missing.
std::string_view AttributeText(const OKRXMLElement* element, const char* name) {
  const OKRXMLAttribute* attribute = element->FindAttribute(name);
  return attribute == nullptr ? std::string_view() : attribute->GetValue();
}

// Reads a stamp attribute and shifts it by the offset; all zero when the attribute is missing.
CalendarTime ReadTime(const OKRXMLElement* element, const char* name, int32_t offsetMinutes,
                      std::string_view* text) {
  CalendarTime time;
  const OKRXMLAttribute* attribute = element->FindAttribute(name);
  *text = attribute == nullptr ? std::string_view() : attribute->GetValue();
  if (attribute != nullptr) {
    ParseXmltvTime(attribute->GetValue().c_str(), &time);
    time.AddMinutes(offsetMinutes);
  }
  return time;
}

// The slot key: "channel::start::stop", the stamps as the file gives them, made in *key.
const std::string& SlotKey(std::string_view channelId, std::string_view start,
                           std::string_view stop, std::string* key) {
  key->assign(channelId).append("::").append(start).append("::");
  return key->append(stop);
}

void SetTimes(IScheduleEntry* entry, const CalendarTime& start, const CalendarTime& stop) {
  entry->SetStartTime(start.year, start.month, start.day, start.hour, start.minute, start.second);
  entry->SetEndTime(stop.year, stop.month, stop.day, stop.hour, stop.minute, stop.second);
}

}  // namespace

int CEPGDataBase::RejectProgramme(const char* reason, uint64_t* counter) {
  ++*counter;
  LogLine(ERROR, reason);
  return kRejected;
}

int CEPGDataBase::HandleProgramme(OKRXMLElement* element) {
  UpdateProgress();
  if (element == nullptr)
    return kRejected;
  ++m_summary.programmes;
  if (std::string_view(element->GetName()) != "programme") {
    return RejectProgramme("Parser seems broken: not in <programme> block",
                           &m_summary.otherRejections);
  }
  Slot slot;
  int32_t offset = m_pOptions->m_nOffsetMinutes;
  slot.start = ReadTime(element, "start", offset, &slot.startText);
  slot.stop = ReadTime(element, "stop", offset, &slot.stopText);
  if (slot.stop <= slot.start)
    return RejectProgramme("Program has broken times", &m_summary.brokenTimes);
  slot.channelId = AttributeText(element, "channel");
  if (slot.channelId.empty())
    return RejectProgramme("Program has no channel", &m_summary.noChannel);
  std::string_view clump = TrimSpaces(AttributeText(element, "clumpidx"));
  const OKRXMLElement* titleElement = element->FindChild("title");
  if (titleElement == nullptr || titleElement->GetText().empty())
    return RejectProgramme("Program has no title", &m_summary.noTitle);
  const std::string& title = titleElement->GetText();
  ComPtr<IProgram> program;
  m_pPrograms->Create(program.Out());
  if (!program) {
    return RejectProgramme("Cannot create program object", &m_summary.otherRejections);
  }
  program->SetTitle(m_bstrText.Set(title));
  FillProgram(element, program.Get(), m_bstrText);
  slot.service = FindService(slot.channelId);
  const std::string& key = SlotKey(slot.channelId, slot.startText, slot.stopText, &m_strSlotKey);
  if (clump.empty() || clump[0] == '0')
    return AddEntry(key, title, slot, program.Get());
  if (clump[0] == '1')
    return AttachToClump(key, title, program.Get());
  ++m_summary.clumpsSkipped;
  LogLine(TRACE, "Skipping additional clump: '", title, "' for event ", key);
  return kHandled;
}

ComPtr<IService> CEPGDataBase::FindService(std::string_view channelId) {
  auto known = m_ChannelMap.find(channelId);
  if (known != m_ChannelMap.end())
    return known->second;
  ComPtr<IService> service;
  m_pServices->Lookup(m_bstrText.Set(channelId), service.Out());
  if (!service)
    LogLine(TRACE, "Cannot find channel: ", std::string(channelId));
  return service;
}

int CEPGDataBase::AddEntry(const std::string& key, const std::string& title, const Slot& slot,
                           IProgram* program) {
  ComPtr<IScheduleEntry> entry;
  m_pScheduleEntries->Add(m_bstrText.Set(key), entry.Out());
  if (!entry) {
    ++m_summary.otherRejections;
    LogLine(TRACE, "ScheduleEntry cannot be created: ", title);
    return kRejected;
  }
  entry->SetProvider(m_pProvider.Get());
  entry->SetService(slot.service.Get());
  entry->SetProgram(program);
  SetTimes(entry.Get(), slot.start, slot.stop);
  if (!m_pOptions->m_bCleanAll)
    m_pScheduleEntries->Reconcile(entry.Get());
  ++m_summary.entriesAdded;
  if (!slot.service)
    ++m_summary.channelNotFound;
  m_pProgress->AddString(title.c_str());
  return kHandled;
}

int CEPGDataBase::AttachToClump(const std::string& key, const std::string& title,
                                IProgram* program) {
  ComPtr<IScheduleEntry> entry;
  m_pScheduleEntries->Find(m_bstrText.Set(key), entry.Out());
  if (!entry) {
    ++m_summary.otherRejections;
    LogLine(TRACE, "ScheduleEntry cannot be clumped: ", title);
    return kRejected;
  }
  entry->AddProgram(program);
  ++m_summary.clumpsAttached;
  return kHandled;
}
