#include "sources/ConfigFieldReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace updstart {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;
constexpr const wchar_t* kFieldEnds = L",\r\n";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsFieldEnd(wchar_t c) { return c == L',' || c == L'\r' || c == L'\n'; }

// Where the next of `stops` stands in `text`; a plain loop, since the
// library's find_first_of looks each character up in the set one call at a
// time, and this runs over every character of the file.
std::size_t FindStop(std::wstring_view text, const wchar_t* stops) {
  const wchar_t first = stops[0];
  const wchar_t second = stops[1];
  const wchar_t third = second ? stops[2] : L'\0';
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == first || (second && (c == second || (third && c == third)))) return i;
  }
  return std::wstring_view::npos;
}

// The first quote at or after `from` that opens a field: nothing but blanks
// between it and a delimiter or `field_start`. Every quote before `from` is
// known to sit inside a field.
std::size_t FindOpeningQuote(std::wstring_view text, std::size_t field_start, std::size_t from) {
  for (std::size_t quote = text.find(L'"', from); quote != std::wstring_view::npos;
       quote = text.find(L'"', quote + 1)) {
    std::size_t before = quote;
    while (before > field_start && IsBlank(text[before - 1])) --before;
    if (before == field_start || IsFieldEnd(text[before - 1])) return quote;
  }
  return std::wstring_view::npos;
}

// Finds one literal with Horspool's skips, taken from the pair of characters
// under the literal's last two places (pairs are rarer than characters, so
// the skips are longer), which pass over most of the text without looking at
// it. The pair is hashed to a byte; pairs that share a hash take the
// smallest skip, which is safe. Literals of one character take wmemchr.
class LiteralSearch {
 public:
  explicit LiteralSearch(std::wstring_view literal) : literal_(literal) {
    const std::size_t m = literal.size();
    if (m < 2) return;
    skips_.fill(m - 1);
    for (std::size_t i = 1; i + 1 < m; ++i) skips_[Hash(literal[i - 1], literal[i])] = m - 1 - i;
    // After a full comparison at the last pair: the next place that pair,
    // or one hashed alike, stands in the literal.
    const std::uint8_t last = Hash(literal[m - 2], literal[m - 1]);
    after_match_ = skips_[last];
    skips_[last] = 0;
  }

  // The first occurrence at or after `from`, or npos.
  std::size_t Find(std::wstring_view text, std::size_t from) const {
    const std::size_t m = literal_.size();
    if (m < 2) return text.find(literal_, from);
    for (std::size_t at = from; at + m <= text.size();) {
      const std::size_t skip = skips_[Hash(text[at + m - 2], text[at + m - 1])];
      if (skip != 0) {
        at += skip;
        continue;
      }
      if (text.compare(at, m, literal_) == 0) return at;
      at += after_match_;
    }
    return std::wstring_view::npos;
  }

 private:
  static std::uint8_t Hash(wchar_t first, wchar_t second) {
    return static_cast<std::uint8_t>((static_cast<unsigned>(first) << 3) ^
                                     static_cast<unsigned>(second));
  }

  std::wstring_view literal_;
  std::array<std::size_t, 256> skips_{};
  std::size_t after_match_ = 1;
};

}  // namespace

ConfigFieldReader::ConfigFieldReader(ByteSource& source, TextDecoder::AnsiDecoder ansi)
    : source_(source), decoder_(std::move(ansi)) {}

bool ConfigFieldReader::Fill() { return position_ < text_.size() || ReadMore(); }

bool ConfigFieldReader::ReadMore() {
  text_.erase(0, position_);
  dropped_ += position_;
  position_ = 0;
  const std::size_t had = text_.size();
  std::array<unsigned char, kChunkBytes> chunk;
  while (text_.size() == had && !source_done_) {
    std::size_t read = source_.Read(chunk);
    if (read == 0) {
      source_done_ = true;
      decoder_.Finish(text_);
    } else {
      decoder_.Decode(std::span<const unsigned char>(chunk.data(), read), text_);
    }
  }
  return text_.size() > had;
}

bool ConfigFieldReader::TakeUntil(const wchar_t* stops, std::wstring* field) {
  while (!AtEnd()) {
    std::wstring_view rest = std::wstring_view(text_).substr(position_);
    std::size_t stop = FindStop(rest, stops);
    if (field) field->append(rest.substr(0, stop));
    if (stop != std::wstring_view::npos) {
      position_ += stop;
      return true;
    }
    position_ = text_.size();
  }
  return false;
}

void ConfigFieldReader::SkipBlanks() {
  while (!AtEnd() && IsBlank(text_[position_])) ++position_;
}

void ConfigFieldReader::SkipDelimiter() {
  if (AtEnd()) return;
  wchar_t delimiter = text_[position_++];
  if (delimiter == L'\r' && !AtEnd() && text_[position_] == L'\n') ++position_;
}

std::optional<std::wstring> ConfigFieldReader::NextField() {
  SkipBlanks();
  if (AtEnd()) return std::nullopt;
  std::wstring field;
  if (text_[position_] == L'"') {
    ++position_;
    if (TakeUntil(L"\"", &field)) ++position_;
    TakeUntil(kFieldEnds, nullptr);
  } else {
    TakeUntil(kFieldEnds, &field);
    while (!field.empty() && IsBlank(field.back())) field.pop_back();
  }
  SkipDelimiter();
  return field;
}

// Only a field that holds a literal can be wanted, and a field that does not
// open with a quote is simply the text between two delimiters (quotes inside
// it are plain characters). So the buffered text is searched as a whole for
// the literals and for quotes that open a field; fields are taken one by one,
// the careful way, only where one of those turns up.
std::optional<std::wstring> ConfigFieldReader::NextFieldContaining(
    std::span<const std::wstring_view> literals) {
  auto wanted = [&](const std::wstring& field) {
    for (std::wstring_view literal : literals) {
      if (field.find(literal) != std::wstring::npos) return true;
    }
    return false;
  };
  std::size_t longest = 0;
  for (std::wstring_view literal : literals) {
    if (literal.empty() || literal.find_first_of(L",\r\n\"") != std::wstring_view::npos) {
      // Such a literal could span fields; take them one by one instead.
      while (std::optional<std::wstring> field = NextField()) {
        if (wanted(*field)) return field;
      }
      return std::nullopt;
    }
    longest = std::max(longest, literal.size());
  }
  std::vector<LiteralSearch> searches(literals.begin(), literals.end());

  // Positions in text_ below which the buffer is known to hold no opening
  // quote, no start of a literal, no delimiter (past position_). Each part
  // of the file is searched once, however many fields are taken carefully.
  std::size_t quote_from = position_;
  std::size_t literal_from = position_;
  std::size_t delimiter_from = position_;
  std::size_t literal_hit = std::wstring_view::npos;  // first literal at or after position_
  std::size_t dropped = dropped_;
  for (;;) {
    // Reading more drops what has been read from the front of text_, which
    // moves every position kept here.
    const std::size_t shift = dropped_ - dropped;
    dropped = dropped_;
    auto moved = [shift](std::size_t at) { return at > shift ? at - shift : 0; };
    quote_from = moved(quote_from);
    literal_from = moved(literal_from);
    delimiter_from = moved(delimiter_from);
    if (literal_hit != std::wstring_view::npos) {
      literal_hit = literal_hit >= shift ? literal_hit - shift : std::wstring_view::npos;
    }

    const std::wstring_view text(text_);
    if (literal_hit == std::wstring_view::npos || literal_hit < position_) {
      literal_from = std::max(literal_from, position_);
      literal_hit = std::wstring_view::npos;
      for (const LiteralSearch& search : searches)
        literal_hit = std::min(literal_hit, search.Find(text, literal_from));
      if (literal_hit == std::wstring_view::npos) {
        literal_from = std::max(literal_from, text.size() - std::min(text.size(), longest - 1));
      }
    }
    quote_from = std::max(quote_from, position_);
    const std::size_t quote = FindOpeningQuote(text, position_, quote_from);
    quote_from = quote == std::wstring_view::npos ? text.size() : quote;
    const std::size_t hit = std::min(quote, literal_hit);
    if (hit != std::wstring_view::npos) {
      std::size_t delimiter = text.substr(position_, hit - position_).find_last_of(kFieldEnds);
      if (delimiter != std::wstring_view::npos) position_ += delimiter + 1;
      std::optional<std::wstring> field = NextField();
      if (!field || wanted(*field)) return field;
      delimiter_from = std::max(delimiter_from, position_);
      continue;
    }
    // Whole fields up to the last delimiter hold nothing wanted; the field
    // still open may go on in the next chunk.
    delimiter_from = std::max(delimiter_from, position_);
    std::size_t delimiter = text.substr(delimiter_from).find_last_of(kFieldEnds);
    if (delimiter != std::wstring_view::npos) position_ = delimiter_from + delimiter + 1;
    delimiter_from = text.size();
    if (!ReadMore()) {
      position_ = text_.size();
      return std::nullopt;
    }
  }
}

}  // namespace updstart
