#include "app/import_options.h"

#include <gtest/gtest.h>

#include "app/command_line_parser.h"
#include "app/option_number.h"

namespace {

TEST(ImportOptions, FilledFromTheOptions) {
  struct Case {
    std::string line;
    bool cleanAll;
    int32_t days;
    std::string servicesFile;
    int32_t offsetMinutes;
    bool extractOnly;
  };
  const std::vector<Case> cases = {
      {"prog file.xml", false, -1, "", 0, false},
      {"prog /c", true, -1, "", 0, false},
      {"prog /c:", true, -1, "", 0, false},
      {"prog /c:0", false, 0, "", 0, false},
      {"prog /c:abc", false, 0, "", 0, false},
      {"prog -C:14 /x", false, 14, "", 0, true},
      {"prog /c: /x", true, -1, "", 0, true},
      {"prog /o:90", false, -1, "", 90, false},
      {"prog /o:\"-90\"", false, -1, "", -90, false},
      {"prog /o:-90", false, -1, "", 0, false},
      {"prog /o:\"+5\" /c:\" \t12 days\"", false, 12, "", 5, false},
      {"prog /S:list.txt", false, -1, "list.txt", 0, false},
      {"prog -s:list.txt", false, -1, "list.txt", 0, false},
      {"prog /s:\"my list.txt\" /s:other.txt", false, -1, "my list.txt", 0, false},
      {"prog /c:99999999999 /o:\"-99999999999\"", false, INT32_MAX, "", INT32_MIN, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ImportOptions options;
    options.m_strFileName = "kept.xml";
    FillImportOptions(CommandLineParser(c.line), &options);
    EXPECT_EQ(options.m_strFileName, "kept.xml");
    EXPECT_EQ(options.m_bCleanAll, c.cleanAll);
    EXPECT_EQ(options.m_nDays, c.days);
    EXPECT_EQ(options.m_strServicesFile, c.servicesFile);
    EXPECT_EQ(options.m_nOffsetMinutes, c.offsetMinutes);
    EXPECT_EQ(options.m_bExtractOnly, c.extractOnly);
  }
}

TEST(ImportOptions, NumbersReadLikeAtolButSaturate) {
  const std::vector<std::pair<std::string, int32_t>> cases = {
      {"", 0},
      {"abc", 0},
      {"-", 0},
      {"+-3", 0},
      {"- 3", 0},
      {"42", 42},
      {"+5", 5},
      {"-5", -5},
      {"-0", 0},
      {"007", 7},
      {" \t\n\v\f\r12abc", 12},
      {"1 2", 1},
      {"\xa0"
       "5",
       0},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"00000000000000000000000000000000000012", 12},
      {"99999999999999999999999999999999999999", INT32_MAX},
      {"-99999999999999999999999999999999999999", INT32_MIN},
      {"18446744073709551617", INT32_MAX},
  };
  for (const auto& [text, want] : cases)
    EXPECT_EQ(ReadOptionNumber(text), want) << text;
}

}  // namespace
