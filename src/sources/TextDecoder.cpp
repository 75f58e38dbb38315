#include "sources/TextDecoder.h"

#include <algorithm>

namespace updstart {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes of multi-byte UTF-8 characters are decoded once an ASCII byte follows
// them, or when there are more of them than this. Should the file turn out not
// to be UTF-8 among them, they are decoded again in the ANSI code page from
// just after that ASCII byte: a character ends there in every code page (no
// code page opens a character with an ASCII byte), so none is split. Text
// with thousands of bytes of valid UTF-8 in a row is UTF-8.
constexpr std::size_t kLongestHeldRun = 4096;

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

constexpr std::size_t kIncomplete = static_cast<std::size_t>(-1);

// The length of the UTF-8 sequence at `at`: 0 when the bytes there are not
// one, kIncomplete when they could still become one with more bytes.
std::size_t SequenceAt(std::span<const unsigned char> bytes, std::size_t at) {
  const Utf8Lead lead = LeadOf(bytes[at]);
  if (lead.length == 0) return 0;
  const std::size_t available = std::min(lead.length, bytes.size() - at);
  if (available >= 2 && (bytes[at + 1] < lead.second_min || bytes[at + 1] > lead.second_max)) {
    return 0;
  }
  for (std::size_t k = 2; k < available; ++k) {
    if (!IsContinuation(bytes[at + k])) return 0;
  }
  return available < lead.length ? kIncomplete : lead.length;
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
  switch (encoding_) {
    case Encoding::Unknown:
      break;
    case Encoding::Utf8:
      DecodeUtf8(out, at_end);
      break;
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
      DecodeUtf16(out, at_end);
      break;
    case Encoding::Ansi:
      DecodeAnsi(out, at_end);
      break;
  }
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
    encoding_ = Encoding::Utf8;
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(mark_length));
}

void TextDecoder::DecodeUtf8(std::wstring& out, bool at_end) {
  const std::span<const unsigned char> bytes(pending_);
  std::size_t held = 0;                // where the multi-byte characters held back begin
  std::size_t held_text = out.size();  // and where their text begins
  std::size_t i = 0;
  while (i < bytes.size()) {
    if (bytes[i] < 0x80) {
      // Configuration files are mostly ASCII: take a whole run at once.
      std::size_t end = i + 1;
      while (end < bytes.size() && bytes[end] < 0x80) ++end;
      WidenAscii(bytes.subspan(i, end - i), out);
      held = i = end;
      held_text = out.size();
      continue;
    }
    const std::size_t length = SequenceAt(bytes, i);
    if (length == kIncomplete && !at_end) break;  // the rest arrives with the next chunk
    if (length == 0 || length == kIncomplete) {
      // Not UTF-8 after all: the rest of the file is in the ANSI code page.
      out.resize(held_text);
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(held));
      encoding_ = Encoding::Ansi;
      DecodeAnsi(out, at_end);
      return;
    }
    char32_t code_point = bytes[i] & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) code_point = (code_point << 6) | (bytes[i + k] & 0x3F);
    AppendCodePoint(code_point, out);
    i += length;
    if (i - held > kLongestHeldRun) {
      held = i;
      held_text = out.size();
    }
  }
  if (at_end) {
    held = i;
  } else {
    out.resize(held_text);  // decoded again with the next chunk
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(held));
}

void TextDecoder::DecodeUtf16(std::wstring& out, bool at_end) {
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
  if (at_end) i = pending_.size();  // a lone last byte is no character
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i));
}

// pending_ always starts between two characters. It is converted up to the
// last point known to be one too, so that no conversion splits a character.
void TextDecoder::DecodeAnsi(std::wstring& out, bool at_end) {
  const std::size_t size = pending_.size();
  std::size_t converted = 0;
  std::size_t cut = size;
  switch (ansi_.shape.kind) {
    case AnsiCodePageShape::Kind::SingleByte:
      break;
    case AnsiCodePageShape::Kind::Utf8:
      // A character cannot be longer than four bytes, and none goes on past
      // a byte that opens another: only one of the last three bytes that
      // could open a sequence can start a character the next chunk finishes.
      for (std::size_t back = 1; !at_end && back <= 3 && back <= size; ++back) {
        if (pending_[size - back] >= 0xC0) {
          cut = size - back;
          break;
        }
      }
      break;
    case AnsiCodePageShape::Kind::DoubleByte:
      for (std::size_t i = 0; i < size; ++i) {
        if (!ansi_.shape.lead_bytes[pending_[i]]) continue;
        if (i + 1 == size) {
          if (!at_end) cut = i;  // its second byte comes with the next chunk
          break;
        }
        if (pending_[i + 1] < 0x40) {
          // No code page pairs a lead byte with a byte below 0x40, the
          // delimiters among them; converted apart, a lone lead byte cannot
          // take one with it.
          ConvertAnsi(converted, i + 1, out);
          converted = i + 1;
        } else {
          ++i;
        }
      }
      break;
  }
  ConvertAnsi(converted, cut, out);
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(cut));
}

void TextDecoder::ConvertAnsi(std::size_t from, std::size_t to, std::wstring& out) {
  if (from < to)
    out += ansi_.convert(std::span<const unsigned char>(pending_.data() + from, to - from));
}

}  // namespace updstart
