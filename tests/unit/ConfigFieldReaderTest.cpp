#include <gtest/gtest.h>

#include <algorithm>
#include <string>

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

// Lines of XML with quotes in every line, commas inside quoted values, and a
// wanted field now and then, as update configurations look.
std::string XmlLike(int lines) {
  std::string xml;
  for (int i = 0; i < lines; ++i) {
    xml += "  <source url=\"http://host" + std::to_string(i % 17) + ".example/pin/" +
           (i % 97 == 0 ? "x" : "y") + "\" weight=\"" + std::to_string(i % 100) +
           "\" region=\"eu,ru,as\"/>\r\n";
    if (i % 500 == 0) xml += "\"needle\r\n\",\t\"quoted, needle\"\r\n";
  }
  return xml;
}

// The fast way to the wanted fields must find exactly those the careful way
// finds, whatever the quotes, line ends and chunk borders.
TEST(ConfigFieldReaderTest, WantedFieldsAreThoseOfTheFieldByFieldScan) {
  const std::wstring_view long_literals[] = {L"needle", L"pin/x"};
  const std::wstring_view with_one_character[] = {L"needle", L"q"};
  const std::string inputs[] = {
      "a,needle,b\r\nc pin/x d\n",
      "\"quoted, needle\",x,\"pin/\"x\r\n  needle  \r",
      "x\"needle\",\"un,terminated needle",
      "url=\"a,needle\" w=\"1\"\r\n \t\"needle,z\" tail,  \"pin/x\r\n\"\r\n",
      "a,needle,b\r\n\"never closed\r\n  ",
      // Not UTF-8 far into the file: what follows is in the ANSI code page,
      // even bytes that would be UTF-8, though nothing around the first
      // byte that is not was wanted.
      std::string(70000, 'a') + ",\xFF junk\r\n" + std::string(70000, 'b') + ",\xD0\x9Fneedle\r\n",
      // Cyrillic where the first chunk of 64 KiB ends, then a quote after a
      // line end split between the second and the third.
      std::string(65528, 'c') +
          ",\xD0\x9F\xD0\x9F\xD0\x9F"
          "d" +
          std::string(65535, 'e') + "\r\n \"x,needle\",\"pin/x",
      XmlLike(2000),
      std::string(70000, 'q') + ",\"" + std::string(70000, 'q') + "\",needle",
      std::string(70000, 'a') + "needle" + std::string(70000, 'b') + ",pin/x",
      "nee\r\ndle,pi\nn/x,needle\"",
      "\xEF\xBB\xBFneedle,\xD0\x9F needle",
      std::string("\xFF\xFEn\0e\0e\0d\0l\0e\0,\0", 16),
      "",
      "\r\n\r\n,,,needle",
  };
  for (std::span<const std::wstring_view> literals :
       {std::span<const std::wstring_view>(long_literals),
        std::span<const std::wstring_view>(with_one_character)}) {
    for (const std::string& input : inputs) {
      for (std::size_t step : {std::size_t{1}, std::size_t{5}, std::size_t{65536}}) {
        Chunks all_fields(input, step);
        ConfigFieldReader careful(all_fields, Cp1251);
        V expected;
        while (auto field = careful.NextField()) {
          if (std::any_of(literals.begin(), literals.end(), [&](std::wstring_view literal) {
                return field->find(literal) != std::wstring::npos;
              })) {
            expected.push_back(*field);
          }
        }
        Chunks wanted_fields(input, step);
        ConfigFieldReader fast(wanted_fields, Cp1251);
        V found;
        while (auto field = fast.NextFieldContaining(literals)) found.push_back(*field);
        EXPECT_EQ(found, expected)
            << "input " << (&input - inputs) << ", chunks of " << step << ", literals "
            << (literals.data() == long_literals ? "long" : "short");
      }
    }
  }
}

// A code page shows a byte it cannot map as "?": a wanted "?" is found in the
// text, though no byte of the file is one.
TEST(ConfigFieldReaderTest, QuestionMarksOfTheCodePageAreFoundLikeAnyCharacter) {
  auto unmapped = [](std::span<const unsigned char> bytes) {
    std::wstring text;
    for (unsigned char b : bytes) text.push_back(b < 0x80 ? static_cast<wchar_t>(b) : L'?');
    return text;
  };
  const std::wstring_view literals[] = {L"?0x"};
  Chunks chunks("\xFF," + std::string(70000, 'x') +
                    ",\x81"
                    "0x\r\n",
                65536);
  ConfigFieldReader reader(chunks, unmapped);
  EXPECT_EQ(reader.NextFieldContaining(literals), L"?0x");
  EXPECT_EQ(reader.NextFieldContaining(literals), std::nullopt);
}

TEST(ConfigFieldReaderTest, LongFieldsComeWhole) {
  std::string line(100000, 'x');
  V fields = Fields(line + ",tail");
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].size(), line.size());
  EXPECT_EQ(fields[1], L"tail");
}

}  // namespace
}  // namespace updstart
