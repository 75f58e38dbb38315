#include "sources/TextDecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace updstart {

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// A byte below 0x40 is a character of its own in every ANSI code page.
bool StandsAlone(unsigned char byte) { return byte < 0x40; }

// Length of the UTF-8 sequence a lead byte opens, and the range its second
// byte must fall in (which rules out overlong forms and surrogates); 0 for a
// byte that cannot open one.
struct Utf8Lead {
  int length;
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

// Where the run of ASCII bytes that goes on at `from` ends. Eight bytes are
// tested at once: this runs over nearly every byte of a big file.
std::size_t AsciiRunEnd(std::span<const unsigned char> bytes, std::size_t from) {
  std::size_t end = from;
  while (end + 8 <= bytes.size()) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + end, sizeof word);
    if (word & 0x8080808080808080u) break;
    end += 8;
  }
  while (end < bytes.size() && bytes[end] < 0x80) ++end;
  return end;
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
  const std::size_t size = pending_.size();
  std::size_t i = 0;
  while (i < size) {
    unsigned char byte = pending_[i];
    if (byte < 0x80) {
      // Configuration files are mostly ASCII: take a whole run at once.
      std::size_t end = AsciiRunEnd(pending_, i + 1);
      WidenAscii(std::span<const unsigned char>(pending_.data() + i, end - i), out);
      i = end;
      continue;
    }
    Utf8Lead lead = LeadOf(byte);
    bool valid = lead.length > 0;
    std::size_t available = std::min<std::size_t>(static_cast<std::size_t>(lead.length), size - i);
    if (valid && available >= 2) {
      valid = pending_[i + 1] >= lead.second_min && pending_[i + 1] <= lead.second_max;
    }
    for (std::size_t k = 2; valid && k < available; ++k) valid = IsContinuation(pending_[i + k]);
    if (valid && available < static_cast<std::size_t>(lead.length)) {
      if (!at_end) break;  // the rest arrives with the next chunk
      valid = false;
    }
    if (!valid) {
      // Not UTF-8 after all: the rest of the file is in the ANSI code page.
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i));
      encoding_ = Encoding::Ansi;
      ansi_searched_ = 0;
      DecodeAnsi(out, at_end);
      return;
    }
    char32_t code_point = byte & (0xFF >> (lead.length + 1));
    for (int k = 1; k < lead.length; ++k) code_point = (code_point << 6) | (pending_[i + k] & 0x3F);
    AppendCodePoint(code_point, out);
    i += static_cast<std::size_t>(lead.length);
  }
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(i));
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

void TextDecoder::DecodeAnsi(std::wstring& out, bool at_end) {
  if (passing_run_) {
    const auto run_end = std::find_if(pending_.begin(), pending_.end(), StandsAlone);
    passing_run_ = run_end == pending_.end();
    pending_.erase(pending_.begin(), run_end);
    ansi_searched_ = 0;
  }
  std::size_t cut = pending_.size();
  if (!at_end) {
    // Only the bytes that came since the last call can hold the cut: a long
    // run is searched once, not again with every chunk.
    const auto searched = pending_.rend() - static_cast<std::ptrdiff_t>(ansi_searched_);
    auto last = std::find_if(pending_.rbegin(), searched, StandsAlone);
    cut = last == searched ? 0 : static_cast<std::size_t>(pending_.rend() - last);
  }
  if (cut == 0 && pending_.size() > longest_ansi_run_) {
    // Decoded this far, the run is already too long to matter; the rest of
    // it, up to its next byte below 0x40, is passed over.
    out += ansi_(std::span<const unsigned char>(pending_.data(), longest_ansi_run_));
    pending_.clear();
    passing_run_ = true;
  } else if (cut > 0) {
    out += ansi_(std::span<const unsigned char>(pending_.data(), cut));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(cut));
  }
  ansi_searched_ = pending_.size();
}

}  // namespace updstart
