#include "sources/ConfigFieldReader.h"

#include <array>
#include <string_view>

namespace updstart {

namespace {

constexpr const wchar_t* kFieldEnds = L",\r\n";

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

// The encoding is decided in a pass of its own, and the file is then read
// from its start again: to hold the file meanwhile would take memory that
// grows with it. A file that cannot go back to its start gives no fields.
ConfigFieldReader::ConfigFieldReader(ByteSource& source, AnsiText ansi)
    : source_(source),
      decoder_(std::move(ansi), IsUtf8(source)),
      decoder_finished_(!source.Rewind()) {}

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

bool ConfigFieldReader::TakeUntil(const wchar_t* stops, FieldSink* sink) {
  while (!AtEnd()) {
    std::wstring_view rest = std::wstring_view(text_).substr(position_);
    std::size_t stop = rest.find_first_of(stops);
    std::wstring_view piece = rest.substr(0, stop);
    if (sink && !piece.empty()) {
      sink->Append(piece);
      std::size_t blanks = 0;
      while (blanks < piece.size() && IsBlank(piece[piece.size() - 1 - blanks])) ++blanks;
      trailing_blanks_ = blanks == piece.size() ? trailing_blanks_ + blanks : blanks;
    }
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

bool ConfigFieldReader::NextField(FieldSink& sink) {
  SkipBlanks();
  if (AtEnd()) return false;
  trailing_blanks_ = 0;
  if (text_[position_] == L'"') {
    ++position_;
    if (TakeUntil(L"\"", &sink)) ++position_;
    TakeUntil(kFieldEnds, nullptr);
    sink.End(0);
  } else {
    TakeUntil(kFieldEnds, &sink);
    sink.End(trailing_blanks_);
  }
  SkipDelimiter();
  return true;
}

}  // namespace updstart
