#include "diag/log_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Read {
  uint32_t code;
  bool owner;
  std::string line;
  std::string variable;
  std::string file;
};

Read ReadSettings(std::string line, bool debugger = false, const char* inherited = nullptr) {
  if (inherited != nullptr) {
    setenv("logging", inherited, 1);
  } else {
    unsetenv("logging");
  }
  LogSettings settings;
  settings.Read(line, "/opt/bin/prog", debugger);
  const char* variable = getenv("logging");
  return {settings.m_nCode, settings.m_bOwner, line, variable ? variable : "",
          settings.m_strFileName};
}

TEST(LogSettings, ReadsTheSwitchAsHexadecimalAndPublishesIt) {
  Read a = ReadSettings("prog /Logging:103 file.xml");
  Read b = ReadSettings("prog -LOGGING:0x103 file.xml");
  EXPECT_EQ(a.code, 0x103u);
  EXPECT_EQ(b.code, 0x103u);
  EXPECT_EQ(a.variable, "00000103");
  EXPECT_TRUE(a.owner);
  EXPECT_EQ(a.file, "/opt/bin/prog.log");
  EXPECT_EQ(ReadSettings("prog /logging:  0XfF").code, 0xFFu);
  EXPECT_EQ(ReadSettings("prog /Logging:zz").code, 0u);
}

TEST(LogSettings, DebuggerAddsItsSinkAndLowersTheThreshold) {
  EXPECT_EQ(ReadSettings("prog /Logging:0x0301", true).code, 0x0103u);
  EXPECT_EQ(ReadSettings("prog /Logging:0x0001", true).code, 0x0003u);
  Read none = ReadSettings("prog", true);
  EXPECT_EQ(none.code, 0x102u);
  EXPECT_EQ(none.variable, "00000102");
}

TEST(LogSettings, InheritedVariableMakesANonOwner) {
  Read r = ReadSettings("prog file.xml", true, "00000101");
  EXPECT_EQ(r.code, 0x101u);
  EXPECT_FALSE(r.owner);
  EXPECT_EQ(r.variable, "00000101");
  // Only eight characters of the variable are read.
  EXPECT_EQ(ReadSettings("prog", false, "000001011").code, 0x101u);
}

TEST(LogSettings, NeitherSwitchNorVariableSetsTheDefault) {
  Read r = ReadSettings("prog file.xml");
  EXPECT_EQ(r.code, 0x100u);
  EXPECT_EQ(r.variable, "00000100");
  EXPECT_EQ(r.file, "");
}

TEST(LogSettings, RemovesTheSwitchInPlace) {
  EXPECT_EQ(ReadSettings("prog /Logging:1 file.xml").line, "prog file.xml");
  EXPECT_EQ(ReadSettings("prog file.xml /Logging:1").line, "prog file.xml ");
  EXPECT_EQ(ReadSettings("prog /Logging:1").line, "prog ");
  // Only the first switch is handled.
  Read twice = ReadSettings("prog -logging:101 /logging:2 x");
  EXPECT_EQ(twice.line, "prog /logging:2 x");
  EXPECT_EQ(twice.code, 0x101u);
}

}  // namespace
