#include "sources/ConfigFieldReader.h"

#include <array>
#include <string_view>

namespace updstart {

namespace {

constexpr std::size_t kChunkBytes = std::size_t{64} * 1024;
constexpr const wchar_t* kFieldEnds = L",\r\n";

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
    : source_(source), decoder_(std::move(ansi)) {}

bool ConfigFieldReader::Fill() {
  text_.erase(0, position_);
  position_ = 0;
  std::array<unsigned char, kChunkBytes> chunk;
  while (text_.empty() && !source_done_) {
    std::size_t read = source_.Read(chunk);
    if (read == 0) {
      source_done_ = true;
      decoder_.Finish(text_);
    } else {
      decoder_.Decode(std::span<const unsigned char>(chunk.data(), read), text_);
    }
  }
  return !text_.empty();
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

}  // namespace updstart
