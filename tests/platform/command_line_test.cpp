#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace {

std::string Build(std::vector<std::string> args) {
  return platform::BuildCommandLine(args);
}

TEST(CommandLine, QuotesPathsAndBlanksButNotOptions) {
  EXPECT_EQ(Build({"ruzozaze", "-x", "/tmp/listings.xml"}), "ruzozaze -x \"/tmp/listings.xml\"");
  EXPECT_EQ(Build({"ruzozaze", "-s:/home/me/list.txt", "file.xml"}),
            "ruzozaze -s:\"/home/me/list.txt\" file.xml");
  EXPECT_EQ(Build({"ruzozaze", "/c:7", "/x", "/o:-30"}), "ruzozaze /c:7 /x /o:-30");
  EXPECT_EQ(Build({"ruzozaze", "my file.xml", "/s:my list.txt"}),
            "ruzozaze \"my file.xml\" /s:\"my list.txt\"");
  // "/tmp" names an existing entry even without a second slash.
  EXPECT_EQ(Build({"/usr/bin/ruzozaze", "/tmp"}), "\"/usr/bin/ruzozaze\" \"/tmp\"");
  // An argument that holds a quote is written as it is.
  EXPECT_EQ(Build({"prog", "a\"b c"}), "prog a\"b c");
  EXPECT_EQ(Build({"prog", "tab\there"}), "prog \"tab\there\"");
  // A slash before the first colon makes a path; after it, the argument is an option.
  EXPECT_EQ(Build({"prog", "/s:/home/me/list.txt", "/tmp/a:b.xml"}),
            "prog /s:\"/home/me/list.txt\" \"/tmp/a:b.xml\"");
  // An empty argument keeps its place; an empty value stays as it was typed.
  EXPECT_EQ(Build({"prog", "/c:", "/x", ""}), "prog /c: /x \"\"");
}

TEST(CommandLine, TailSkipsProgramNameAndBlanks) {
  char prog[] = "/opt/my tools/ruzozaze";
  char a1[] = "/x";
  char a2[] = "guide.xml";
  char* argv[] = {prog, a1, a2};
  platform::InitCommandLine(3, argv);
  EXPECT_EQ(platform::GetCommandLine(), "\"/opt/my tools/ruzozaze\" /x guide.xml");
  EXPECT_EQ(platform::GetCommandLineTail(), "/x guide.xml");
  platform::GetCommandLine() = "prog   file.xml ";
  EXPECT_EQ(platform::GetCommandLineTail(), "file.xml ");
}

}  // namespace
