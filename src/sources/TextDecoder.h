// Turns the bytes of a configuration file into text, chunk by chunk.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace updstart {

// The system's ANSI code page: its conversion, and how it builds characters.
struct AnsiText {
  std::function<std::wstring(std::span<const unsigned char>)> convert;
  AnsiCodePageShape shape;
};

// The encoding is recognised from the first bytes: a UTF-8 or UTF-16 byte
// order mark; UTF-16 without one when the first character is ASCII with a
// zero byte beside it; otherwise UTF-8 as long as the bytes are valid UTF-8,
// and the ANSI code page from the first byte that is not. Whatever the file,
// no more than a chunk and a few kilobytes are held at once.
class TextDecoder {
 public:
  explicit TextDecoder(AnsiText ansi) : ansi_(std::move(ansi)) {}

  // Appends the text of `bytes` to `out`. Bytes of a character that goes on
  // in the next chunk wait for it.
  void Decode(std::span<const unsigned char> bytes, std::wstring& out);
  // Appends whatever is still waiting; call once at the end of the file.
  void Finish(std::wstring& out);

 private:
  enum class Encoding { Unknown, Utf8, Utf16Le, Utf16Be, Ansi };

  void DetectEncoding(bool at_end);
  // Each decodes from the front of pending_ and leaves what it cannot finish.
  void DecodeUtf8(std::wstring& out, bool at_end);
  void DecodeUtf16(std::wstring& out, bool at_end);
  void DecodeAnsi(std::wstring& out, bool at_end);
  void DecodePending(std::wstring& out, bool at_end);
  void ConvertAnsi(std::size_t from, std::size_t to, std::wstring& out);

  AnsiText ansi_;
  Encoding encoding_ = Encoding::Unknown;
  std::vector<unsigned char> pending_;
};

void AppendCodePoint(char32_t code_point, std::wstring& out);

}  // namespace updstart
