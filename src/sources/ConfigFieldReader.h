// Reads a text file as comma- and line-delimited fields, streaming: memory
// stays bounded whatever the file, since no field is held past a fixed length.
#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"
#include "sources/TextDecoder.h"

namespace updstart {

// A field ends at the next comma or line end (CR, LF or CRLF). A field that
// begins with a double quote runs to the next double quote, line ends and
// commas included, and comes back without the quotes; the rest of it up to
// the delimiter is dropped. Blanks around a field are dropped. An
// unterminated quote runs to the end of the file.
class ConfigFieldReader {
 public:
  // Far above any host name (at most 253 characters) or address that names
  // an update source, and small enough to hold at once.
  static constexpr std::size_t kLongestField = std::size_t{16} * 1024;

  ConfigFieldReader(ByteSource& source, TextDecoder::AnsiDecoder ansi);

  // The next field, or nullopt at the end of the file. A field of more than
  // kLongestField characters (blanks at its end included) is passed over
  // without being held: it names no source.
  std::optional<std::wstring> NextField();

 private:
  // Makes at least one unread character available; false at the end.
  bool Fill();
  bool AtEnd() { return position_ == text_.size() && !Fill(); }
  // Passes over characters up to (not including) one of `stops`, or to the
  // end of the file, keeping them in field_ if `keep`; true when a stop was
  // found.
  bool TakeUntil(const wchar_t* stops, bool keep);
  void Keep(std::wstring_view part);
  void SkipBlanks();
  void SkipDelimiter();

  ByteSource& source_;
  TextDecoder decoder_;
  std::wstring text_;  // decoded and not yet read: about one chunk of the file
  std::size_t position_ = 0;
  bool decoder_finished_ = false;
  std::wstring field_;
  bool field_too_long_ = false;
};

}  // namespace updstart
