// One import of an XMLTV listings file into the EPG database component. The parser hands over
// each channel and programme element as soon as its end tag has been read; handled or rejected,
// it is then cut out of the tree, like every other finished element under the root, so memory
// does not grow with the file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "app/import_options.h"
#include "import/calendar_time.h"
#include "import/epgdb/database.h"
#include "import/import_summary.h"
#include "platform/com/bstr_buffer.h"
#include "platform/com/com_ptr.h"
#include "ui/progress_dialog.h"
#include "xml/parser.h"

class CEPGDataBase : public OKRXMLParser {
 public:
  CEPGDataBase(const ImportOptions& options, CProgressDialog& progress);
  ~CEPGDataBase() override;

  // Makes the parser, cleans the whole database or removes old entries, opens the component and
  // fetches its collections. 0 when ready; 2 when already open; 6 to 13 when the component or one
  // of its collections cannot be had (logged as an alert).
  unsigned Open() override;

  // Reads the whole file into the database and saves. True on success, also after a cancel.
  // False when no provider can be had, when the file cannot be read or is not well-formed (what
  // was imported before the fault is still saved, unless nothing was), or when saving fails.
  bool Import();

  void CleanWholeDatabase();
  void RemoveOldEntries();
  // Refreshes the percentage line and turns a confirmed cancel into the parser's stop.
  void UpdateProgress();

  int HandleChannel(OKRXMLElement* element);
  int HandleProgramme(OKRXMLElement* element);

  const ImportSummary& Summary() const { return m_summary; }

 protected:
  void OnStartElement(const char* name, const char** attributes) override;
  void OnEndElement(const char* name) override;

 private:
  // The attribute texts are views into the programme element being handled.
  struct Slot {
    std::string_view channelId, startText, stopText;
    CalendarTime start, stop;
    ComPtr<IService> service;
  };

  unsigned CreateComponent();
  unsigned FetchCollections();
  bool UseProvider(const std::string& name, const char* url);
  bool Save();
  int RejectProgramme(const char* reason, uint64_t* counter);
  ComPtr<IService> FindService(std::string_view channelId);
  int AddEntry(const std::string& key, const std::string& title, const Slot& slot,
               IProgram* program);
  int AttachToClump(const std::string& key, const std::string& title, IProgram* program);

  const ImportOptions* m_pOptions;
  int64_t m_nFileSize = -1;
  int m_nLastPercent = -1;
  ComPtr<IEPGDatabase> m_pDatabase;
  ComPtr<IProvider> m_pProvider;
  ComPtr<IScheduleEntries> m_pScheduleEntries;
  ComPtr<IProviders> m_pProviders;
  ComPtr<IPrograms> m_pPrograms;
  ComPtr<ITunables> m_pTunables;
  ComPtr<IServices> m_pServices;
  ComPtr<IChannelLineups> m_pChannelLineups;
  CProgressDialog* m_pProgress;
  std::map<std::string, ComPtr<IService>, std::less<>> m_ChannelMap;
  ImportSummary m_summary;
  BstrBuffer m_bstrText;     // the texts of programmes, as they are handed to the component
  std::string m_strSlotKey;  // the slot key of the programme being handled
  uint64_t m_nRecords = 0;   // channel and programme elements handed to their handlers
};
