#include "app/file_choice.h"

#include <utility>
#include <vector>

#include "platform/environment.h"
#include "platform/ui/ui.h"
#include "resources/resources.h"

namespace {

constexpr size_t kFileBufferSize = 260;
constexpr size_t kTitleBufferSize = 256;

// The current directory, a '/' unless it ends with one, then `fileName`; only `fileName` (which
// the dialog takes relative to the current directory) when the directory is unknown or the
// whole would not fit, with its NUL, in the name buffer.
std::string InitialFileName(const std::string& fileName) {
  std::string name;
  if (!platform::GetCurrentDirectory(&name) || name.empty())
    return fileName;
  if (name.back() != '/')
    name += '/';
  name += fileName;
  return name.size() < kFileBufferSize ? name : fileName;
}

// The filter resource holds descriptions and patterns, each ended by '!' (a NUL in the Windows
// form); the list ends at an empty description or when no pattern follows.
std::vector<std::pair<std::string, std::string>> FilterPairs(const std::string& filter) {
  std::vector<std::string> pieces;
  size_t start = 0;
  for (size_t bang = filter.find('!'); bang != std::string::npos; bang = filter.find('!', start)) {
    pieces.push_back(filter.substr(start, bang - start));
    start = bang + 1;
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (size_t i = 0; i + 1 < pieces.size() && !pieces[i].empty(); i += 2)
    pairs.emplace_back(pieces[i], pieces[i + 1]);
  return pairs;
}

}  // namespace

bool ChooseListingsFile(std::string* path) {
  std::string fileName;
  std::string filter;
  LoadString(IDS_DEFAULT_FILE_NAME, &fileName);
  LoadString(IDS_FILE_FILTER, &filter);

  platform::ui::OpenFileRequest request;
  request.initialFile = InitialFileName(fileName);
  request.filters = FilterPairs(filter);
  request.filterIndex = 1;
  request.flags = platform::ui::OFN_HIDEREADONLY | platform::ui::OFN_PATHMUSTEXIST |
                  platform::ui::OFN_FILEMUSTEXIST | platform::ui::OFN_EXPLORER |
                  platform::ui::OFN_ENABLESIZING;
  request.fileBufferSize = kFileBufferSize;
  request.titleBufferSize = kTitleBufferSize;
  std::string chosen;
  if (!platform::ui::CurrentBackend().GetOpenFileName(request, &chosen))
    return false;
  *path = chosen;
  return true;
}
