// Reads a text file as comma- and line-delimited fields, streaming: a field
// is handed on piece by piece, so memory stays bounded whatever the file.
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "sources/TextDecoder.h"

namespace updstart {

// Takes in one field at a time, as it is read.
class FieldSink {
 public:
  virtual ~FieldSink() = default;
  virtual void Append(std::wstring_view piece) = 0;
  // The field is complete. Its last `trailing_blanks` characters were blanks
  // after it, which are no part of it: that a run of blanks ends a field
  // shows only at the delimiter, and a run may be longer than is held.
  virtual void End(std::size_t trailing_blanks) = 0;
};

// A field ends at the next comma or line end (CR, LF or CRLF). A field that
// begins with a double quote runs to the next double quote, line ends and
// commas included, and comes without the quotes; the rest of it up to the
// delimiter is dropped. Blanks around a field are dropped. An unterminated
// quote runs to the end of the file.
class ConfigFieldReader {
 public:
  ConfigFieldReader(ByteSource& source, AnsiText ansi);

  // Reads the next field into `sink`; false at the end of the file.
  bool NextField(FieldSink& sink);

 private:
  // Makes at least one unread character available; false at the end.
  bool Fill();
  bool AtEnd() { return position_ == text_.size() && !Fill(); }
  // Passes over characters up to (not including) one of `stops`, or to the
  // end of the file, handing them to `sink` if there is one; true when a
  // stop was found.
  bool TakeUntil(const wchar_t* stops, FieldSink* sink);
  void SkipBlanks();
  void SkipDelimiter();

  ByteSource& source_;
  TextDecoder decoder_;
  std::wstring text_;  // decoded and not yet read: about one chunk of the file
  std::size_t position_ = 0;
  bool decoder_finished_ = false;
  std::size_t trailing_blanks_ = 0;  // at the end of what the sink was given
};

}  // namespace updstart
