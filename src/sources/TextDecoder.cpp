#include "sources/TextDecoder.h"

#include <algorithm>
#include <array>

namespace updstart {

namespace {

// Length of the UTF-8 sequence a lead byte opens, and the range its second
// byte must fall in (which rules out overlong forms and surrogates); 0 for a
// byte that cannot open one.
struct Utf8Lead {
  std::size_t length;
  unsigned char second_min;
  unsigned char second_max;
};

Utf8Lead LeadOf(unsigned char byte) {
  if (byte >= 0xC2 && byte <= 0xDF) return {2, 0x80, 0xBF};
  if (byte == 0xE0) return {3, 0xA0, 0xBF};
  if (byte == 0xED) return {3, 0x80, 0x9F};
  if (byte >= 0xE1 && byte <= 0xEF) return {3, 0x80, 0xBF};
  if (byte == 0xF0) return {4, 0x90, 0xBF};
  if (byte >= 0xF1 && byte <= 0xF3) return {4, 0x80, 0xBF};
  if (byte == 0xF4) return {4, 0x80, 0x8F};
  return {0, 0, 0};
}

// Whether `byte` can be byte `k` (from 0) of the sequence `lead` opens.
bool Fits(const Utf8Lead& lead, std::size_t k, unsigned char byte) {
  return k == 1 ? byte >= lead.second_min && byte <= lead.second_max : (byte & 0xC0) == 0x80;
}

// A plain loop into room made beforehand, which the compiler turns into wide
// vector moves; appending through iterators goes a character at a time.
void WidenAscii(std::span<const unsigned char> ascii, std::wstring& out) {
  const std::size_t start = out.size();
  out.resize(start + ascii.size());
  wchar_t* to = out.data() + start;
  for (std::size_t k = 0; k < ascii.size(); ++k) to[k] = static_cast<wchar_t>(ascii[k]);
}

}  // namespace

bool IsUtf8(ByteSource& source) {
  TextDecoder probe({}, true);
  std::array<unsigned char, kChunkBytes> chunk;
  std::wstring text;
  for (std::size_t read = 0;
       !probe.broken() && !probe.decided_by_start() && (read = source.Read(chunk)) > 0;
       text.clear())
    probe.Decode(std::span<const unsigned char>(chunk.data(), read), text);
  if (probe.decided_by_start()) return true;
  probe.Finish(text);
  return !probe.broken();
}

void AppendCodePoint(char32_t code_point, std::wstring& out) {
  if constexpr (sizeof(wchar_t) == 2) {
    if (code_point > 0xFFFF) {
      code_point -= 0x10000;
      out.push_back(static_cast<wchar_t>(0xD800 + (code_point >> 10)));
      out.push_back(static_cast<wchar_t>(0xDC00 + (code_point & 0x3FF)));
      return;
    }
  }
  out.push_back(static_cast<wchar_t>(code_point));
}

void TextDecoder::Decode(std::span<const unsigned char> bytes, std::wstring& out) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  DecodePending(out, false);
}

void TextDecoder::Finish(std::wstring& out) { DecodePending(out, true); }

void TextDecoder::DecodePending(std::wstring& out, bool at_end) {
  if (encoding_ == Encoding::Unknown) DetectEncoding(at_end);
  std::size_t used = pending_.size();
  switch (encoding_) {
    case Encoding::Unknown:
      return;
    case Encoding::Utf8:
      used = DecodeUtf8(out, at_end);
      break;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
      used = DecodeUtf16(out, at_end);
      break;
    case Encoding::Ansi:
      if (ansi_.shape.kind == AnsiCodePageShape::Kind::DoubleByte) {
        used = DecodeDoubleByte(out, at_end);
      } else {
        ConvertAnsi(0, used, out);
      }
      break;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(used));
}

void TextDecoder::DetectEncoding(bool at_end) {
  const std::vector<unsigned char>& b = pending_;
  if (b.size() < 3 && !at_end) return;
  auto starts_with = [&](std::initializer_list<unsigned char> mark) {
    return b.size() >= mark.size() && std::equal(mark.begin(), mark.end(), b.begin());
  };
  std::size_t mark_length = 0;
  if (starts_with({0xEF, 0xBB, 0xBF})) {
    encoding_ = Encoding::Utf8;
    mark_length = 3;
  } else if (starts_with({0xFF, 0xFE})) {
    encoding_ = Encoding::Utf16Le;
    mark_length = 2;
  } else if (starts_with({0xFE, 0xFF})) {
    encoding_ = Encoding::Utf16Be;
    mark_length = 2;
  } else if (b.size() >= 2 && b[0] != 0 && b[0] < 0x80 && b[1] == 0) {
    encoding_ = Encoding::Utf16Le;
  } else if (b.size() >= 2 && b[0] == 0 && b[1] != 0 && b[1] < 0x80) {
    encoding_ = Encoding::Utf16Be;
  } else {
    // UTF-8 as the ANSI code page is decoded here, not by the system: its
    // converter, handed a piece that ends inside a sequence, may let the
    // sequence swallow the bytes after it, a delimiter among them.
    const bool utf8_page = ansi_.shape.kind == AnsiCodePageShape::Kind::Utf8;
    encoding_ = utf8_ || utf8_page ? Encoding::Utf8 : Encoding::Ansi;
  }
  decided_by_start_ =
      mark_length > 0 || encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be;
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(mark_length));
}

// What is not UTF-8 becomes U+FFFD, one for each longest start of a sequence
// that goes no further, as Windows and the Unicode standard replace it: a
// byte that cannot go on a sequence is never taken into one, so ASCII
// delimiters always stay.
std::size_t TextDecoder::DecodeUtf8(std::wstring& out, bool at_end) {
  const std::span<const unsigned char> bytes(pending_);
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] < 0x80) {
      // Configuration files are mostly ASCII: take a whole run at once.
      std::size_t end = i + 1;
      while (end < bytes.size() && bytes[end] < 0x80) ++end;
      WidenAscii(bytes.subspan(i, end - i), out);
      i = end;
      continue;
    }
    const Utf8Lead lead = LeadOf(bytes[i]);
    std::size_t length = std::min<std::size_t>(lead.length, 1);
    while (length < lead.length && i + length < bytes.size() &&
           Fits(lead, length, bytes[i + length]))
      ++length;
    if (lead.length > 0 && length == lead.length) {
      char32_t code_point = bytes[i] & (0xFF >> (length + 1));
      for (std::size_t k = 1; k < length; ++k)
        code_point = (code_point << 6) | (bytes[i + k] & 0x3F);
      AppendCodePoint(code_point, out);
    } else if (i + length == bytes.size() && !at_end) {
      break;  // the next chunk may finish it
    } else {
      out.push_back(L'\xFFFD');
      broken_ = true;
    }
    i += std::max<std::size_t>(length, 1);
  }
  return i;
}

std::size_t TextDecoder::DecodeUtf16(std::wstring& out, bool at_end) const {
  const bool little = encoding_ == Encoding::Utf16Le;
  auto unit_at = [&](std::size_t i) -> char32_t {
    return little ? (pending_[i] | (pending_[i + 1] << 8)) : ((pending_[i] << 8) | pending_[i + 1]);
  };
  std::size_t i = 0;
  while (i + 1 < pending_.size()) {
    char32_t unit = unit_at(i);
    if (unit >= 0xD800 && unit < 0xDC00) {
      if (i + 3 >= pending_.size() && !at_end) break;
      if (i + 3 < pending_.size()) {
        char32_t low = unit_at(i + 2);
        if (low >= 0xDC00 && low < 0xE000) {
          AppendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00), out);
          i += 4;
          continue;
        }
      }
    }
    AppendCodePoint(unit, out);
    i += 2;
  }
  return at_end ? pending_.size() : i;  // a lone last byte is no character
}

// The file is read in the code page from its first byte, so pending_ always
// starts between two characters, and the pairs found from there are the
// code page's. It is converted up to the last point known to be between two
// characters too, so that no conversion splits one.
std::size_t TextDecoder::DecodeDoubleByte(std::wstring& out, bool at_end) const {
  const std::size_t size = pending_.size();
  std::size_t converted = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (!ansi_.shape.lead_bytes[pending_[i]]) continue;
    if (i + 1 == size) {
      if (at_end) break;
      ConvertAnsi(converted, i, out);
      return i;  // its second byte comes with the next chunk
    }
    if (pending_[i + 1] < 0x40) {
      // Our rule, not the code page's: a lead byte before a byte below 0x40,
      // the delimiters among them, stands alone. Some converters (Wine's)
      // would pair the two, and the field would lose its end; converted
      // apart, a lone lead byte cannot take the delimiter with it.
      ConvertAnsi(converted, i + 1, out);
      converted = i + 1;
    } else {
      ++i;
    }
  }
  ConvertAnsi(converted, size, out);
  return size;
}

void TextDecoder::ConvertAnsi(std::size_t from, std::size_t to, std::wstring& out) const {
  if (from < to)
    out += ansi_.convert(std::span<const unsigned char>(pending_.data() + from, to - from));
}

}  // namespace updstart
