// channels.txt in the current folder: one channel id per line, each line ended by CR LF. Written
// by the extraction and by an import without a services file.
#pragma once

#include <string>

inline constexpr char kChannelsFile[] = "channels.txt";

// Appends the id and CR LF in one write-through write, opening and closing the file around it so
// every line reaches the disk at once. An id holding CR or LF would break the format: it is not
// written and is logged at ERROR level. A file that cannot be written is skipped silently.
void AppendToChannelsFile(const std::string& id);

// Deletes channels.txt; a missing file, or one that cannot be deleted, is no error.
void DeleteChannelsFile();
