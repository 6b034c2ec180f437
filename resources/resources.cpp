#include "resources/resources.h"

#include <map>

namespace {

const std::map<unsigned, std::string>& StringTable() {
  static const std::map<unsigned, std::string> table = {
      {IDS_DEFAULT_FILE_NAME, "listings.xml"},
      {IDS_FILE_FILTER, "XMLTV Listings file (.xml)!*.xml!All Files!*.*!"},
      {IDS_LOCALISATION_FAILED, "Can't initialise the localisation engine."},
      {IDS_USAGE_CAPTION, "Command line options"},
      {IDS_USAGE_TEXT,
       "RUZOZAZE.exe /x /c[:numdays] /o:numminutes /s:services_file xmltv_data_filename\n"
       "\n"
       "x - Extract channels only to 'channels.txt'\n"
       "c - Clean database. numdays is the number of days has to be older than to be deleted "
       "from the database. No argument means delete the whole database.\n"
       "o - Offset all times by number of minutes.\n"
       "s - Ordered list of channels, one per line. If not specified extract channels to "
       "'channels.txt'."},
      {IDS_CONFIRM_ABORT, "Are you sure you want to abort further processing?"},
  };
  return table;
}

}  // namespace

int LoadString(unsigned id, std::string* text) {
  auto it = StringTable().find(id);
  *text = it == StringTable().end() ? std::string() : it->second;
  return static_cast<int>(text->size());
}

const platform::ui::DialogTemplate& ProgressDialogTemplate() {
  using Kind = platform::ui::DialogItem::Kind;
  static const platform::ui::DialogTemplate dialog = {
      "Importing XMLTV Data",
      231,
      58,
      "MS Sans Serif",
      8,
      {
          {Kind::kCenteredText, IDC_MAIN_STATUS, "", 7, 7, 217, 8},
          {Kind::kCenteredText, IDC_DETAIL_STATUS, "", 7, 15, 217, 8},
          {Kind::kCenteredText, IDC_SPARE_STATUS, "", 7, 23, 217, 8},
          {Kind::kPushButton, platform::ui::IDCANCEL, "Cancel", 90, 37, 50, 14},
      },
  };
  return dialog;
}
