// The parser on Windows-style command lines, and on the line built from a Linux argv: what a
// Linux user types must mean what the same options meant on a Windows command line. The import
// options each line gives, and the numbers of their values. The usage box and the file-open
// dialog, on a recording backend.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/command_line_parser.h"
#include "app/file_choice.h"
#include "app/import_options.h"
#include "app/option_number.h"
#include "app/usage.h"
#include "platform/command_line.h"
#include "tests/support/recording_backend.h"
#include "tests/support/run_program.h"

namespace {

// Every entry but COMMANDLINE in walk order, as "NAME=value|...", then the import options that
// differ from their defaults: the options read their names in any case, and tell an option given
// without a value from an absent one.
std::string Meaning(const CommandLineParser& parser) {
  std::string meaning;
  for (const auto& [name, value] : parser) {
    if (name != COMMANDLINE)
      meaning += (meaning.empty() ? "" : "|") + name + "=" + value;
  }
  ImportOptions o;
  o.m_strFileName = "kept.xml";
  FillImportOptions(parser, &o);
  const std::string days = std::to_string(o.m_nDays), offset = std::to_string(o.m_nOffsetMinutes);
  meaning += o.m_bCleanAll ? " clean" : "";
  meaning += o.m_nDays != -1 ? " days:" + days : "";
  meaning += o.m_nOffsetMinutes != 0 ? " offset:" + offset : "";
  meaning += o.m_strServicesFile.empty() ? "" : " services:" + o.m_strServicesFile;
  meaning += o.m_bExtractOnly ? " extract" : "";
  return meaning + (o.m_strFileName == "kept.xml" ? "" : " file changed");
}

TEST(CommandLineParser, ParsesEveryExampleIntoTheWholeMapAndTheOptions) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"RUZOZAZE.exe /c:7 /S:\"My List.txt\" file.xml",
       "%1=file.xml|C=7|MODULEFILENAME=RUZOZAZE.exe|S=My List.txt days:7 services:My List.txt"},
      {"\"/opt/my tools/ruzozaze\" /x", "MODULEFILENAME=/opt/my tools/ruzozaze|X= extract"},
      // Parsing goes on right after the closing quote of the program name.
      {"\"prog\"/x file.xml", "%1=file.xml|MODULEFILENAME=prog|X= extract"},
      {"\"/opt/unterminated dir/prog /x", "MODULEFILENAME=/opt/unterminated dir/prog /x"},
      // Any blank ends an unquoted program name and is skipped after it.
      {"prog\t\t/x", "MODULEFILENAME=prog|X= extract"},
      {"", "MODULEFILENAME="},
      // Bytes above 127 are ordinary characters, and names sort them after every ASCII byte.
      {"/home/j\xc3\xbcrgen/ruzozaze /x \xc3\xa4.xml /\xc3\xa4 /Z",
       "%1=\xc3\xa4.xml|MODULEFILENAME=/home/j\xc3\xbcrgen/ruzozaze|X=|Z=|\xc3\xa4= extract"},
      // Without a value, c cleans the whole database; with one, it is a number of days.
      {"prog /c", "C=|MODULEFILENAME=prog clean"},
      {"prog /c:0", "C=0|MODULEFILENAME=prog days:0"},
      // Blanks after the colon are skipped, so a value may follow them.
      {"prog /c:  7 /s:\t\"a b\"", "C=7|MODULEFILENAME=prog|S=a b days:7 services:a b"},
      {"prog /o:\"-99999999999\"", "MODULEFILENAME=prog|O=-99999999999 offset:-2147483648"},
      {"prog -s:a /s:b /S:c", "MODULEFILENAME=prog|S=a services:a"},
      {"prog /commandline:x /ModuleFileName:y", "MODULEFILENAME=prog"},
      {"prog -X /x /X /xY", "MODULEFILENAME=prog|X=|XY= extract"},
      // Quotes inside an unquoted argument or value are ordinary; a colon in a value is kept.
      {"prog a\"b c /s:c:\\x\"y\\list.txt",
       "%1=a\"b|%2=c|MODULEFILENAME=prog|S=c:\\x\"y\\list.txt services:c:\\x\"y\\list.txt"},
      {"prog \"unterminated value", "%1=unterminated value|MODULEFILENAME=prog"},
      {"prog /s:\"unterminated value",
       "MODULEFILENAME=prog|S=unterminated value services:unterminated value"},
      // A closing quote ends the argument even when no space follows it.
      {"prog \"a b\"c \"\"", "%1=a b|%2=c|%3=|MODULEFILENAME=prog"},
      // Only the space separates arguments; a tab belongs to the argument.
      {"prog  a\tb   /s:x\ty  ", "%1=a\tb|MODULEFILENAME=prog|S=x\ty services:x\ty"},
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

TEST(CommandLineParser, ReadsTheLineBuiltFromArgv) {
  // The tail skips an unquoted program name and every blank behind it (a quoted one: every log).
  platform::GetCommandLine() = "prog \t file.xml ";
  EXPECT_EQ(platform::GetCommandLineTail(), "file.xml ");
  // Quoted for the log only: the parser keeps a tab in its argument anyway.
  EXPECT_EQ(platform::BuildCommandLine({"prog", "tab\there"}), "prog \"tab\there\"");
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"/opt/my tools/ruzozaze", "/c:7", "/x", "my listings.xml", "/s:my list.txt"},
       "%1=my listings.xml|C=7|MODULEFILENAME=/opt/my tools/ruzozaze|S=my list.txt|X= days:7 "
       "services:my list.txt extract"},
      // An empty value stays as typed, so the next argument becomes the value unless it is an
      // option, as on Windows. An empty argument keeps its place.
      {{"ruzozaze", "/c:", "file.xml"}, "C=file.xml|MODULEFILENAME=ruzozaze days:0"},
      {{"ruzozaze", "/c:", "/x"}, "C=|MODULEFILENAME=ruzozaze|X= clean extract"},
      {{"ruzozaze", "", "file.xml"}, "%1=|%2=file.xml|MODULEFILENAME=ruzozaze"},
      // A negative value still needs quotes of its own, as it did on Windows.
      {{"ruzozaze", "/o:-30"}, "30=|MODULEFILENAME=ruzozaze|O="},
      // Paths: an existing top-level entry, one with a colon, one with bytes above 127. An
      // argument that holds a quote is written as it is.
      {{"/usr/bin/ruzozaze", "/tmp", "/tmp/a:b.xml", "/home/j\xc3\xbcrgen/tv guide.xml", "a\"b c"},
       "%1=/tmp|%2=/tmp/a:b.xml|%3=/home/j\xc3\xbcrgen/tv guide.xml|%4=a\"b|%5=c|"
       "MODULEFILENAME=/usr/bin/ruzozaze"},
      {{"ruzozaze", "tab\there.xml", "-s:/home/me/my list.txt"},
       "%1=tab\there.xml|MODULEFILENAME=ruzozaze|S=/home/me/my list.txt services:/home/me/my "
       "list.txt"},
  };
  for (const auto& [given, meaning] : cases) {
    SCOPED_TRACE(platform::BuildCommandLine(given));
    EXPECT_EQ(Meaning(CommandLineParser(platform::BuildCommandLine(given))), meaning);
  }
}

// Read like atol, but saturating instead of overflowing: each text between '|', and its number.
TEST(ImportOptions, NumbersReadLikeAtolButSaturate) {
  const std::string texts =
      "|abc|-|+-3|- 3|42|+5|-5|-0|007| \t\n\v\f\r12abc|1 2|\xa0\x35|2147483647|2147483648|"
      "-2147483648|-2147483649|00000000000000000000000000000000000012|"
      "99999999999999999999999999999999999999|-99999999999999999999999999999999999999|"
      "18446744073709551617";
  std::string read;
  for (size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
    end = texts.find('|', at);
    read += std::to_string(ReadOptionNumber(texts.substr(at, end - at))) + " ";
  }
  EXPECT_EQ(read,
            "0 0 0 0 0 42 5 -5 0 7 12 1 0 2147483647 2147483647 -2147483648 -2147483648 12 "
            "2147483647 -2147483648 2147483647 ");
}

// The usage box byte for byte; the file-open dialog proposes listings.xml in the current
// directory, or the name alone when that directory is too long for the whole to fit the name
// buffer, or gone; cancelled, it changes nothing. The proposal in an ordinary folder is seen on
// a terminal in the user-interface tests.
TEST(ShellDialogs, UsageBoxAndTheProposedListingsFile) {
  auto backend = std::make_unique<testing_support::RecordingBackend>();
  testing_support::RecordingBackend* ui = backend.get();
  platform::ui::InstallBackend(std::move(backend));
  ShowUsage();
  ASSERT_EQ(ui->boxes.size(), 1u);
  EXPECT_EQ(ui->boxes[0].caption + "\n" + ui->boxes[0].text,
            "Command line options\n"
            "RUZOZAZE.exe /x /c[:numdays] /o:numminutes /s:services_file xmltv_data_filename\n"
            "\n"
            "x - Extract channels only to 'channels.txt'\n"
            "c - Clean database. numdays is the number of days has to be older than to be "
            "deleted from the database. No argument means delete the whole database.\n"
            "o - Offset all times by number of minutes.\n"
            "s - Ordered list of channels, one per line. If not specified extract channels to "
            "'channels.txt'.");

  const std::filesystem::path original = std::filesystem::current_path();
  testing_support::TempDir dir;
  std::string base = std::filesystem::canonical(dir.path()).string();
  // Folders whose full name with "/listings.xml" takes 259 bytes (fits with its NUL) and 260.
  std::string longest = base + "/" + std::string(259 - 13 - base.size() - 1, 'd');
  ASSERT_TRUE(std::filesystem::create_directory(longest));
  ASSERT_TRUE(std::filesystem::create_directory(longest + "e"));
  ASSERT_TRUE(std::filesystem::create_directory(base + "/gone"));
  const std::pair<std::string, std::string> cases[] = {{"/", "/listings.xml"},
                                                       {longest, longest + "/listings.xml"},
                                                       {longest + "e", "listings.xml"},
                                                       {base + "/gone", "listings.xml"}};
  for (const auto& [folder, proposed] : cases) {
    std::filesystem::current_path(folder);
    if (folder.ends_with("/gone"))
      std::filesystem::remove(folder);
    std::string path = "unchanged";
    EXPECT_FALSE(ChooseListingsFile(&path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(ui->openRequests.back().initialFile, proposed);
  }
  EXPECT_EQ(ui->openRequests.back().filters,
            (std::vector<std::pair<std::string, std::string>>{
                {"XMLTV Listings file (.xml)", "*.xml"}, {"All Files", "*.*"}}));
  std::filesystem::current_path(original);
  platform::ui::InstallBackend(nullptr);
}

}  // namespace
