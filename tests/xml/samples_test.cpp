// Real listings from other authors, checked against libxml2's own reading of them (xmllint).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/xml/test_support.h"

namespace {

// Runs the command and returns its standard output and its exit status.
std::string RunCommand(const std::string& command, int* status) {
  std::string output;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr)
    return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0)
    output.append(buffer, n);
  *status = pclose(pipe);
  return output;
}

// Well-formed files: the tree holds exactly the elements xmllint counts. Broken ones fail with
// code 5 at the line where xmllint finds the error as well.
TEST(Samples, TreeHoldsEveryElementOfTheFile) {
  int checked = 0, broken = 0;
  for (const auto& entry : std::filesystem::directory_iterator(RUZOZAZE_SAMPLES_DIR)) {
    if (entry.path().extension() != ".xml")
      continue;
    std::string path = entry.path().string();
    SCOPED_TRACE(path);
    int status = -1;
    std::string count =
        RunCommand("xmllint --xpath 'count(//*)' '" + path + "' 2>/dev/null", &status);
    count.erase(count.find_last_not_of('\n') + 1);
    unsigned code;
    auto parser = ParseDocument(path, &code);
    if (status == 0) {
      EXPECT_EQ(code, 0u) << parser->GetParseError().m_strText;
      EXPECT_EQ(std::to_string(CountElements(parser->GetRoot())), count);
      ++checked;
    } else {
      // xmllint's first message starts "FILE:LINE: parser error".
      std::string message = RunCommand("xmllint --noout '" + path + "' 2>&1", &status);
      std::string line =
          message.substr(path.size() + 1, message.find(':', path.size() + 1) - path.size() - 1);
      EXPECT_EQ(code, 5u);
      EXPECT_EQ(std::to_string(parser->GetParseError().m_nLine), line) << message;
      ++broken;
    }
  }
  EXPECT_GE(checked, 30);
  EXPECT_GE(broken, 2);
}

}  // namespace
