// Reads a text file as comma- and line-delimited fields, streaming: memory
// stays bounded by the longest field, whatever the file's size.
#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "sources/ByteQueue.h"
#include "sources/TextDecoder.h"

namespace updstart {

// A field ends at the next comma or line end (CR, LF or CRLF). A field that
// begins with a double quote runs to the next double quote, line ends and
// commas included, and comes back without the quotes; the rest of it up to
// the delimiter is dropped. Blanks around a field are dropped. An
// unterminated quote runs to the end of the file.
class ConfigFieldReader {
 public:
  ConfigFieldReader(ByteSource& source, TextDecoder::AnsiDecoder ansi);
  ~ConfigFieldReader();
  ConfigFieldReader(const ConfigFieldReader&) = delete;
  ConfigFieldReader& operator=(const ConfigFieldReader&) = delete;

  // The next field, or nullopt at the end of the file.
  std::optional<std::wstring> NextField();

  // The next field that contains one of `literals`, or nullopt at the end of
  // the file: what NextField would give with the others left out, but much
  // faster over long files where few fields are wanted. (A NextField after
  // it may first give an empty field, where a CR LF was split in passing.)
  std::optional<std::wstring> NextFieldContaining(std::span<const std::wstring_view> literals);

 private:
  // Makes at least one unread character available; false at the end.
  bool Fill();
  // Drops what has been read and appends at least one more character to the
  // buffer; false at the end.
  bool ReadMore();
  bool AtEnd() { return position_ == text_.size() && !Fill(); }

  struct WantedSearch;
  enum class Skim { NotPossible, Candidate, End };
  // From a field start, passes over the fields ahead that hold none of the
  // literals of `search` (all ASCII) and no opening quote, searching raw bytes. Candidate:
  // the unread text is empty and raw_ starts the next field that may be
  // wanted. End: nothing else is wanted. NotPossible: the text path goes on.
  Skim SkimBytes(const WantedSearch& search);
  // Hands the first `count` bytes of raw_, whole fields that are not wanted,
  // to the decoder to pass over, and drops them.
  void PassBytes(std::size_t count);
  // Passes over characters up to (not including) one of `stops`, or to the
  // end of the file, appending them to `field` unless it is null; true when a
  // stop was found.
  bool TakeUntil(const wchar_t* stops, std::wstring* field);
  void SkipBlanks();
  void SkipDelimiter();

  ByteSource& source_;
  TextDecoder decoder_;
  std::wstring text_;
  std::size_t position_ = 0;
  // Characters read and dropped from the front of text_ so far.
  std::size_t dropped_ = 0;
  // Bytes read but not yet decoded: ReadMore decodes them before it reads on.
  ByteQueue raw_;
  bool source_done_ = false;
  bool decoder_finished_ = false;
  std::unique_ptr<WantedSearch> wanted_search_;
};

}  // namespace updstart
