#include "import/epg_database.h"

#include "diag/format.h"
#include "diag/log.h"
#include "extract/channels_file.h"
#include "platform/com/com.h"
#include "platform/com/scoped_bstr.h"
#include "platform/file.h"
#include "platform/registry/registry.h"
#include "xml/parse_error_text.h"

namespace {

constexpr char kNoComponent[] =
    "Unrecoverable internal error: Cannot create EPG database. Did you install Almanor?";
constexpr char kDefaultProvider[] = "XMLTV";
constexpr char kXmltvProjectUrl[] = "https://xmltv.org";
constexpr char kConfigurationKey[] = "SOFTWARE\\Quillon Labs\\Glimmerbox\\Configuration\\EPG";

// Days from the registry's "Old data days"; 0 when the key or the value is missing.
int32_t RegistryOldDataDays() {
  int32_t days = 0;
  HKEY key = nullptr;
  if (RegOpenKeyEx(HKEY_LOCAL_MACHINE, kConfigurationKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD size = sizeof days;
    RegQueryValueEx(key, "Old data days", nullptr, nullptr, reinterpret_cast<BYTE*>(&days), &size);
    RegCloseKey(key);
  }
  return days;
}

}  // namespace

CEPGDataBase::CEPGDataBase(const ImportOptions& options, CProgressDialog& progress)
    : m_pOptions(&options), m_pProgress(&progress) {}

CEPGDataBase::~CEPGDataBase() {
  if (m_pDatabase) {
    LONG result = 0;
    m_pDatabase->Close(&result);
  }
  m_pProvider.Reset();
  m_pScheduleEntries.Reset();
  m_pProviders.Reset();
  m_pPrograms.Reset();
  m_pTunables.Reset();
  m_pServices.Reset();
  m_pChannelLineups.Reset();
  m_pDatabase.Reset();
  m_ChannelMap.clear();
}

unsigned CEPGDataBase::CreateComponent() {
  HRESULT hr = CoCreateInstance(CLSID_EPGDatabase, nullptr,
                                CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER,
                                IID_IEPGDatabase, reinterpret_cast<void**>(m_pDatabase.Out()));
  if (SUCCEEDED(hr) && m_pDatabase)
    return 0;
  LogLine(USERALERT, kNoComponent);
  return 6;
}

unsigned CEPGDataBase::Open() {
  unsigned code = OKRXMLParser::Open();
  if (code != 0)
    return code;
  if (m_pOptions->m_bCleanAll)
    CleanWholeDatabase();
  m_pProgress->AddString("Opening database...");
  if (CreateComponent() != 0)
    return 6;
  VARIANT_BOOL opened = VARIANT_FALSE;
  HRESULT hr = m_pDatabase->Open(&opened);
  if (FAILED(hr) || opened == VARIANT_FALSE) {
    LogLine(USERALERT, "Unrecoverable internal error: Cannot open EPG database.");
    return 7;
  }
  code = FetchCollections();
  if (code != 0)
    return code;
  if (!m_pOptions->m_bCleanAll)
    RemoveOldEntries();
  if (m_pOptions->m_strServicesFile.empty())
    DeleteChannelsFile();
  return 0;
}

unsigned CEPGDataBase::FetchCollections() {
  unsigned code = 0;
  // Fetched in this order; the first failure names its collection and gives its code.
  auto fetch = [&](auto get, auto* member, const char* name, unsigned failure) {
    if (code != 0 || SUCCEEDED((m_pDatabase.Get()->*get)(member->Out())))
      return;
    LogLine(USERALERT, "Unrecoverable internal error: Cannot get ", name, " from the EPG database");
    code = failure;
  };
  fetch(&IEPGDatabase::GetScheduleEntries, &m_pScheduleEntries, "ScheduleEntries", 8);
  fetch(&IEPGDatabase::GetProviders, &m_pProviders, "Providers", 9);
  fetch(&IEPGDatabase::GetPrograms, &m_pPrograms, "Programs", 10);
  fetch(&IEPGDatabase::GetTunables, &m_pTunables, "Tunables", 11);
  fetch(&IEPGDatabase::GetServices, &m_pServices, "Services", 12);
  fetch(&IEPGDatabase::GetChannelLineups, &m_pChannelLineups, "ChannelLineups", 13);
  return code;
}

void CEPGDataBase::CleanWholeDatabase() {
  LogLine(TRACE, "Deleting whole database");
  m_pProgress->AddString("Cleaning whole database...");
  if (m_pDatabase) {
    LogLine(ERROR, "Cannot clean after opening database");
    return;
  }
  if (CreateComponent() != 0)
    return;
  VARIANT_BOOL cleaned = 0;
  m_pDatabase->Clean(&cleaned);
  if (cleaned != VARIANT_TRUE)
    LogLine(ERROR, "Failed to clean database");
  m_pDatabase.Reset();
}

void CEPGDataBase::RemoveOldEntries() {
  m_pProgress->AddString("Removing old entries from database...");
  int32_t days = m_pOptions->m_nDays != -1 ? m_pOptions->m_nDays : RegistryOldDataDays();
  LogLine(TRACE, "Removing entries older than ", days, " days");
  m_pScheduleEntries->RemoveOlderThan(days);
}

bool CEPGDataBase::UseProvider(const std::string& name, const char* url) {
  ScopedBstr bstrName(name);
  m_pProviders->Lookup(bstrName, m_pProvider.Out());
  if (m_pProvider)
    return true;
  m_pProviders->Create(m_pProvider.Out());
  if (!m_pProvider)
    return false;
  m_pProvider->SetName(bstrName);
  if (url != nullptr)
    m_pProvider->SetURL(ScopedBstr(url));
  return true;
}

bool CEPGDataBase::Import() {
  const std::string& file = m_pOptions->m_strFileName;
  m_pProgress->AddString("Initialising database...");
  m_pDatabase->SetSourceDescription(ScopedBstr("XMLTV data read from: " + file));
  m_pDatabase->SetServicesFile(ScopedBstr(m_pOptions->m_strServicesFile));
  LogLine(TRACE, "Adding ", m_pOptions->m_nOffsetMinutes,
          " minutes to the start and end times of all programs");
  if (!UseProvider(kDefaultProvider, kXmltvProjectUrl)) {
    LogLine(USERALERT, "Unrecoverable internal error: Cannot set provider in database");
    return false;
  }
  m_pProgress->AddString("Building XML tree...");
  uint64_t size = 0;
  m_nFileSize = platform::GetFileSize(file, &size) ? static_cast<int64_t>(size) : -1;
  ParseFile(file);
  // Read to its end, the file shows 100 % whatever came after the last record.
  if (GetParseError().m_nCode == 0)
    UpdateProgress();
  bool parsed = !LogParseError(GetParseError());
  bool saved = false;
  // A broken download that holds no record never replaces or empties the guide.
  if (parsed || m_nRecords > 0) {
    m_pProgress->AddString("Saving database...");
    m_pProgress->AddSubString("");
    LONG prepared = 0;
    m_pDatabase->PrepareSave(&prepared);
    saved = Save();
  }
  m_summary.fileRead = true;
  LogLine(TRACE, m_summary.Text());
  return parsed && saved;
}

bool CEPGDataBase::Save() {
  if (SUCCEEDED(m_pDatabase->Save()))
    return true;
  LogLine(USERALERT, "Unrecoverable internal error: Cannot save EPG database.");
  return false;
}

void CEPGDataBase::UpdateProgress() {
  if (m_nFileSize > 0) {
    int percent = static_cast<int>(BytesConsumed() * 100 / static_cast<uint64_t>(m_nFileSize));
    if (percent != m_nLastPercent) {
      m_nLastPercent = percent;
      std::string text;
      Format(text, "%d%% Completed", percent);
      m_pProgress->AddSubString(text.c_str());
    }
  }
  if (m_pProgress->IsCancelled())
    SetStopFlag();
}

void CEPGDataBase::OnStartElement(const char* name, const char** attributes) {
  bool first = GetRoot() == nullptr;
  OKRXMLParser::OnStartElement(name, attributes);
  OKRXMLElement* root = GetRoot();
  if (!first || root == nullptr || root->GetName() != "tv")
    return;
  if (OKRXMLAttribute* supplier = root->FindAttribute("supplier")) {
    UseProvider(supplier->GetValue(), nullptr);
  }
}

void CEPGDataBase::OnEndElement(const char* name) {
  OKRXMLElement* element = GetCurrent();
  if (element != nullptr) {
    std::string_view tag = element->GetName();
    bool record = tag == "programme" || tag == "channel";
    if (record) {
      ++m_nRecords;
      if (tag == "programme") {
        HandleProgramme(element);
      } else {
        HandleChannel(element);
      }
      // A cancel confirmed while the record was shown stops the reading after this line: a pipe
      // that delivers nothing more is then not waited on for the next record.
      if (m_pProgress->IsCancelled())
        SetStopFlag();
    }
    // Nothing reads a finished record again, handled or rejected (XMLTV allows programmes
    // without a stop time, all rejected), nor any other finished element under the root: each
    // goes, or such a file would grow the tree without bound.
    if (record || element->GetParent() == GetRoot())
      HandleRecordEnd(0);
  }
  OKRXMLParser::OnEndElement(name);
}
