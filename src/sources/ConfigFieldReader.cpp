#include "sources/ConfigFieldReader.h"

#include <array>
#include <string_view>

namespace updstart {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{16} * 1024;
constexpr const wchar_t* kFieldEnds = L",\r\n";

// In a code page of at most two bytes a character, a run of more bytes than
// this holds more characters than a field that is kept.
constexpr std::size_t kLongestAnsiRun = 2 * ConfigFieldReader::kLongestField + 2;

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

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

}  // namespace

ConfigFieldReader::ConfigFieldReader(ByteSource& source, TextDecoder::AnsiDecoder ansi)
    : source_(source), decoder_(std::move(ansi), kLongestAnsiRun) {}

bool ConfigFieldReader::Fill() {
  text_.clear();
  position_ = 0;
  std::array<unsigned char, kChunkBytes> chunk;
  while (text_.empty() && !decoder_finished_) {
    std::size_t read = source_.Read(chunk);
    if (read == 0) {
      decoder_finished_ = true;
      decoder_.Finish(text_);
    } else {
      decoder_.Decode(std::span<const unsigned char>(chunk.data(), read), text_);
    }
  }
  return !text_.empty();
}

bool ConfigFieldReader::TakeUntil(const wchar_t* stops, bool keep) {
  while (!AtEnd()) {
    std::wstring_view rest = std::wstring_view(text_).substr(position_);
    std::size_t stop = FindStop(rest, stops);
    if (keep) Keep(rest.substr(0, stop));
    if (stop != std::wstring_view::npos) {
      position_ += stop;
      return true;
    }
    position_ = text_.size();
  }
  return false;
}

void ConfigFieldReader::Keep(std::wstring_view part) {
  if (field_too_long_) return;
  if (part.size() > kLongestField - field_.size()) {
    field_too_long_ = true;
    field_.clear();
    return;
  }
  field_.append(part);
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
  for (;;) {
    SkipBlanks();
    if (AtEnd()) return std::nullopt;
    field_.clear();
    field_too_long_ = false;
    if (text_[position_] == L'"') {
      ++position_;
      if (TakeUntil(L"\"", true)) ++position_;
      TakeUntil(kFieldEnds, false);
    } else {
      TakeUntil(kFieldEnds, true);
      while (!field_.empty() && IsBlank(field_.back())) field_.pop_back();
    }
    SkipDelimiter();
    if (!field_too_long_) return field_;
  }
}

}  // namespace updstart
