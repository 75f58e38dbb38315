#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "ChunkedBytes.h"
#include "HeapCounter.h"
#include "platform/Platform.h"
#include "sources/ConfigFieldReader.h"
#include "sources/DefaultSource.h"
#include "sources/TextDecoder.h"

namespace updstart {
namespace {

// Code page 1251's Cyrillic letters, enough to tell the fallback apart.
std::wstring Cp1251(std::span<const unsigned char> bytes) {
  std::wstring text;
  for (unsigned char b : bytes) {
    text.push_back(b >= 0xC0 ? static_cast<wchar_t>(0x410 + b - 0xC0) : static_cast<wchar_t>(b));
  }
  return text;
}

// A double-byte code page in the manner of 936: 0x81-0xFE open a character
// and take the next byte with them whatever it is, as Wine's conversion does,
// delimiters included; alone at the end they are U+30FB.
std::wstring Cp936(std::span<const unsigned char> bytes) {
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] < 0x81 || bytes[i] == 0xFF) {
      text.push_back(static_cast<wchar_t>(bytes[i]));
    } else if (i + 1 < bytes.size()) {
      text.push_back(static_cast<wchar_t>(0x20000 + (bytes[i] << 8) + bytes[i + 1]));
      ++i;
    } else {
      text.push_back(L'\x30FB');
    }
  }
  return text;
}

AnsiText Ansi1251() { return {Cp1251, {}}; }
AnsiText Ansi936() {
  AnsiText ansi{Cp936, {AnsiCodePageShape::Kind::DoubleByte, {}}};
  for (unsigned b = 0x81; b <= 0xFE; ++b) ansi.shape.lead_bytes.set(b);
  return ansi;
}
// 65001 as the ANSI code page is the program's own to decode: the system's
// converter must never see a piece of it.
AnsiText Ansi65001() {
  return {[](std::span<const unsigned char>) {
            ADD_FAILURE() << "code page 65001 went through the converter";
            return std::wstring();
          },
          {AnsiCodePageShape::Kind::Utf8, {}}};
}

// Gathers whole fields; the files here are small.
class Collect : public FieldSink {
 public:
  std::vector<std::wstring> fields;
  void Append(std::wstring_view piece) override { current_ += piece; }
  void End(std::size_t trailing_blanks) override {
    current_.resize(current_.size() - trailing_blanks);
    fields.push_back(std::move(current_));
    current_.clear();
  }

 private:
  std::wstring current_;
};

std::vector<std::wstring> Fields(const std::string& bytes, const AnsiText& ansi = Ansi1251()) {
  std::vector<std::wstring> first;
  // The same fields whatever the chunking.
  for (std::size_t step : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{65536}}) {
    testing::ChunkedBytes source(bytes, {step});
    ConfigFieldReader reader(source, ansi);
    Collect fields;
    while (reader.NextField(fields)) {
    }
    if (step == 1) {
      first = fields.fields;
    } else {
      EXPECT_EQ(fields.fields, first) << "chunks of " << step;
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
  // Not UTF-8 throughout: the whole file in the code page, also what came
  // before the first byte that breaks it.
  EXPECT_EQ(Fields("ab,\xCF\xF0\xE8"), (V{L"ab", L"При"}));
  EXPECT_EQ(Fields("\xD0\x9F,\xCF"), (V{L"Р\x9F", L"П"}));
  // The mark decides, whatever follows.
  EXPECT_EQ(Fields("\xEF\xBB\xBF\xCF,x"), (V{L"\xFFFD", L"x"}));
  // ... and the pass that looks for UTF-8 reads no further than the mark.
  testing::ChunkedBytes marked("\xEF\xBB\xBF\xCF,x", {1});
  IsUtf8(marked);
  EXPECT_EQ(marked.offset(), 3u);
  // A truncated sequence at the very end.
  EXPECT_EQ(Fields("a,\xD0"), (V{L"a", L"Р"}));
}

TEST(ConfigFieldReaderTest, NoCodePageSplitsACharacterOrTakesADelimiter) {
  auto pair = [](unsigned lead, unsigned trail) {
    return static_cast<wchar_t>(0x20000 + (lead << 8) + trail);
  };
  // Valid UTF-8 up to C4, but not UTF-8 as a whole: the four bytes are two
  // characters of the code page and the comma stays a comma.
  EXPECT_EQ(Fields("k=\xE4\xAF\xB5\xC4,b", Ansi936()),
            (V{std::wstring(L"k=") + pair(0xE4, 0xAF) + pair(0xB5, 0xC4), L"b"}));
  // So also after thousands of bytes of valid UTF-8, which must not be read
  // as UTF-8 up to some point and in the code page from inside a character.
  std::string utf8_run = "k=";
  std::wstring paired = L"k=";
  for (int i = 0; i < 3000; ++i) utf8_run += "\xE4\xB8\xAD\xE4\xB8\xAD";
  for (std::size_t i = 2; i < utf8_run.size(); i += 2) {
    paired +=
        pair(static_cast<unsigned char>(utf8_run[i]), static_cast<unsigned char>(utf8_run[i + 1]));
  }
  EXPECT_EQ(Fields(utf8_run + "\x80,b", Ansi936()), (V{paired + L"\x80", L"b"}));
  // A lead byte right before a delimiter stands alone; long runs of
  // double-byte characters are cut between characters.
  EXPECT_EQ(Fields("\xFF\xC4,b\xC4\r\nc", Ansi936()), (V{L"\xFF\x30FB", L"b\x30FB", L"c"}));
  const std::string run = "\xB5\xC4\x81\x40";
  std::wstring decoded;
  std::string bytes = "\xFF";
  for (int i = 0; i < 5000; ++i) {
    bytes += run;
    decoded += std::wstring{pair(0xB5, 0xC4), pair(0x81, 0x40)};
  }
  EXPECT_EQ(Fields(bytes + ",x", Ansi936()), (V{L"\xFF" + decoded, L"x"}));
  // 65001 as the code page: one U+FFFD for each longest start of a sequence
  // that goes no further, and never a delimiter taken into one.
  std::string chinese;
  for (int i = 0; i < 20000; ++i) chinese += "\xE4\xB8\xAD";
  EXPECT_EQ(Fields("\xFF," + chinese + "\xF0\x9F,x\xE0\x80\xED\xA0\x80\xC2", Ansi65001()),
            (V{L"\xFFFD", std::wstring(20000, L'\x4E2D') + L"\xFFFD",
               L"x\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD"}));
  const std::wstring test_field = L"ftp://test-ftp.nordavin.example/test/ap\xFFFD";
  EXPECT_EQ(Fields("ftp://test-ftp.nordavin.example/test/ap\xE0,\xC2", Ansi65001()),
            (V{test_field, L"\xFFFD"}));
  // The same with the comma the last byte of the first 16 KiB chunk.
  const std::string head = "-ftp.nordavin.example/test/" + std::string(16354, 'x');
  EXPECT_EQ(
      Fields(head + "\xE0,\xC2update01.nordavin.example", Ansi65001()),
      (V{std::wstring(head.begin(), head.end()) + L"\xFFFD", L"\xFFFDupdate01.nordavin.example"}));
}

TEST(ConfigFieldReaderTest, BinaryDataNeverStopsTheScan) {
  std::string bytes("\0\0\xFF,\x80\0x", 7);
  bytes += "\nhttp://update01.nordavin.example\n";
  V fields = Fields(bytes);
  ASSERT_FALSE(fields.empty());
  EXPECT_EQ(fields.back(), L"http://update01.nordavin.example");
}

TEST(ConfigFieldReaderTest, LongFieldsComeWholeAndBlanksAfterThemGo) {
  const std::string line(40000, 'x');
  EXPECT_EQ(Fields(line + std::string(5000, ' ') + "\t,\"" + line + " \" tail,tail"),
            (V{std::wstring(line.size(), L'x'), std::wstring(line.size(), L'x') + L" ", L"tail"}));
}

// Text, a field of some MiB made up as it is read, text.
class HugeField : public ByteSource {
 public:
  HugeField(std::string before, const std::string& filler, std::size_t length, std::string after)
      : parts_{std::move(before), std::string(), std::move(after)}, length_(length) {
    // Whole repetitions of the filler, to be copied a block at a time.
    while (parts_[1].size() < 65536) parts_[1] += filler;
    parts_[1].resize(parts_[1].size() - parts_[1].size() % filler.size());
  }
  std::size_t Read(std::span<unsigned char> buffer) override {
    std::size_t count = 0;
    while (count < buffer.size() && part_ < 3) {
      const std::string& text = parts_[part_];
      const std::size_t size = part_ == 1 ? length_ : text.size();
      const std::size_t at = part_ == 1 ? offset_ % text.size() : offset_;
      const std::size_t take = std::min({size - offset_, buffer.size() - count, text.size() - at});
      std::copy_n(text.begin() + static_cast<std::ptrdiff_t>(at), take,
                  buffer.begin() + static_cast<std::ptrdiff_t>(count));
      count += take;
      offset_ += take;
      if (offset_ == size) {
        ++part_;
        offset_ = 0;
      }
    }
    return count;
  }
  bool Rewind() override {
    part_ = 0;
    offset_ = 0;
    return true;
  }

 private:
  std::string parts_[3];
  std::size_t length_;
  int part_ = 0;
  std::size_t offset_ = 0;
};

TEST(ConfigFieldReaderTest, AHugeFieldIsReadInBoundedMemory) {
  const std::string ending = "test-ftp.nordavin.example/test/ap\" weight=\"1\"/>\r\n";
  struct Case {
    const char* what;
    std::string before;
    std::string filler;
    AnsiText ansi;
    wchar_t filler_text;
  };
  // A byte that is not UTF-8 first, for the ANSI code pages.
  for (const Case& c :
       {Case{"utf-8", "<s url=\"", "\xE4\xB8\xAD", Ansi1251(), L'\x4E2D'},
        Case{"1251", "\xFF<s url=\"", "x", Ansi1251(), L'x'},
        Case{"936", "\xFF<s url=\"", "\xB5\xC4", Ansi936(), static_cast<wchar_t>(0x2B5C4)},
        Case{"65001", "\xFF<s url=\"", "\xE4\xB8\xAD", Ansi65001(), L'\x4E2D'}}) {
    SCOPED_TRACE(c.what);
    // The peak must not grow with the field: the same at 1.5 and at 6 MiB
    // (whole characters of every filler).
    const std::size_t sizes[2] = {std::size_t{3} << 19, std::size_t{3} << 21};
    std::size_t peaks[2] = {};
    for (int k : {0, 1}) {
      HugeField source(c.before, c.filler, sizes[k], ending);
      testing::ResetHeapPeak();
      const std::size_t before = testing::HeapInUse();
      SourceReport report = ReadSourceReport(source, c.ansi, L"en-US");
      peaks[k] = testing::HeapPeak() - before;
      EXPECT_TRUE(report.test_server);
      // Compared whole, not printed: the text runs to 32,768 characters.
      EXPECT_TRUE(report.channel == std::wstring(SourceFieldScan::kLongestChannel, c.filler_text));
    }
    EXPECT_LE(peaks[1], peaks[0]);
    EXPECT_LT(peaks[1], std::size_t{1} << 20);
  }
}

}  // namespace
}  // namespace updstart
