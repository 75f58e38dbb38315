// Recognising the product's configured default source in its update
// configuration, field by field.
#pragma once

#include <string>
#include <string_view>

#include "platform/Platform.h"
#include "sources/TextDecoder.h"

namespace updstart {

enum class DefaultSourceKind { Other, Regular, TestServer };

// Regular: the field names regular mirror 01. Test server: it names the test
// server's host, from its first hyphen on, followed by "/test/".
DefaultSourceKind ClassifyConfigField(std::wstring_view field);

// The channel text of a test-server field: from the second character after
// its first "=" to just before the two characters that precede the last
// "weight" (in any letter case), which with what follows is dropped.
std::wstring ExtractChannelText(std::wstring_view field);

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
SourceReport ReadSourceReport(ByteSource& config, const TextDecoder::AnsiDecoder& ansi,
                              std::wstring_view localization);

}  // namespace updstart
