// Turns the bytes of a configuration file into text, chunk by chunk.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace updstart {

// The encoding is recognised from the first bytes: a UTF-8 or UTF-16 byte
// order mark; UTF-16 without one when the first character is ASCII with a
// zero byte beside it; otherwise UTF-8 as long as the bytes are valid UTF-8,
// and the ANSI code page from the first byte that is not.
class TextDecoder {
 public:
  // Turns bytes of the ANSI code page into text. Every ANSI code page keeps
  // ASCII as it is, and the field reader counts on that: a byte below 0x80
  // is that character, and bytes from 0x80 up give characters from 0x80 up
  // or "?" for what the code page cannot map.
  using AnsiDecoder = std::function<std::wstring(std::span<const unsigned char>)>;

  explicit TextDecoder(AnsiDecoder ansi) : ansi_(std::move(ansi)) {}

  // Appends the text of `bytes` to `out`. Bytes of a character that goes on
  // in the next chunk wait for it.
  void Decode(std::span<const unsigned char> bytes, std::wstring& out);
  // Appends whatever is still waiting; call once at the end of the file.
  void Finish(std::wstring& out);

  // Whether the encoding is known and keeps every ASCII character the one
  // byte it is in ASCII (UTF-8, the ANSI code page).
  bool PassesAsciiThrough() const;
  // Appends the bytes still waiting for the rest of their character, and
  // forgets them: their reader puts them back in front of the bytes it has.
  void TakePending(std::vector<unsigned char>& bytes);
  // Goes over bytes whose text is not wanted, as Decode would: they may
  // still show that the file is not UTF-8. With nothing pending, and `bytes`
  // ending in a delimiter, nothing is pending afterwards either.
  void Pass(std::span<const unsigned char> bytes);

 private:
  enum class Encoding { Unknown, Utf8, Utf16Le, Utf16Be, Ansi };

  void DetectEncoding(bool at_end);
  // Each decodes from the front of pending_ and leaves what it cannot finish.
  void DecodeUtf8(std::wstring& out, bool at_end);
  void DecodeUtf16(std::wstring& out, bool at_end);
  void DecodeAnsi(std::wstring& out, bool at_end);
  void DecodePending(std::wstring& out, bool at_end);

  AnsiDecoder ansi_;
  Encoding encoding_ = Encoding::Unknown;
  std::vector<unsigned char> pending_;
  // In the ANSI code page: how many bytes at the front of pending_ are known
  // to hold no delimiter.
  std::size_t ansi_without_delimiter_ = 0;
};

void AppendCodePoint(char32_t code_point, std::wstring& out);

}  // namespace updstart
