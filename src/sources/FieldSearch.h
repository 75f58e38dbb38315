// Searches over a buffer of configuration text, as decoded characters or as
// the raw bytes of an ASCII-compatible encoding (where a comma, a line end, a
// blank and a quote are always those single bytes), that find the places a
// wanted field may start without reading the fields one by one.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>
#include <vector>

namespace updstart {

template <typename Char>
bool IsFieldBlank(Char c) {
  return c == Char{' '} || c == Char{'\t'};
}

template <typename Char>
bool IsFieldEnd(Char c) {
  return c == Char{','} || c == Char{'\r'} || c == Char{'\n'};
}

// The last delimiter in text, or npos.
template <typename Char>
std::size_t FindLastFieldEnd(std::basic_string_view<Char> text) {
  for (std::size_t i = text.size(); i > 0; --i) {
    if (IsFieldEnd(text[i - 1])) return i - 1;
  }
  return std::basic_string_view<Char>::npos;
}

// The next quote at or after `at`, or npos. Quotes come close together in
// XML, where a call of the library's find costs more than the search itself,
// so bytes are looked at eight at a time in a machine word instead.
template <typename Char>
std::size_t FindQuote(std::basic_string_view<Char> text, std::size_t at) {
  if constexpr (sizeof(Char) == 1 && std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    for (; at + 8 <= text.size(); at += 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + at, sizeof word);
      const std::uint64_t quotes = word ^ (kOnes * '"');  // a zero byte where a quote is
      // The lowest byte flagged here is the first zero byte; flags above it
      // may be false, and are not looked at.
      const std::uint64_t zeros = (quotes - kOnes) & ~quotes & kHighs;
      if (zeros != 0) return at + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
    }
  }
  return text.find(Char{'"'}, at);
}

// The first quote at or after `from` that opens a field: nothing but blanks
// between it and a delimiter or `field_start`. Every quote before `from` is
// known to sit inside a field.
template <typename Char>
std::size_t FindOpeningQuote(std::basic_string_view<Char> text, std::size_t field_start,
                             std::size_t from) {
  for (std::size_t quote = FindQuote(text, from); quote != text.npos;
       quote = FindQuote(text, quote + 1)) {
    std::size_t before = quote;
    while (before > field_start && IsFieldBlank(text[before - 1])) --before;
    if (before == field_start || IsFieldEnd(text[before - 1])) return quote;
  }
  return text.npos;
}

// Finds the first place any of a few literals starts, in one pass: Horspool's
// skips, in the manner of Wu and Manber for several literals, over a window
// as long as the shortest literal, taken from the pair of characters under
// the window's last two places (pairs are rarer than characters, so the
// skips are longer); most of the text is passed over without a look. The
// table is indexed by the low bytes of a pair; pairs that share them take
// the smallest skip, which is safe.
template <typename Char>
class LiteralsSearch {
 public:
  using View = std::basic_string_view<Char>;

  template <typename Literals>
  explicit LiteralsSearch(const Literals& literals) {
    for (const auto& literal : literals) literals_.emplace_back(literal);
    window_ = literals_.empty() ? 0 : literals_.front().size();
    for (View literal : literals_) window_ = std::min(window_, literal.size());
    if (window_ == 1) {
      starts_.assign(256, false);
      for (View literal : literals_) starts_[LowByte(literal.front())] = true;
      return;
    }
    if (window_ < 2) return;
    skips_.assign(std::size_t{1} << 16, Skip(window_ - 1));
    for (View literal : literals_) {
      for (std::size_t i = 1; i + 1 < window_; ++i) {
        std::uint8_t& skip = skips_[Index(literal[i - 1], literal[i])];
        skip = std::min(skip, Skip(window_ - 1 - i));
      }
    }
    for (View literal : literals_) skips_[Index(literal[window_ - 2], literal[window_ - 1])] = 0;
  }

  // The first place at or after `from` where one of the literals starts, or npos.
  std::size_t Find(View text, std::size_t from) const {
    if (window_ == 0) return literals_.empty() || from > text.size() ? text.npos : from;
    if (window_ == 1) {
      // No skips with a literal of one character: every place is looked at,
      // but only up to the first that starts a literal.
      for (std::size_t at = from; at < text.size(); ++at) {
        if (!starts_[LowByte(text[at])]) continue;
        for (View literal : literals_) {
          if (text.compare(at, literal.size(), literal) == 0) return at;
        }
      }
      return text.npos;
    }
    const std::uint8_t* skips = skips_.data();
    for (std::size_t at = from; at + window_ <= text.size();) {
      const std::size_t skip = skips[Index(text[at + window_ - 2], text[at + window_ - 1])];
      if (skip != 0) {
        at += skip;
        continue;
      }
      for (View literal : literals_) {
        if (text.compare(at, literal.size(), literal) == 0) return at;
      }
      ++at;
    }
    return text.npos;
  }

 private:
  using Unsigned = std::make_unsigned_t<Char>;

  static std::size_t LowByte(Char c) {
    return static_cast<std::size_t>(static_cast<Unsigned>(c)) & 0xFF;
  }
  static std::size_t Index(Char first, Char second) {
    return (LowByte(first) << 8) | LowByte(second);
  }
  // Skips longer than a byte holds are cut, which is safe.
  static std::uint8_t Skip(std::size_t length) {
    return static_cast<std::uint8_t>(std::min<std::size_t>(length, 255));
  }

  std::vector<View> literals_;
  std::size_t window_ = 0;
  std::vector<std::uint8_t> skips_;
  std::vector<bool> starts_;  // by low byte: may a literal start with it
};

}  // namespace updstart
