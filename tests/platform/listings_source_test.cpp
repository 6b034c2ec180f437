// What only the decoding shows: members and streams, files shorter than a magic number, faults
// after what was decoded before them, a magic number arriving byte by byte, reads that stay
// within the buffer. Every form read whole by the program, also through pipes, huge ratios, and
// the progress it shows, are seen in the feeds and hostile-input tests.
#include "platform/listings_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "tests/support/run_program.h"

namespace {

using testing_support::TempDir;

// Lines of text that compress well but not to nothing.
std::string Text(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i)
    text += "  <programme start=\"" + std::to_string(20240301000000 + i * 37) + "\">" +
            std::to_string(i * 7919 % 1000) + "</programme>\n";
  return text;
}

// The data compressed by the command-line tool, gzip or xz.
std::string Compress(const std::string& tool, const std::string& data) {
  TempDir dir;
  testing_support::WriteFile(dir / "data", data);
  testing_support::RunResult run =
      testing_support::RunProgram({"/bin/sh", {"-c", tool + " -c < data"}, {}, {}, dir.path()});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return run.out;
}

struct Result {
  std::string text;  // what the source handed out before its end or its fault
  std::string error;
  uint64_t fileBytes = 0;  // FileBytesFor the text handed out
};

// Reads the source to its end or its first fault, in reads of `capacity` bytes that must stay
// within the buffer.
Result ReadAll(const std::string& path, size_t capacity = 100 * 1024) {
  Result result;
  std::unique_ptr<platform::ByteSource> source = platform::OpenListingsSource(path, &result.error);
  std::string buffer(capacity + 1, '\x01');
  size_t count = 0;
  while (source && source->Read(buffer.data(), capacity, &count, &result.error) && count > 0) {
    EXPECT_LE(count, capacity);
    result.text.append(buffer, 0, count);
    result.fileBytes = source->FileBytesFor(result.text.size());
  }
  EXPECT_EQ(buffer[capacity], '\x01');
  return result;
}

TEST(ListingsSource, FormsAndFaultsGiveWhatWasDecodedBeforeTheirEnd) {
  const std::string text = Text(20000), half1 = text.substr(0, text.size() / 2),
                    half2 = text.substr(text.size() / 2);
  const std::string gzip = Compress("gzip", text), xz = Compress("xz", text);
  std::string badCrc = gzip;
  badCrc[badCrc.size() - 8] ^= 1;
  const std::string first = Compress("gzip", "first\n");
  std::string badBlock = first + Compress("gzip", "second\n");
  badBlock[first.size() + 10] |= 0x06;  // a block type that does not exist
  std::string badXz = xz;
  badXz[badXz.size() / 2] ^= 0x10;
  // What comes before the end: the whole text, a part of it, or (from changed data) anything.
  enum class Before { kWhole, kPart, kAny };
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;
    std::string text;
    Before before = Before::kWhole;
  };
  const Case cases[] = {
      {"empty", "", "", ""},
      {"gzip's first byte", "\x1f", "", "\x1f"},
      {"xz's first bytes", "\xfd\x37z", "", "\xfd\x37z"},
      {"gzip members", Compress("gzip", half1) + Compress("gzip", "") + Compress("gzip", half2), "",
       text},
      {"xz streams", Compress("xz", half1) + std::string(8, '\0') + Compress("xz", half2), "",
       text},
      {"gzip cut short", gzip.substr(0, gzip.size() / 2), "gzip data is cut short", text,
       Before::kPart},
      {"gzip without its length", gzip.substr(0, gzip.size() - 4), "gzip data is cut short", text},
      {"gzip CRC", badCrc, "gzip data is corrupt (incorrect data check)", text},
      {"gzip block", badBlock, "gzip data is corrupt (invalid block type)", "first\n"},
      {"gzip then garbage", gzip + "junk", "gzip data is followed by garbage", text},
      {"xz cut short", xz.substr(0, xz.size() / 2), "xz data is cut short", text, Before::kPart},
      {"xz changed", badXz, "xz data is corrupt", text, Before::kAny},
      {"xz then garbage", xz + "this is no xz stream", "xz data is corrupt", text},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::WriteFile(dir / "file", c.bytes);
    Result result = ReadAll(dir / "file");
    EXPECT_EQ(result.error, c.error);
    EXPECT_TRUE(c.before != Before::kWhole || result.text == c.text);
    EXPECT_TRUE(c.before != Before::kPart ||
                (text.starts_with(result.text) && result.text.size() > text.size() / 4));
    EXPECT_TRUE(!c.error.empty() || result.fileBytes == c.bytes.size());
  }
}

// The first byte on its own: recognising waits for the rest of the magic number.
TEST(ListingsSource, PipesAreRecognisedWhenTheirFirstByteComesAlone) {
  std::string text = Text(20000);
  for (const std::string& bytes : {text, Compress("gzip", text), Compress("xz", text)}) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::thread writer([&] {
      EXPECT_EQ(write(fds[1], bytes.data(), 1), 1);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      EXPECT_EQ(write(fds[1], bytes.data() + 1, bytes.size() - 1),
                static_cast<ssize_t>(bytes.size() - 1));
      close(fds[1]);
    });
    Result result = ReadAll("/dev/fd/" + std::to_string(fds[0]));
    writer.join();
    close(fds[0]);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.text == text);
    EXPECT_EQ(result.fileBytes, bytes.size());
  }
}

}  // namespace
