// The program's resources: the string table and the template of the progress dialog.
#pragma once

#include <string>

#include "platform/ui/ui.h"

inline constexpr unsigned IDS_DEFAULT_FILE_NAME = 129;
inline constexpr unsigned IDS_FILE_FILTER = 130;
inline constexpr unsigned IDS_LOCALISATION_FAILED = 131;
inline constexpr unsigned IDS_USAGE_CAPTION = 133;
inline constexpr unsigned IDS_USAGE_TEXT = 134;
inline constexpr unsigned IDS_CONFIRM_ABORT = 135;

inline constexpr unsigned IDD_PROGRESS = 101;
inline constexpr int IDC_MAIN_STATUS = 1002;
inline constexpr int IDC_DETAIL_STATUS = 1000;
inline constexpr int IDC_SPARE_STATUS = 1001;

// On success stores the string with this id and returns its length; returns 0 and stores ""
// for an id the table does not hold.
int LoadString(unsigned id, std::string* text);

// The template of the progress dialog (IDD_PROGRESS).
const platform::ui::DialogTemplate& ProgressDialogTemplate();
