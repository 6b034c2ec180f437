// Command lines with every entry their parse must give, in walk order, and the TRACE texts it
// must log. Shared by the parser test (log off) and the trace test (log on at TRACE), which
// also shows that the log does not change what is parsed.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "app/command_line_parser.h"

namespace parser_cases {

using Entries = std::vector<std::pair<std::string, std::string>>;

// Stands for the case's whole line as the expected value of COMMANDLINE.
inline const std::string kWholeLine = "<the whole line>";

struct Case {
  std::string line;
  Entries entries;
  std::vector<std::string> traces;
};

inline std::vector<Case> Cases() {
  const std::string empty = "Empty parameter name on command line";
  auto trailing = [](const std::string& name) {
    return "Parameter '" + name + "' value expected because of the trailing ':'";
  };
  std::vector<Case> cases = {
      {"RUZOZAZE.exe /c:7 /S:\"my list.txt\" file.xml",
       {{"%1", "file.xml"},
        {"C", "7"},
        {"COMMANDLINE", kWholeLine},
        {"MODULEFILENAME", "RUZOZAZE.exe"},
        {"S", "my list.txt"}},
       {}},
      {"\"/opt/my tools/ruzozaze\" /x",
       {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "/opt/my tools/ruzozaze"}, {"X", ""}},
       {}},
      // Parsing goes on right after the closing quote of the program name.
      {"\"prog\"/x file.xml",
       {{"%1", "file.xml"}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"X", ""}},
       {}},
      {"\"/opt/unterminated dir/prog /x",
       {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "/opt/unterminated dir/prog /x"}},
       {}},
      {"prog /x", {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"X", ""}}, {}},
      // Any blank ends an unquoted program name and is skipped after it.
      {"prog\t\t/x", {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"X", ""}}, {}},
      {"", {{"COMMANDLINE", ""}, {"MODULEFILENAME", ""}}, {}},
      // Bytes above 127 are ordinary characters, and names sort them after every ASCII byte.
      {"/home/j\xc3\xbcrgen/ruzozaze /x \xc3\xa4.xml /\xc3\xa4 /Z",
       {{"%1", "\xc3\xa4.xml"},
        {"COMMANDLINE", kWholeLine},
        {"MODULEFILENAME", "/home/j\xc3\xbcrgen/ruzozaze"},
        {"X", ""},
        {"Z", ""},
        {"\xc3\xa4", ""}},
       {}},
      {"prog /c", {{"C", ""}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}}, {}},
      {"prog /c:", {{"C", ""}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}}, {}},
      {"prog /c: /x",
       {{"C", ""}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"X", ""}},
       {trailing("C")}},
      // Blanks after the colon are skipped, so a value may follow them.
      {"prog /c:  7 /s:\t\"a b\"",
       {{"C", "7"}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"S", "a b"}},
       {}},
      {"prog /o:-30",
       {{"30", ""}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"O", ""}},
       {trailing("O")}},
      {"prog /o:\"-30\"",
       {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"O", "-30"}},
       {}},
      {"prog /s:a /s:b -S:c",
       {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"S", "a"}},
       {}},
      {"prog /commandline:x /ModuleFileName:y",
       {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}},
       {}},
      {"prog -X /x /X /xY",
       {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"X", ""}, {"XY", ""}},
       {}},
      // Quotes inside an unquoted argument or value are ordinary; a colon in a value is kept.
      {"prog a\"b c /s:c:\\x\"y\\list.txt",
       {{"%1", "a\"b"},
        {"%2", "c"},
        {"COMMANDLINE", kWholeLine},
        {"MODULEFILENAME", "prog"},
        {"S", "c:\\x\"y\\list.txt"}},
       {}},
      {"prog \"unterminated value",
       {{"%1", "unterminated value"}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}},
       {}},
      {"prog /s:\"unterminated value",
       {{"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"S", "unterminated value"}},
       {}},
      // A closing quote ends the argument even when no space follows it.
      {"prog \"a b\"c \"\"",
       {{"%1", "a b"},
        {"%2", "c"},
        {"%3", ""},
        {"COMMANDLINE", kWholeLine},
        {"MODULEFILENAME", "prog"}},
       {}},
      // Only the space separates arguments; a tab belongs to the argument.
      {"prog  a\tb   /s:x\ty  ",
       {{"%1", "a\tb"}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}, {"S", "x\ty"}},
       {}},
      {"prog / - x /:abc -",
       {{"%1", "x"}, {"%2", "abc"}, {"COMMANDLINE", kWholeLine}, {"MODULEFILENAME", "prog"}},
       {empty, empty, empty, empty}},
      {"prog a b c d e f g h i j k",
       {{"%1", "a"},
        {"%10", "j"},
        {"%11", "k"},
        {"%2", "b"},
        {"%3", "c"},
        {"%4", "d"},
        {"%5", "e"},
        {"%6", "f"},
        {"%7", "g"},
        {"%8", "h"},
        {"%9", "i"},
        {"COMMANDLINE", kWholeLine},
        {"MODULEFILENAME", "prog"}},
       {}},
  };
  for (Case& c : cases) {
    for (auto& [name, value] : c.entries) {
      if (value == kWholeLine)
        value = c.line;
    }
  }
  return cases;
}

inline Entries Walk(const CommandLineParser& parser) {
  Entries entries;
  for (const auto& [name, value] : parser)
    entries.emplace_back(name, value);
  return entries;
}

}  // namespace parser_cases
