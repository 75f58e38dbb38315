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
  // Turns bytes of the ANSI code page into text.
  using AnsiDecoder = std::function<std::wstring(std::span<const unsigned char>)>;

  // In the ANSI code page the text is decoded in pieces that end after a
  // byte below 0x40: such a byte is a whole character in every ANSI code
  // page (the second byte of a double-byte character is 0x40 or above), so
  // no piece splits one. A run of more than `longest_ansi_run` bytes without
  // such a byte is decoded only that far, the rest of it passed over, so that
  // memory stays bounded; its reader has no use for so long a run.
  TextDecoder(AnsiDecoder ansi, std::size_t longest_ansi_run)
      : ansi_(std::move(ansi)), longest_ansi_run_(longest_ansi_run) {}

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

  AnsiDecoder ansi_;
  std::size_t longest_ansi_run_;
  Encoding encoding_ = Encoding::Unknown;
  std::vector<unsigned char> pending_;
  // In the ANSI code page: how many bytes at the front of pending_ are known
  // to hold no byte below 0x40.
  std::size_t ansi_searched_ = 0;
  // In the ANSI code page: the rest of an overlong run is being passed over.
  bool passing_run_ = false;
};

void AppendCodePoint(char32_t code_point, std::wstring& out);

}  // namespace updstart
