// Turns the bytes of a configuration file into text, chunk by chunk.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace updstart {

// Bytes read from a file at once.
inline constexpr std::size_t kChunkBytes = std::size_t{16} * 1024;

// The system's ANSI code page: its conversion, and how it builds characters.
struct AnsiText {
  std::function<std::wstring(std::span<const unsigned char>)> convert;
  AnsiCodePageShape shape;
};

// A byte-order mark decides the encoding; without one, a file whose first
// character is ASCII with a zero byte beside it is UTF-16; any other file is
// UTF-8 if it is valid UTF-8 from start to end, and otherwise read in the ANSI
// code page, all of it. Deciding once for the whole file, in a pass of its
// own, means no character is ever read in two encodings. UTF-8, also as the
// ANSI code page, is decoded here, with a U+FFFD for what is not UTF-8.
class TextDecoder {
 public:
  // `utf8`: whether a file without a mark that is not UTF-16 is UTF-8.
  TextDecoder(AnsiText ansi, bool utf8) : ansi_(std::move(ansi)), utf8_(utf8) {}

  // Appends the text of `bytes` to `out`. Bytes of a character that goes on
  // in the next chunk wait for it.
  void Decode(std::span<const unsigned char> bytes, std::wstring& out);
  // Appends whatever is still waiting; call once at the end of the file.
  void Finish(std::wstring& out);
  // Whether bytes read as UTF-8 were not UTF-8.
  bool broken() const { return broken_; }
  // Whether a byte-order mark or the UTF-16 test has decided the encoding,
  // which no later byte can then change.
  bool decided_by_start() const { return decided_by_start_; }

 private:
  enum class Encoding { Unknown, Utf8, Utf16Le, Utf16Be, Ansi };

  void DetectEncoding(bool at_end);
  // Each decodes from the front of pending_ and says how much it used.
  std::size_t DecodeUtf8(std::wstring& out, bool at_end);
  std::size_t DecodeUtf16(std::wstring& out, bool at_end) const;
  std::size_t DecodeDoubleByte(std::wstring& out, bool at_end) const;
  void DecodePending(std::wstring& out, bool at_end);
  void ConvertAnsi(std::size_t from, std::size_t to, std::wstring& out) const;

  AnsiText ansi_;
  bool utf8_;
  bool broken_ = false;
  bool decided_by_start_ = false;
  Encoding encoding_ = Encoding::Unknown;
  std::vector<unsigned char> pending_;
};

// Reads `source` to tell whether a TextDecoder is to read it as UTF-8: to its
// end or to the first byte that is not UTF-8, but only until a byte-order
// mark or the UTF-16 test has decided the encoding, when the answer no longer
// matters (true).
bool IsUtf8(ByteSource& source);

void AppendCodePoint(char32_t code_point, std::wstring& out);

}  // namespace updstart
