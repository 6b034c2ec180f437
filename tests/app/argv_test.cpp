// The process command line built from argv, read back by the parser: what a Linux user types
// must mean what the same options meant on a Windows command line.
#include <gtest/gtest.h>

#include "app/command_line_parser.h"
#include "platform/command_line.h"
#include "tests/app/parser_cases.h"

namespace {

using parser_cases::Entries;

Entries ParseArgv(const std::vector<std::string>& argv) {
  return parser_cases::Walk(CommandLineParser(platform::BuildCommandLine(argv)));
}

// Every entry but COMMANDLINE.
Entries Meaning(const Entries& entries) {
  Entries meaning;
  for (const auto& entry : entries) {
    if (entry.first != COMMANDLINE)
      meaning.push_back(entry);
  }
  return meaning;
}

TEST(CommandLineFromArgv, KeepsWhatEachArgumentMeant) {
  const std::vector<std::pair<std::vector<std::string>, Entries>> cases = {
      {{"ruzozaze", "-x", "/tmp/listings.xml"},
       {{"%1", "/tmp/listings.xml"}, {"MODULEFILENAME", "ruzozaze"}, {"X", ""}}},
      {{"ruzozaze", "-s:/home/me/list.txt", "file.xml"},
       {{"%1", "file.xml"}, {"MODULEFILENAME", "ruzozaze"}, {"S", "/home/me/list.txt"}}},
      {{"ruzozaze", "/s:/home/me/list.txt", "/home/me/guide.xml"},
       {{"%1", "/home/me/guide.xml"}, {"MODULEFILENAME", "ruzozaze"}, {"S", "/home/me/list.txt"}}},
      {{"/opt/my tools/ruzozaze", "/c:7", "/x", "my listings.xml", "/s:my list.txt"},
       {{"%1", "my listings.xml"},
        {"C", "7"},
        {"MODULEFILENAME", "/opt/my tools/ruzozaze"},
        {"S", "my list.txt"},
        {"X", ""}}},
      // An empty value stays as typed, so the next argument becomes the value unless it is an
      // option, as on Windows. An empty argument keeps its place.
      {{"ruzozaze", "/c:", "file.xml"}, {{"C", "file.xml"}, {"MODULEFILENAME", "ruzozaze"}}},
      {{"ruzozaze", "/c:", "/x"}, {{"C", ""}, {"MODULEFILENAME", "ruzozaze"}, {"X", ""}}},
      {{"ruzozaze", "", "file.xml"},
       {{"%1", ""}, {"%2", "file.xml"}, {"MODULEFILENAME", "ruzozaze"}}},
      // A negative value still needs quotes of its own, as it did on Windows.
      {{"ruzozaze", "/o:-30"}, {{"30", ""}, {"MODULEFILENAME", "ruzozaze"}, {"O", ""}}},
      {{"ruzozaze", "/o:\"-30\""}, {{"MODULEFILENAME", "ruzozaze"}, {"O", "-30"}}},
      // Paths: an existing top-level entry, one with a colon, one with bytes above 127.
      {{"/usr/bin/ruzozaze", "/tmp", "/tmp/a:b.xml", "/home/j\xc3\xbcrgen/tv guide.xml"},
       {{"%1", "/tmp"},
        {"%2", "/tmp/a:b.xml"},
        {"%3", "/home/j\xc3\xbcrgen/tv guide.xml"},
        {"MODULEFILENAME", "/usr/bin/ruzozaze"}}},
      {{"ruzozaze", "tab\there.xml", "-s:/home/me/my list.txt"},
       {{"%1", "tab\there.xml"}, {"MODULEFILENAME", "ruzozaze"}, {"S", "/home/me/my list.txt"}}},
  };
  for (const auto& [argv, meaning] : cases) {
    SCOPED_TRACE(platform::BuildCommandLine(argv));
    EXPECT_EQ(Meaning(ParseArgv(argv)), meaning);
  }
}

TEST(CommandLineFromArgv, ProcessLineReachesTheParser) {
  std::vector<std::string> args = {"/usr/local/bin/ruzozaze", "-s:/srv/tv/list.txt",
                                   "/srv/tv/guide.xml"};
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  platform::InitCommandLine(static_cast<int>(argv.size()), argv.data());
  CommandLineParser parser;
  EXPECT_EQ(parser.GetParameter(MODULEFILENAME), "/usr/local/bin/ruzozaze");
  EXPECT_EQ(parser.GetParameter("s"), "/srv/tv/list.txt");
  EXPECT_EQ(parser.GetParameter("%1"), "/srv/tv/guide.xml");
}

}  // namespace
