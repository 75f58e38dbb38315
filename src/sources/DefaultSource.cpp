#include "sources/DefaultSource.h"

#include <algorithm>

#include "product/LanguageTests.h"
#include "shared/BuildHosts.h"
#include "shared/Wildcard.h"
#include "sources/ConfigFieldReader.h"

namespace updstart {

namespace {

const std::wstring& RegularPattern() {
  static const std::wstring pattern = L"*" + std::wstring(hosts::kRegularMirrors[1]) + L"*";
  return pattern;
}

const std::wstring& TestServerPattern() {
  static const std::wstring pattern = [] {
    std::wstring_view host = hosts::kTestServer;
    std::size_t hyphen = host.find(L'-');
    return L"*" + std::wstring(host.substr(hyphen == std::wstring_view::npos ? 0 : hyphen)) +
           L"/test/*";
  }();
  return pattern;
}

wchar_t FoldAsciiCase(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c; }

// 1-based position of `what` in `text`, letter case ignored; 0 when absent.
std::size_t FindIgnoringCase(std::wstring_view text, std::wstring_view what) {
  auto found =
      std::search(text.begin(), text.end(), what.begin(), what.end(),
                  [](wchar_t a, wchar_t b) { return FoldAsciiCase(a) == FoldAsciiCase(b); });
  return found == text.end() ? 0 : static_cast<std::size_t>(found - text.begin()) + 1;
}

// Characters from 1-based `position` to the end; empty past the end.
std::wstring From(std::wstring_view text, std::size_t position) {
  return position > text.size() ? std::wstring() : std::wstring(text.substr(position - 1));
}

}  // namespace

DefaultSourceKind ClassifyConfigField(std::wstring_view field) {
  if (WildcardMatch(field, RegularPattern())) return DefaultSourceKind::Regular;
  if (WildcardMatch(field, TestServerPattern())) return DefaultSourceKind::TestServer;
  return DefaultSourceKind::Other;
}

std::wstring ExtractChannelText(std::wstring_view field) {
  std::wstring text = From(field, FindIgnoringCase(field, L"=") + 2);
  std::reverse(text.begin(), text.end());
  text = From(text, FindIgnoringCase(text, L"thgiew") + 8);
  std::reverse(text.begin(), text.end());
  return text;
}

SourceReport ReadSourceReport(ByteSource& config, const TextDecoder::AnsiDecoder& ansi,
                              std::wstring_view localization) {
  SourceReport found;
  ConfigFieldReader reader(config, ansi);
  while (std::optional<std::wstring> field = reader.NextField()) {
    switch (ClassifyConfigField(*field)) {
      case DefaultSourceKind::Regular:
        found.report = RegularReportIsRussian(localization)
                           ? L"Источник обновления по умолчанию: публичные сервера обновления ЛН "
                           : L"Default update source: regular Nordavin Lab servers";
        break;
      case DefaultSourceKind::TestServer:
        found.test_server = true;
        found.report = TestReportIsRussian(localization)
                           ? L"Источник обновления по умолчанию: тестовые сервера ЛН"
                           : L"Default update source: Nordavin Lab test servers";
        found.channel = ExtractChannelText(*field);
        break;
      case DefaultSourceKind::Other:
        break;
    }
  }
  return found;
}

}  // namespace updstart
