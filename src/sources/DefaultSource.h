// Recognising the product's configured default source in its update
// configuration, field by field, as the fields stream past.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "sources/ConfigFieldReader.h"
#include "sources/TextDecoder.h"

namespace updstart {

enum class DefaultSourceKind { Other, Regular, TestServer };

// Finds a literal in text that arrives piece by piece, holding no more of
// what came before than the literal's length less one.
class StreamSearch {
 public:
  StreamSearch(std::wstring_view literal, bool ignore_case);
  void Feed(std::wstring_view piece);
  // Where the last occurrence so far starts, counted from the first piece.
  std::optional<std::size_t> last() const { return last_; }
  void Reset();

 private:
  std::size_t Find(std::wstring_view text, std::size_t from) const;

  std::wstring literal_;  // in lower case when case is ignored
  bool ignore_case_;
  std::wstring tail_;      // the end of what came before
  std::wstring junction_;  // the tail and the start of the next piece
  std::size_t seen_ = 0;
  std::optional<std::size_t> last_;
};

// Regular: the field names regular mirror 01. Test server: it names the test
// server's host, from its first hyphen on, followed by "/test/". The channel
// text of a field runs from the second character after its first "=" (from
// its second character when it has none) to just before the two characters
// that precede its last "weight" in any letter case, which with what follows
// is dropped (its last seven characters when it holds no "weight").
class SourceFieldScan final : public FieldSink {
 public:
  // A label shows no more of a channel than this.
  static constexpr std::size_t kLongestChannel = 32768;

  SourceFieldScan();
  void Append(std::wstring_view piece) override;
  void End(std::size_t trailing_blanks) override;

  // What the last field that ended says.
  DefaultSourceKind kind() const { return kind_; }
  // Its channel text, up to kLongestChannel characters; only a test-server
  // field has one.
  const std::wstring& channel() const { return channel_; }

 private:
  StreamSearch regular_;
  StreamSearch test_server_;
  StreamSearch weight_;
  // After an "=" the channel starts two characters on, never at the second.
  bool equals_seen() const { return channel_start_ != 1; }

  std::size_t length_ = 0;
  std::size_t channel_start_ = 1;
  std::wstring channel_head_;  // the field from channel_start_ on, as far as it is kept

  DefaultSourceKind kind_ = DefaultSourceKind::Other;
  std::wstring channel_;
};

// What the window shows of the product's configured default source.
struct SourceReport {
  std::wstring report;   // the report line; "" when no field names a known source
  std::wstring channel;  // the channel text of the last test-server field
  // A test-server field was seen: the test list is selected, and both texts
  // are red, the report also when a later regular field decides its text.
  bool test_server = false;
};

// Reads the whole update configuration: every field that names a source
// applies again, so the last one decides.
SourceReport ReadSourceReport(ByteSource& config, const AnsiText& ansi,
                              std::wstring_view localization);

}  // namespace updstart
