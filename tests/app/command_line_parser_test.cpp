// The parser on Windows-style command lines, and on the line built from a Linux argv: what a
// Linux user types must mean what the same options meant on a Windows command line.
#include "app/command_line_parser.h"

#include <gtest/gtest.h>

#include "platform/command_line.h"

namespace {

// Every entry but COMMANDLINE in walk order, as "NAME=value|...".
std::string Meaning(const CommandLineParser& parser) {
  std::string meaning;
  for (const auto& [name, value] : parser) {
    if (name != COMMANDLINE)
      meaning += (meaning.empty() ? "" : "|") + name + "=" + value;
  }
  return meaning;
}

TEST(CommandLineParser, ParsesEveryExampleIntoTheWholeMap) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"RUZOZAZE.exe /c:7 /S:\"my list.txt\" file.xml",
       "%1=file.xml|C=7|MODULEFILENAME=RUZOZAZE.exe|S=my list.txt"},
      {"\"/opt/my tools/ruzozaze\" /x", "MODULEFILENAME=/opt/my tools/ruzozaze|X="},
      // Parsing goes on right after the closing quote of the program name.
      {"\"prog\"/x file.xml", "%1=file.xml|MODULEFILENAME=prog|X="},
      {"\"/opt/unterminated dir/prog /x", "MODULEFILENAME=/opt/unterminated dir/prog /x"},
      // Any blank ends an unquoted program name and is skipped after it.
      {"prog\t\t/x", "MODULEFILENAME=prog|X="},
      {"", "MODULEFILENAME="},
      // Bytes above 127 are ordinary characters, and names sort them after every ASCII byte.
      {"/home/j\xc3\xbcrgen/ruzozaze /x \xc3\xa4.xml /\xc3\xa4 /Z",
       "%1=\xc3\xa4.xml|MODULEFILENAME=/home/j\xc3\xbcrgen/ruzozaze|X=|Z=|\xc3\xa4="},
      {"prog /c", "C=|MODULEFILENAME=prog"},
      {"prog /c:", "C=|MODULEFILENAME=prog"},
      {"prog /c: /x", "C=|MODULEFILENAME=prog|X="},
      // Blanks after the colon are skipped, so a value may follow them.
      {"prog /c:  7 /s:\t\"a b\"", "C=7|MODULEFILENAME=prog|S=a b"},
      {"prog /o:-30", "30=|MODULEFILENAME=prog|O="},
      {"prog /o:\"-30\"", "MODULEFILENAME=prog|O=-30"},
      {"prog /s:a /s:b -S:c", "MODULEFILENAME=prog|S=a"},
      {"prog /commandline:x /ModuleFileName:y", "MODULEFILENAME=prog"},
      {"prog -X /x /X /xY", "MODULEFILENAME=prog|X=|XY="},
      // Quotes inside an unquoted argument or value are ordinary; a colon in a value is kept.
      {"prog a\"b c /s:c:\\x\"y\\list.txt",
       "%1=a\"b|%2=c|MODULEFILENAME=prog|S=c:\\x\"y\\list.txt"},
      {"prog \"unterminated value", "%1=unterminated value|MODULEFILENAME=prog"},
      {"prog /s:\"unterminated value", "MODULEFILENAME=prog|S=unterminated value"},
      // A closing quote ends the argument even when no space follows it.
      {"prog \"a b\"c \"\"", "%1=a b|%2=c|%3=|MODULEFILENAME=prog"},
      // Only the space separates arguments; a tab belongs to the argument.
      {"prog  a\tb   /s:x\ty  ", "%1=a\tb|MODULEFILENAME=prog|S=x\ty"},
      {"prog / - x /:abc -", "%1=x|%2=abc|MODULEFILENAME=prog"},
      {"prog a b c d e f g h i j k",
       "%1=a|%10=j|%11=k|%2=b|%3=c|%4=d|%5=e|%6=f|%7=g|%8=h|%9=i|MODULEFILENAME=prog"},
  };
  for (const auto& [line, meaning] : cases) {
    SCOPED_TRACE(line);
    CommandLineParser parser(line);
    EXPECT_EQ(Meaning(parser), meaning);
    EXPECT_EQ(parser.GetParameter(COMMANDLINE), line);
  }
}

TEST(CommandLineParser, LooksUpNamesInAnyCase) {
  CommandLineParser parser("prog -x /s:List.TXT file.xml");
  EXPECT_TRUE(parser.HasParameter("x") && parser.HasParameter("X"));
  EXPECT_EQ(parser.GetParameter("s"), "List.TXT");
  EXPECT_EQ(parser.GetParameter("S"), "List.TXT");
  EXPECT_EQ(parser.GetParameter("modulefilename"), "prog");
  // Present without a value and absent both read as "".
  EXPECT_EQ(parser.GetParameter("x"), "");
  EXPECT_FALSE(parser.HasParameter("o") || parser.HasParameter("%2"));
  EXPECT_EQ(parser.GetParameter("o"), "");
}

TEST(CommandLineParser, ReadsTheProcessCommandLineBuiltFromArgv) {
  std::vector<std::string> args = {"/opt/my tools/ruzozaze", "-s:/srv/tv/list.txt", "/c:3",
                                   "guide.xml"};
  std::vector<char*> argv;
  for (std::string& arg : args)
    argv.push_back(arg.data());
  platform::InitCommandLine(static_cast<int>(argv.size()), argv.data());
  CommandLineParser parser;
  platform::GetCommandLine() = "changed afterwards";
  EXPECT_EQ(Meaning(parser),
            "%1=guide.xml|C=3|MODULEFILENAME=/opt/my tools/ruzozaze|S=/srv/tv/list.txt");

  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"ruzozaze", "-x", "/tmp/listings.xml"}, "%1=/tmp/listings.xml|MODULEFILENAME=ruzozaze|X="},
      {{"/opt/my tools/ruzozaze", "/c:7", "/x", "my listings.xml", "/s:my list.txt"},
       "%1=my listings.xml|C=7|MODULEFILENAME=/opt/my tools/ruzozaze|S=my list.txt|X="},
      // An empty value stays as typed, so the next argument becomes the value unless it is an
      // option, as on Windows. An empty argument keeps its place.
      {{"ruzozaze", "/c:", "file.xml"}, "C=file.xml|MODULEFILENAME=ruzozaze"},
      {{"ruzozaze", "/c:", "/x"}, "C=|MODULEFILENAME=ruzozaze|X="},
      {{"ruzozaze", "", "file.xml"}, "%1=|%2=file.xml|MODULEFILENAME=ruzozaze"},
      // A negative value still needs quotes of its own, as it did on Windows.
      {{"ruzozaze", "/o:-30"}, "30=|MODULEFILENAME=ruzozaze|O="},
      {{"ruzozaze", "/o:\"-30\""}, "MODULEFILENAME=ruzozaze|O=-30"},
      // Paths: an existing top-level entry, one with a colon, one with bytes above 127.
      {{"/usr/bin/ruzozaze", "/tmp", "/tmp/a:b.xml", "/home/j\xc3\xbcrgen/tv guide.xml"},
       "%1=/tmp|%2=/tmp/a:b.xml|%3=/home/j\xc3\xbcrgen/tv "
       "guide.xml|MODULEFILENAME=/usr/bin/ruzozaze"},
      {{"ruzozaze", "tab\there.xml", "-s:/home/me/my list.txt"},
       "%1=tab\there.xml|MODULEFILENAME=ruzozaze|S=/home/me/my list.txt"},
  };
  for (const auto& [given, meaning] : cases) {
    SCOPED_TRACE(platform::BuildCommandLine(given));
    EXPECT_EQ(Meaning(CommandLineParser(platform::BuildCommandLine(given))), meaning);
  }
}

}  // namespace
