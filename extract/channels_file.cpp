#include "extract/channels_file.h"

#include "diag/log.h"
#include "platform/file.h"

void AppendToChannelsFile(const std::string& id) {
  if (id.find_first_of("\r\n") != std::string::npos) {
    LogLine(ERROR, "Channel id holds a line break: ", id);
    return;
  }
  std::string line = id + "\r\n";
  platform::AppendToFile(kChannelsFile, line.data(), line.size());
}

void DeleteChannelsFile() {
  platform::DeleteFile(kChannelsFile);
}
