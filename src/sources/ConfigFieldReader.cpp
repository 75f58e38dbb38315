#include "sources/ConfigFieldReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "sources/FieldSearch.h"

namespace updstart {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;
constexpr const wchar_t* kFieldEnds = L",\r\n";

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

// Bytes ahead of the decoder that a field may start in; the skim below
// gives them to the decoder a piece at a time, so a wanted field found early
// in them does not decode all the rest at once.
constexpr std::size_t kRawPieceBytes = std::size_t{4} * 1024;

bool IsAscii(wchar_t c) { return static_cast<std::uint32_t>(c) < 0x80; }

// The literals as the bytes they must be in any ASCII-compatible file, or
// nothing when that does not hold: a character outside ASCII has other bytes
// in each encoding, and the ANSI code page shows a byte it cannot map as
// "?", which is then in the text but not among the bytes.
std::vector<std::string> AsciiBytes(const std::vector<std::wstring>& literals) {
  std::vector<std::string> bytes;
  for (const std::wstring& literal : literals) {
    if (!std::all_of(literal.begin(), literal.end(), IsAscii) ||
        literal.find(L'?') != std::wstring::npos) {
      return {};
    }
    bytes.emplace_back(literal.begin(), literal.end());
  }
  return bytes;
}

}  // namespace

// The searches for one set of literals, made once: a reader is asked for the
// next wanted field again and again with the same literals.
struct ConfigFieldReader::WantedSearch {
  explicit WantedSearch(std::span<const std::wstring_view> wanted)
      : literals(wanted.begin(), wanted.end()),
        byte_literals(AsciiBytes(literals)),
        text(literals),
        bytes(byte_literals) {
    for (const std::wstring& literal : literals) longest = std::max(longest, literal.size());
  }
  WantedSearch(const WantedSearch&) = delete;  // the searches look into the literals
  WantedSearch& operator=(const WantedSearch&) = delete;

  bool IsFor(std::span<const std::wstring_view> wanted) const {
    return std::equal(wanted.begin(), wanted.end(), literals.begin(), literals.end());
  }

  const std::vector<std::wstring> literals;
  const std::vector<std::string> byte_literals;  // empty when the skim cannot find them
  const LiteralsSearch<wchar_t> text;
  const LiteralsSearch<char> bytes;
  std::size_t longest = 0;
};

ConfigFieldReader::ConfigFieldReader(ByteSource& source, TextDecoder::AnsiDecoder ansi)
    : source_(source), decoder_(std::move(ansi)) {}

ConfigFieldReader::~ConfigFieldReader() = default;

bool ConfigFieldReader::Fill() { return position_ < text_.size() || ReadMore(); }

bool ConfigFieldReader::ReadMore() {
  text_.erase(0, position_);
  dropped_ += position_;
  position_ = 0;
  const std::size_t had = text_.size();
  std::array<unsigned char, kChunkBytes> chunk;
  while (text_.size() == had) {
    if (!raw_.Empty()) {
      const std::span<const unsigned char> piece =
          raw_.Bytes().first(std::min(raw_.Bytes().size(), kRawPieceBytes));
      decoder_.Decode(piece, text_);
      raw_.Take(piece.size());
    } else if (!source_done_) {
      std::size_t read = source_.Read(chunk);
      if (read == 0) {
        source_done_ = true;
      } else {
        decoder_.Decode(std::span<const unsigned char>(chunk.data(), read), text_);
      }
    } else if (!decoder_finished_) {
      decoder_finished_ = true;
      decoder_.Finish(text_);
    } else {
      break;
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
  while (!AtEnd() && IsFieldBlank(text_[position_])) ++position_;
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
    while (!field.empty() && IsFieldBlank(field.back())) field.pop_back();
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
  for (std::wstring_view literal : literals) {
    if (literal.empty() || literal.find_first_of(L",\r\n\"") != std::wstring_view::npos) {
      // Such a literal could span fields; take them one by one instead.
      while (std::optional<std::wstring> field = NextField()) {
        if (wanted(*field)) return field;
      }
      return std::nullopt;
    }
  }
  if (!wanted_search_ || !wanted_search_->IsFor(literals)) {
    wanted_search_ = std::make_unique<WantedSearch>(literals);
  }
  const WantedSearch& search = *wanted_search_;
  const std::size_t longest = search.longest;

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
      literal_hit = search.text.Find(text, literal_from);
      if (literal_hit == std::wstring_view::npos) {
        literal_from = std::max(literal_from, text.size() - std::min(text.size(), longest - 1));
      }
    }
    quote_from = std::max(quote_from, position_);
    const std::size_t quote = FindOpeningQuote<wchar_t>(text, position_, quote_from);
    quote_from = quote == std::wstring_view::npos ? text.size() : quote;
    const std::size_t hit = std::min(quote, literal_hit);
    if (hit != std::wstring_view::npos) {
      std::size_t delimiter = FindLastFieldEnd(text.substr(position_, hit - position_));
      if (delimiter != std::wstring_view::npos) position_ += delimiter + 1;
      std::optional<std::wstring> field = NextField();
      if (!field || wanted(*field)) return field;
      delimiter_from = std::max(delimiter_from, position_);
      continue;
    }
    // Whole fields up to the last delimiter hold nothing wanted; the field
    // still open may go on in the next chunk.
    delimiter_from = std::max(delimiter_from, position_);
    std::size_t delimiter = FindLastFieldEnd(text.substr(delimiter_from));
    if (delimiter != std::wstring_view::npos) position_ = delimiter_from + delimiter + 1;
    delimiter_from = text.size();
    switch (search.byte_literals.empty() ? Skim::NotPossible : SkimBytes(search)) {
      case Skim::Candidate: {
        std::optional<std::wstring> field = NextField();
        if (!field || wanted(*field)) return field;
        quote_from = literal_from = delimiter_from = position_;
        literal_hit = std::wstring_view::npos;
        dropped = dropped_;
        continue;
      }
      case Skim::End:
        return std::nullopt;
      case Skim::NotPossible:
        break;
    }
    if (!ReadMore()) {
      position_ = text_.size();
      return std::nullopt;
    }
  }
}

// The text path above decodes every byte and searches characters; over the
// bytes of an ASCII-compatible file the same search can run before decoding,
// and the fields that hold nothing wanted need no decoding at all (only, in
// UTF-8, the check that they are UTF-8). What is left of the text goes back
// to bytes first, which is exact because it is ASCII and the decoder has
// nothing of its own pending after it but bytes, which it gives back too.
ConfigFieldReader::Skim ConfigFieldReader::SkimBytes(const WantedSearch& search) {
  const std::wstring_view rest = std::wstring_view(text_).substr(position_);
  // At the end of the file the text path has all there is left.
  if (source_done_ || !decoder_.PassesAsciiThrough() ||
      !std::all_of(rest.begin(), rest.end(), IsAscii)) {
    return Skim::NotPossible;
  }
  std::vector<unsigned char> back(rest.begin(), rest.end());
  decoder_.TakePending(back);
  raw_.PutBack(back);
  dropped_ += text_.size();
  text_.clear();
  position_ = 0;

  // raw_ starts a field. Offsets in raw_ below which it holds no opening
  // quote, no start of a literal, no delimiter.
  std::size_t quote_from = 0;
  std::size_t literal_from = 0;
  std::size_t delimiter_from = 0;
  for (;;) {
    const std::span<const unsigned char> bytes = raw_.Bytes();
    const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const std::size_t hit = std::min(FindOpeningQuote<char>(view, 0, quote_from),
                                     search.bytes.Find(view, literal_from));
    if (hit != std::string_view::npos) {
      const std::size_t delimiter = FindLastFieldEnd(view.substr(0, hit));
      PassBytes(delimiter == std::string_view::npos ? 0 : delimiter + 1);
      return Skim::Candidate;
    }
    // Whole fields up to the last delimiter hold nothing wanted.
    quote_from = view.size();
    literal_from = view.size() - std::min(view.size(), search.longest - 1);
    const std::size_t delimiter = FindLastFieldEnd(view.substr(delimiter_from));
    if (delimiter != std::string_view::npos) {
      const std::size_t passed = delimiter_from + delimiter + 1;
      PassBytes(passed);
      quote_from -= passed;
      literal_from = literal_from > passed ? literal_from - passed : 0;
    }
    delimiter_from = raw_.Bytes().size();

    if (raw_.ReadFrom(source_, kChunkBytes) == 0) {
      // What is left is the last field, and nothing in it is wanted.
      source_done_ = decoder_finished_ = true;
      raw_.Clear();
      return Skim::End;
    }
  }
}

void ConfigFieldReader::PassBytes(std::size_t count) {
  decoder_.Pass(raw_.Bytes().first(count));
  raw_.Take(count);
}

}  // namespace updstart
