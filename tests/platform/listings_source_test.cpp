#include "platform/listings_source.h"

#include <gtest/gtest.h>
#include <lzma.h>
#include <unistd.h>
#include <zlib.h>

#include <thread>

#include "tests/support/run_program.h"

namespace {

// Lines of text that compress well but not to nothing.
std::string Text(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i)
    text += "  <programme start=\"" + std::to_string(20240301000000 + i * 37) + "\">" +
            std::to_string(i * 7919 % 1000) + "</programme>\n";
  return text;
}

std::string Gzip(const std::string& data) {
  z_stream stream = {};
  EXPECT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string out(deflateBound(&stream, data.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

std::string Xz(const std::string& data) {
  std::string out(lzma_stream_buffer_bound(data.size()), '\0');
  size_t size = 0;
  EXPECT_EQ(lzma_easy_buffer_encode(1, LZMA_CHECK_CRC64, nullptr,
                                    reinterpret_cast<const uint8_t*>(data.data()), data.size(),
                                    reinterpret_cast<uint8_t*>(out.data()), &size, out.size()),
            LZMA_OK);
  out.resize(size);
  return out;
}

class ListingsSourceTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& bytes) {
    testing_support::WriteFile(folder / "file", bytes);
    return folder / "file";
  }

  struct Result {
    std::string text;  // what the source handed out before its end or its fault
    std::string error;
    std::vector<uint64_t> fileBytes;  // FileBytesFor the text handed out, after each read
  };

  // Reads the source to its end or its first fault, in reads of `capacity` bytes.
  static Result ReadAll(const std::string& path, size_t capacity = 100 * 1024) {
    Result result;
    std::unique_ptr<platform::ByteSource> source =
        platform::OpenListingsSource(path, &result.error);
    if (!source)
      return result;
    std::string buffer(capacity, '\0');
    size_t count = 0;
    while (source->Read(buffer.data(), capacity, &count, &result.error) && count > 0) {
      result.text.append(buffer, 0, count);
      result.fileBytes.push_back(source->FileBytesFor(result.text.size()));
    }
    return result;
  }

  testing_support::TempDir folder;
};

TEST_F(ListingsSourceTest, EveryFormatGivesTheTextAndCountsTheFileToItsEnd) {
  std::string text = Text(20000);
  std::string half1 = text.substr(0, text.size() / 2), half2 = text.substr(text.size() / 2);
  const std::vector<std::pair<const char*, std::string>> files = {
      {"plain", text},
      {"gzip", Gzip(text)},
      {"gzip members", Gzip(half1) + Gzip("") + Gzip(half2)},
      {"xz", Xz(text)},
      {"xz streams", Xz(half1) + std::string(8, '\0') + Xz(half2)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    Result result = ReadAll(Write(bytes));
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.text == text);
    ASSERT_FALSE(result.fileBytes.empty());
    EXPECT_TRUE(std::is_sorted(result.fileBytes.begin(), result.fileBytes.end()));
    EXPECT_EQ(result.fileBytes.back(), bytes.size());
    // The count follows the reading instead of jumping to the end.
    EXPECT_LT(result.fileBytes[result.fileBytes.size() / 2], bytes.size() * 3 / 4);
  }
}

TEST_F(ListingsSourceTest, FilesShorterThanAMagicNumberAreReadAsTheyAre) {
  for (const std::string& bytes : {std::string(), std::string("\x1f"),
                                   std::string("\xfd"
                                               "7z")}) {
    Result result = ReadAll(Write(bytes));
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.text, bytes);
  }
}

TEST_F(ListingsSourceTest, FaultsComeAfterEverythingDecodedBeforeThem) {
  std::string text = Text(20000);
  std::string gzip = Gzip(text), xz = Xz(text);
  std::string badCrc = gzip;
  badCrc[badCrc.size() - 8] ^= 1;
  std::string badBlock = Gzip("first\n") + Gzip("second\n");
  badBlock[Gzip("first\n").size() + 10] |= 0x06;  // a block type that does not exist
  std::string badXz = xz;
  badXz[badXz.size() / 2] ^= 0x10;
  // What comes before the fault: the whole text, a part of it, or (from changed data) anything.
  enum class Before { kWhole, kPart, kAny };
  struct Case {
    const char* name;
    std::string bytes;
    std::string error;
    Before before;
  };
  const std::vector<Case> cases = {
      {"gzip cut short", gzip.substr(0, gzip.size() / 2), "gzip data is cut short", Before::kPart},
      {"gzip without its length", gzip.substr(0, gzip.size() - 4), "gzip data is cut short",
       Before::kWhole},
      {"gzip CRC", badCrc, "gzip data is corrupt (incorrect data check)", Before::kWhole},
      {"gzip block", badBlock, "gzip data is corrupt (invalid block type)", Before::kAny},
      {"gzip then garbage", gzip + "junk", "gzip data is followed by garbage", Before::kWhole},
      {"gzip then one byte", gzip + std::string(1, '\0'), "gzip data is followed by garbage",
       Before::kWhole},
      {"xz cut short", xz.substr(0, xz.size() / 2), "xz data is cut short", Before::kPart},
      {"xz changed", badXz, "xz data is corrupt", Before::kAny},
      {"xz then garbage", xz + "this is no xz stream", "xz data is corrupt", Before::kWhole},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Result result = ReadAll(Write(c.bytes));
    EXPECT_EQ(result.error, c.error);
    if (c.before == Before::kWhole) {
      EXPECT_TRUE(result.text == text);
    } else if (c.before == Before::kPart) {
      EXPECT_TRUE(text.starts_with(result.text) && result.text.size() > text.size() / 4);
    }
  }
  EXPECT_EQ(ReadAll(Write(badBlock)).text, "first\n");
}

TEST_F(ListingsSourceTest, PipesAreRecognisedAndReadOnce) {
  std::string text = Text(20000);
  for (const std::string& bytes : {text, Gzip(text), Xz(text)}) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // The first byte on its own: recognising waits for the rest of the magic number.
    std::thread writer([&] {
      for (size_t at = 0; at < bytes.size();) {
        size_t chunk = at == 0 ? 1 : std::min<size_t>(777, bytes.size() - at);
        ssize_t n = write(fds[1], bytes.data() + at, chunk);
        if (n <= 0)
          break;
        at += static_cast<size_t>(n);
      }
      close(fds[1]);
    });
    Result result = ReadAll("/dev/fd/" + std::to_string(fds[0]));
    writer.join();
    close(fds[0]);
    EXPECT_EQ(result.error, "");
    EXPECT_TRUE(result.text == text);
    EXPECT_EQ(result.fileBytes.back(), bytes.size());
  }
}

TEST_F(ListingsSourceTest, ReadsStayWithinTheBufferWhateverTheRatio) {
  std::string zeros(64 << 20, '\0');
  std::string gzip = Gzip(zeros);
  ASSERT_LT(gzip.size(), 100u * 1024);  // one input buffer holds it all
  std::string error;
  std::unique_ptr<platform::ByteSource> source = platform::OpenListingsSource(Write(gzip), &error);
  ASSERT_TRUE(source);
  std::string buffer(4096, '\x01');
  size_t count = 0, total = 0;
  while (source->Read(buffer.data(), 4000, &count, &error) && count > 0) {
    ASSERT_LE(count, 4000u);
    total += count;
  }
  EXPECT_EQ(error, "");
  EXPECT_EQ(total, zeros.size());
  EXPECT_EQ(buffer[4000], '\x01');
}

}  // namespace
