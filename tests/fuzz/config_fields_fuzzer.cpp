// The update configuration read field by field from arbitrary bytes. The
// fields must not depend on how the file's bytes arrive: all at once, one at a
// time, or in uneven pieces whose sizes come from the input itself. Every
// field then goes through the default-source scan, whole and in pieces.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "shared/BuildHosts.h"
#include "sources/ConfigFieldReader.h"
#include "sources/DefaultSource.h"

namespace {

// Hands out the input in pieces of the next size in `sizes`, round and round.
class Pieces : public updstart::ByteSource {
 public:
  Pieces(std::span<const std::uint8_t> data, std::vector<std::size_t> sizes)
      : data_(data), sizes_(std::move(sizes)) {}
  std::size_t Read(std::span<unsigned char> buffer) override {
    std::size_t want = sizes_[next_++ % sizes_.size()];
    std::size_t count = std::min({buffer.size(), data_.size() - offset_, want});
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), count, buffer.begin());
    offset_ += count;
    return count;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::vector<std::size_t> sizes_;
  std::size_t next_ = 0;
  std::size_t offset_ = 0;
};

// A double-byte code page in the manner of the East Asian ones: 0x81-0xFE
// open a two-byte character whose second byte is 0x40-0xFE, never a line end
// or a comma. If the reader ever cut a file inside such a pair, the pieces
// would decode differently from the whole and the comparison below would fail.
std::wstring DoubleByteCodePage(std::span<const unsigned char> bytes) {
  std::wstring text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    unsigned char byte = bytes[i];
    if (byte < 0x81 || byte == 0xFF) {
      text.push_back(static_cast<wchar_t>(byte));
    } else if (i + 1 < bytes.size() && bytes[i + 1] >= 0x40 && bytes[i + 1] != 0x7F &&
               bytes[i + 1] != 0xFF) {
      text.push_back(static_cast<wchar_t>(0x20000 + (byte << 8) + bytes[i + 1]));
      ++i;
    } else {
      text.push_back(L'?');
    }
  }
  return text;
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
                                     std::vector<std::size_t> sizes) {
  Pieces source(data, std::move(sizes));
  updstart::AnsiText ansi{DoubleByteCodePage, {updstart::AnsiCodePageShape::Kind::DoubleByte, {}}};
  for (unsigned byte = 0x81; byte <= 0xFE; ++byte) ansi.shape.lead_bytes.set(byte);
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
  const std::vector<std::wstring> whole = ReadFields(bytes, {bytes.size() + 1});
  if (ReadFields(bytes, {1}) != whole) std::abort();
  if (ReadFields(bytes, UnevenSizes(bytes)) != whole) std::abort();
  const std::vector<std::size_t> sizes = UnevenSizes(bytes);
  for (const std::wstring& field : whole) CheckField(field, sizes);
  return 0;
}
