// The update configuration read field by field from arbitrary bytes, with a
// single-byte, a double-byte and the UTF-8 ANSI code page. The fields must not
// depend on how the file's bytes arrive: all at once, one at a time, or in
// uneven pieces whose sizes come from the input itself. No comma or line end
// may be lost to a character in any code page. Every field then goes through
// the default-source scan, whole and in pieces.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ChunkedBytes.h"
#include "platform/Platform.h"
#include "shared/BuildHosts.h"
#include "sources/ConfigFieldReader.h"
#include "sources/DefaultSource.h"

namespace {

// A double-byte code page in the manner of the East Asian ones: 0x81-0xFE
// open a two-byte character and take the next byte with them whatever it is,
// a comma or line end included, as Wine's conversion does. If the reader ever
// cut a file inside a pair, the pieces would decode differently from the
// whole; if it ever handed over a lead byte with a delimiter after it, a field
// would be lost.
std::wstring DoubleByteCodePage(std::span<const unsigned char> bytes) {
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned char byte = bytes[i];
    if (byte < 0x81 || byte == 0xFF) {
      text.push_back(static_cast<wchar_t>(byte));
    } else if (i + 1 < bytes.size()) {
      text.push_back(static_cast<wchar_t>(0x20000 + (byte << 8) + bytes[i + 1]));
      ++i;
    } else {
      text.push_back(L'?');
    }
  }
  return text;
}

std::wstring SingleByteCodePage(std::span<const unsigned char> bytes) {
  return std::wstring(bytes.begin(), bytes.end());
}

updstart::AnsiText CodePage(updstart::AnsiCodePageShape::Kind kind) {
  updstart::AnsiText ansi{kind == updstart::AnsiCodePageShape::Kind::DoubleByte
                              ? DoubleByteCodePage
                              : SingleByteCodePage,
                          {kind, {}}};
  if (kind == updstart::AnsiCodePageShape::Kind::Utf8) {
    // The reader decodes this code page itself; the system's converter never sees it.
    ansi.convert = [](std::span<const unsigned char>) -> std::wstring { std::abort(); };
  }
  for (unsigned byte = 0x81; byte <= 0xFE; ++byte) ansi.shape.lead_bytes.set(byte);
  return ansi;
}

// Without quotes, zero bytes or a UTF-16 mark, every comma and line end of
// the bytes ends a field, whatever the encoding: none is part of a character.
std::optional<std::size_t> FieldsByDelimiters(std::span<const std::uint8_t> data) {
  if (data.size() >= 2 &&
      ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF)))
    return std::nullopt;
  if (std::find(data.begin(), data.end(), '"') != data.end() ||
      std::find(data.begin(), data.end(), 0) != data.end())
    return std::nullopt;
  if (data.size() >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
    data = data.subspan(3);
  std::size_t fields = 0;
  bool content = false;  // since the last delimiter
  for (std::size_t i = 0; i < data.size(); ++i) {
    const std::uint8_t byte = data[i];
    if (byte == ',' || byte == '\r' || byte == '\n') {
      ++fields;
      content = false;
      if (byte == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
    } else if (byte != ' ' && byte != '\t') {
      content = true;
    }
  }
  return fields + (content ? 1 : 0);
}

class Collect : public updstart::FieldSink {
 public:
  std::vector<std::wstring> fields;
  void Append(std::wstring_view piece) override { current_ += piece; }
  void End(std::size_t trailing_blanks) override {
    if (trailing_blanks > current_.size()) std::abort();
    current_.resize(current_.size() - trailing_blanks);
    fields.push_back(std::move(current_));
    current_.clear();
  }

 private:
  std::wstring current_;
};

std::vector<std::wstring> ReadFields(std::span<const std::uint8_t> data,
                                     std::vector<std::size_t> sizes,
                                     const updstart::AnsiText& ansi) {
  // A second pass meets other piece sizes than the first.
  updstart::testing::ChunkedBytes source(std::string(data.begin(), data.end()), std::move(sizes));
  updstart::ConfigFieldReader reader(source, ansi);
  Collect fields;
  while (reader.NextField(fields)) {
  }
  return fields.fields;
}

// Uneven piece sizes, mostly small so that many borders fall inside
// characters, line ends and quotes, but now and then large.
std::vector<std::size_t> UnevenSizes(std::span<const std::uint8_t> data) {
  std::uint32_t state = 2166136261u;
  for (std::uint8_t byte : data) state = (state ^ byte) * 16777619u;
  std::vector<std::size_t> sizes;
  for (int i = 0; i < 16; ++i) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    sizes.push_back(state % 8 == 0 ? 1 + state % 1024 : 1 + state % 7);
  }
  return sizes;
}

void CheckField(const std::wstring& field, const std::vector<std::size_t>& sizes) {
  // A quoted field loses its quotes, and an unquoted one cannot start with a
  // quote, so no field does; only a quoted field can hold a delimiter, and
  // then it holds no quote.
  if (!field.empty() && field.front() == L'"') std::abort();
  if (field.find_first_of(L",\r\n") != std::wstring::npos && field.find(L'"') != std::wstring::npos)
    std::abort();

  // The classification is a pattern match; a plain substring search must agree.
  const std::wstring regular(updstart::hosts::kRegularMirrors[1]);
  std::wstring_view server = updstart::hosts::kTestServer;
  const std::wstring test_server = std::wstring(server.substr(server.find(L'-'))) + L"/test/";
  updstart::DefaultSourceKind expected = updstart::DefaultSourceKind::Other;
  if (field.find(regular) != std::wstring::npos) {
    expected = updstart::DefaultSourceKind::Regular;
  } else if (field.find(test_server) != std::wstring::npos) {
    expected = updstart::DefaultSourceKind::TestServer;
  }
  updstart::SourceFieldScan whole;
  whole.Append(field);
  whole.End(0);
  if (whole.kind() != expected) std::abort();
  // The channel text is always a piece of the field.
  if (field.find(whole.channel()) == std::wstring::npos) std::abort();

  // Streamed in uneven pieces, the field says the same.
  updstart::SourceFieldScan pieces;
  std::wstring_view rest = field;
  for (std::size_t i = 0; !rest.empty(); ++i) {
    const std::size_t size = std::min(rest.size(), sizes[i % sizes.size()]);
    pieces.Append(rest.substr(0, size));
    rest.remove_prefix(size);
  }
  pieces.End(0);
  if (pieces.kind() != whole.kind() || pieces.channel() != whole.channel()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  const std::vector<std::size_t> sizes = UnevenSizes(bytes);
  const std::optional<std::size_t> field_count = FieldsByDelimiters(bytes);
  using Kind = updstart::AnsiCodePageShape::Kind;
  for (Kind kind : {Kind::SingleByte, Kind::DoubleByte, Kind::Utf8}) {
    const updstart::AnsiText ansi = CodePage(kind);
    const std::vector<std::wstring> whole = ReadFields(bytes, {bytes.size() + 1}, ansi);
    if (ReadFields(bytes, {1}, ansi) != whole) std::abort();
    if (ReadFields(bytes, sizes, ansi) != whole) std::abort();
    if (field_count && whole.size() != *field_count) std::abort();
    for (const std::wstring& field : whole) CheckField(field, sizes);
  }
  return 0;
}
