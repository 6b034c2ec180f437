#include "platform/input_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "tests/xml/test_support.h"

namespace {

using Status = platform::InputFile::Status;

// Reads every line whole (limit large enough) and returns them with their terminators shown.
std::vector<std::string> ReadLines(platform::InputFile& input) {
  std::vector<std::string> lines;
  platform::InputFile::Line line;
  while (input.Peek(1 << 20, &line) == Status::kData) {
    EXPECT_TRUE(line.complete);
    lines.push_back(std::string(line.text) + "|" + std::to_string(line.terminator));
    input.Consume(line.WithTerminator().size());
  }
  return lines;
}

TEST(InputFile, HandsOutLinesWithoutTerminatorsAndCountsEveryByte) {
  TempDir dir;
  std::string content = "first\nsecond\r\n\nlone\rcr\r\n  last";
  std::string path = dir.Write("lines.txt", content);
  platform::InputFile input;
  std::string error;
  ASSERT_TRUE(input.Open(path, &error));
  EXPECT_EQ(ReadLines(input),
            (std::vector<std::string>{"first|1", "second|2", "|1", "lone\rcr|2", "  last|0"}));
  EXPECT_EQ(input.BytesConsumed(), content.size());
}

TEST(InputFile, LongLineIsViewedUpToTheLimitAndContinuesWhereConsumed) {
  TempDir dir;
  std::string longLine(700 * 1024, 'x');  // longer than one block of the reader
  longLine[300 * 1024] = 'y';
  std::string path = dir.Write("long.txt", longLine + "\nnext\n");
  platform::InputFile input;
  std::string error;
  ASSERT_TRUE(input.Open(path, &error));

  platform::InputFile::Line line;
  ASSERT_EQ(input.Peek(1000, &line), Status::kData);
  EXPECT_FALSE(line.complete);
  EXPECT_EQ(line.text.size(), 1000u);
  ASSERT_EQ(input.Peek(500 * 1024, &line), Status::kData);
  EXPECT_FALSE(line.complete);
  EXPECT_EQ(line.text.size(), 500u * 1024);
  input.Consume(300 * 1024);
  EXPECT_EQ(input.BytesConsumed(), 300u * 1024);
  ASSERT_EQ(input.Peek(1000, &line), Status::kData);
  EXPECT_EQ(line.text[0], 'y');

  // A larger limit grows the view to the end of the line.
  ASSERT_EQ(input.Peek(1 << 20, &line), Status::kData);
  EXPECT_TRUE(line.complete);
  EXPECT_EQ(line.text.size(), 400u * 1024);
  input.Consume(line.WithTerminator().size());
  EXPECT_EQ(ReadLines(input), std::vector<std::string>{"next|1"});
}

TEST(InputFile, ReadsPipesOnceThroughTheirPaths) {
  // /dev/fd/N is what a shell's process substitution hands over.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string content;
  for (int i = 0; i < 20000; ++i)
    content += "line " + std::to_string(i) + "\n";
  std::thread writer([&] {
    for (size_t at = 0; at < content.size();) {
      ssize_t n = write(fds[1], content.data() + at, std::min<size_t>(777, content.size() - at));
      if (n <= 0)
        break;
      at += n;
    }
    close(fds[1]);
  });
  platform::InputFile input;
  std::string error;
  ASSERT_TRUE(input.Open("/dev/fd/" + std::to_string(fds[0]), &error)) << error;
  std::vector<std::string> lines = ReadLines(input);
  writer.join();
  close(fds[0]);
  ASSERT_EQ(lines.size(), 20000u);
  EXPECT_EQ(lines.back(), "line 19999|1");
  EXPECT_EQ(input.BytesConsumed(), content.size());
}

// Hands out its text, then fails as a disk does.
class FailingSource : public platform::ByteSource {
 public:
  explicit FailingSource(std::string text) : m_strText(std::move(text)) {}
  bool Read(char* buffer, size_t capacity, size_t* count, std::string* error) override {
    if (m_strText.empty()) {
      *error = "Input/output error";
      return false;
    }
    *count = m_strText.copy(buffer, capacity);
    m_strText.erase(0, *count);
    return true;
  }
  uint64_t FileBytesFor(uint64_t delivered) const override { return delivered; }

 private:
  std::string m_strText;
};

TEST(InputFile, ReadErrorAfterSomeLinesIsReported) {
  platform::InputFile input(std::make_unique<FailingSource>("one\ntwo\nthr"));
  platform::InputFile::Line line;
  ASSERT_EQ(input.Peek(100, &line), Status::kData);
  EXPECT_EQ(line.text, "one");
  input.Consume(line.WithTerminator().size());
  ASSERT_EQ(input.Peek(100, &line), Status::kData);
  EXPECT_EQ(line.text, "two");
  input.Consume(line.WithTerminator().size());
  EXPECT_EQ(input.Peek(100, &line), Status::kError);
  EXPECT_EQ(input.Error(), "Input/output error");
  EXPECT_EQ(input.BytesConsumed(), 8u);
}

TEST(InputFile, MissingFileAndDirectoryAreErrors) {
  TempDir dir;
  platform::InputFile input;
  std::string error;
  EXPECT_FALSE(input.Open(dir.Path("missing.xml"), &error));
  EXPECT_EQ(error, "No such file or directory");

  // Opening reads the first bytes, to recognise a compressed file.
  EXPECT_FALSE(input.Open(dir.Path(""), &error));
  EXPECT_EQ(error, "Is a directory");
}

}  // namespace
