#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "HeapCounter.h"
#include "platform/Platform.h"
#include "sources/ConfigFieldReader.h"

namespace updstart {
namespace {

// Bytes handed out `step` at a time, so that every chunk border is met.
class Chunks : public ByteSource {
 public:
  Chunks(std::string data, std::size_t step) : data_(std::move(data)), step_(step) {}
  std::size_t Read(std::span<unsigned char> buffer) override {
    std::size_t count = std::min({buffer.size(), data_.size() - offset_, step_});
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), count, buffer.begin());
    offset_ += count;
    return count;
  }

 private:
  std::string data_;
  std::size_t step_;
  std::size_t offset_ = 0;
};

// Code page 1251's Cyrillic letters, enough to tell the fallback apart.
std::wstring Cp1251(std::span<const unsigned char> bytes) {
  std::wstring text;
  for (unsigned char b : bytes) {
    text.push_back(b >= 0xC0 ? static_cast<wchar_t>(0x410 + b - 0xC0) : static_cast<wchar_t>(b));
  }
  return text;
}

std::vector<std::wstring> Fields(const std::string& bytes) {
  std::vector<std::wstring> first;
  // The same fields whatever the chunking.
  for (std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{65536}}) {
    Chunks source(bytes, step);
    ConfigFieldReader reader(source, Cp1251);
    std::vector<std::wstring> fields;
    while (auto field = reader.NextField()) fields.push_back(*field);
    if (step == 1) {
      first = fields;
    } else {
      EXPECT_EQ(fields, first) << "chunks of " << step;
    }
  }
  return first;
}

using V = std::vector<std::wstring>;

TEST(ConfigFieldReaderTest, FieldsEndAtCommasAndLineEnds) {
  EXPECT_EQ(Fields("a,b\r\nc\nd\re"), (V{L"a", L"b", L"c", L"d", L"e"}));
  EXPECT_EQ(Fields("a,b\n"), (V{L"a", L"b"}));
  EXPECT_EQ(Fields("  a  ,\tb\t"), (V{L"a", L"b"}));
  EXPECT_EQ(Fields("a\n\nb"), (V{L"a", L"", L"b"}));
  EXPECT_EQ(Fields(""), V{});
  EXPECT_EQ(Fields("a,,b"), (V{L"a", L"", L"b"}));
}

TEST(ConfigFieldReaderTest, QuotedFieldsKeepCommasAndLoseTheirQuotes) {
  EXPECT_EQ(Fields("\"a,b\",c"), (V{L"a,b", L"c"}));
  EXPECT_EQ(Fields("\"a\" tail,c"), (V{L"a", L"c"}));
  EXPECT_EQ(Fields("x=\"a\",c"), (V{L"x=\"a\"", L"c"}));
  EXPECT_EQ(Fields("\"line\r\nbreak\"\r\nz"), (V{L"line\r\nbreak", L"z"}));
  EXPECT_EQ(Fields("a,\"unterminated, to the end\n"), (V{L"a", L"unterminated, to the end\n"}));
  EXPECT_EQ(Fields("\"\""), V{L""});
}

TEST(ConfigFieldReaderTest, EncodingsAreRecognised) {
  // UTF-8 with and without its mark.
  EXPECT_EQ(Fields("\xEF\xBB\xBF\xD0\x9F\xD1\x80,x"), (V{L"Пр", L"x"}));
  EXPECT_EQ(Fields("\xD0\x9F\xD1\x80,x"), (V{L"Пр", L"x"}));
  EXPECT_EQ(Fields("a\xF0\x9F\x98\x80"), V{L"a\U0001F600"});
  // UTF-16 in both byte orders, with and without a mark.
  EXPECT_EQ(Fields(std::string("\xFF\xFE"
                               "a\0,\0\x1F\x04",
                               8)),
            (V{L"a", L"П"}));
  EXPECT_EQ(Fields(std::string("\xFE\xFF\0a\0,\x04\x1F", 8)), (V{L"a", L"П"}));
  EXPECT_EQ(Fields(std::string("a\0,\0b\0", 6)), (V{L"a", L"b"}));
  EXPECT_EQ(Fields(std::string("\0a\0,\0b", 6)), (V{L"a", L"b"}));
  // Not UTF-8: the code page, from the first byte that breaks it.
  EXPECT_EQ(Fields("ab,\xCF\xF0\xE8"), (V{L"ab", L"При"}));
  EXPECT_EQ(Fields("\xD0\x9F,\xCF"), (V{L"П", L"П"}));
  // A truncated sequence at the very end.
  EXPECT_EQ(Fields("a,\xD0"), (V{L"a", L"Р"}));
}

TEST(ConfigFieldReaderTest, BinaryDataNeverStopsTheScan) {
  std::string bytes("\0\0\xFF,\x80\0x", 7);
  bytes += "\nhttp://update01.nordavin.example\n";
  V fields = Fields(bytes);
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ(fields.back(), L"http://update01.nordavin.example");
}

TEST(ConfigFieldReaderTest, LongFieldsComeWhole) {
  std::string line(ConfigFieldReader::kLongestField, 'x');
  V fields = Fields(line + ",tail");
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].size(), line.size());
  EXPECT_EQ(fields[1], L"tail");
  // One character more, and the field is passed over.
  EXPECT_EQ(Fields(line + "x,\"" + line + "x\" tail,tail"), V{L"tail"});
}

// Text, a field of some hundreds of MiB made up as it is read, text.
class HugeField : public ByteSource {
 public:
  HugeField(std::string before, char filler, std::size_t length, std::string after)
      : before_(std::move(before)), filler_(filler), length_(length), after_(std::move(after)) {}
  std::size_t Read(std::span<unsigned char> buffer) override {
    std::size_t count = 0;
    while (count < buffer.size() && part_ < 3) {
      const std::size_t size = part_ == 0 ? before_.size() : part_ == 1 ? length_ : after_.size();
      const std::size_t take = std::min(size - offset_, buffer.size() - count);
      auto to = buffer.begin() + static_cast<std::ptrdiff_t>(count);
      if (part_ == 1) {
        std::fill_n(to, take, static_cast<unsigned char>(filler_));
      } else {
        const std::string& text = part_ == 0 ? before_ : after_;
        std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(offset_), take, to);
      }
      count += take;
      offset_ += take;
      if (offset_ == size) {
        ++part_;
        offset_ = 0;
      }
    }
    return count;
  }

 private:
  std::string before_;
  char filler_;
  std::size_t length_;
  std::string after_;
  int part_ = 0;
  std::size_t offset_ = 0;
};

TEST(ConfigFieldReaderTest, AHugeFieldIsPassedOverInBoundedMemory) {
  constexpr std::size_t kHuge = std::size_t{300} << 20;
  struct Case {
    const char* what;
    std::string before;
  };
  // UTF-8, and the ANSI code page, where a run without a byte below 0x40
  // cannot be cut safely anywhere.
  for (const Case& c : {Case{"utf-8", "a,"}, Case{"ansi", "\xFF,"}}) {
    SCOPED_TRACE(c.what);
    HugeField source(c.before, 'x', kHuge, ",http://update01.nordavin.example\r\n");
    testing::ResetHeapPeak();
    const std::size_t before = testing::HeapInUse();
    ConfigFieldReader reader(source, Cp1251);
    ASSERT_TRUE(reader.NextField().has_value());
    EXPECT_EQ(reader.NextField(), L"http://update01.nordavin.example");
    EXPECT_EQ(reader.NextField(), std::nullopt);
    EXPECT_LT(testing::HeapPeak() - before, std::size_t{1} << 20);
  }
}

}  // namespace
}  // namespace updstart
