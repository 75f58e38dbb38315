#include "sources/DefaultSource.h"

#include <algorithm>

#include "product/LanguageTests.h"
#include "shared/AsciiCase.h"
#include "shared/BuildHosts.h"

namespace updstart {

namespace {

// Host names hold no blanks, so a match never takes in the blanks after a
// field that its end leaves out.
std::wstring TestServerLiteral() {
  std::wstring_view host = hosts::kTestServer;
  std::size_t hyphen = host.find(L'-');
  return std::wstring(host.substr(hyphen == std::wstring_view::npos ? 0 : hyphen)) + L"/test/";
}

}  // namespace

StreamSearch::StreamSearch(std::wstring_view literal, bool ignore_case)
    : literal_(literal), ignore_case_(ignore_case) {
  if (ignore_case_)
    std::transform(literal_.begin(), literal_.end(), literal_.begin(), FoldAsciiCase);
}

std::size_t StreamSearch::Find(std::wstring_view text, std::size_t from) const {
  if (!ignore_case_) return text.find(literal_, from);
  auto found =
      std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), literal_.begin(),
                  literal_.end(), [](wchar_t a, wchar_t b) { return FoldAsciiCase(a) == b; });
  return found == text.end() ? std::wstring_view::npos
                             : static_cast<std::size_t>(found - text.begin());
}

void StreamSearch::Feed(std::wstring_view piece) {
  const std::size_t keep = literal_.size() - 1;
  if (!tail_.empty()) {
    // Occurrences that begin in what came before and end in this piece.
    junction_.assign(tail_).append(piece.substr(0, keep));
    for (std::size_t at = Find(junction_, 0); at < tail_.size(); at = Find(junction_, at + 1)) {
      last_ = seen_ - tail_.size() + at;
    }
  }
  for (std::size_t at = Find(piece, 0); at != std::wstring_view::npos; at = Find(piece, at + 1)) {
    last_ = seen_ + at;
  }
  if (piece.size() >= keep) {
    tail_.assign(piece.substr(piece.size() - keep));
  } else {
    tail_.append(piece);
    if (tail_.size() > keep) tail_.erase(0, tail_.size() - keep);
  }
  seen_ += piece.size();
}

void StreamSearch::Reset() {
  tail_.clear();
  seen_ = 0;
  last_.reset();
}

SourceFieldScan::SourceFieldScan()
    : regular_(hosts::kRegularMirrors[1], false),
      test_server_(TestServerLiteral(), false),
      weight_(L"weight", true) {}

void SourceFieldScan::Append(std::wstring_view piece) {
  if (!equals_seen()) {
    const std::size_t equals = piece.find(L'=');
    if (equals != std::wstring_view::npos) {
      channel_start_ = length_ + equals + 2;
      channel_head_.clear();
    }
  }
  if (channel_start_ < length_ + piece.size() && channel_head_.size() < kLongestChannel) {
    const std::size_t from = channel_start_ > length_ ? channel_start_ - length_ : 0;
    channel_head_.append(piece.substr(from, kLongestChannel - channel_head_.size()));
  }
  regular_.Feed(piece);
  test_server_.Feed(piece);
  weight_.Feed(piece);
  length_ += piece.size();
}

void SourceFieldScan::End(std::size_t trailing_blanks) {
  kind_ = regular_.last()       ? DefaultSourceKind::Regular
          : test_server_.last() ? DefaultSourceKind::TestServer
                                : DefaultSourceKind::Other;
  channel_.clear();
  if (kind_ == DefaultSourceKind::TestServer) {
    const std::size_t length = length_ - trailing_blanks;
    const std::size_t from_start = length > channel_start_ ? length - channel_start_ : 0;
    // An occurrence that starts before the channel does is not in its text,
    // and then neither is any earlier one.
    const std::optional<std::size_t> weight = weight_.last();
    std::size_t channel_length = 0;
    if (weight && *weight >= channel_start_) {
      channel_length = *weight - channel_start_ >= 2 ? *weight - channel_start_ - 2 : 0;
    } else {
      channel_length = from_start > 7 ? from_start - 7 : 0;
    }
    channel_.assign(channel_head_, 0, std::min(channel_length, channel_head_.size()));
  }
  regular_.Reset();
  test_server_.Reset();
  weight_.Reset();
  length_ = 0;
  channel_start_ = 1;
  channel_head_.clear();
}

SourceReport ReadSourceReport(ByteSource& config, const AnsiText& ansi,
                              std::wstring_view localization) {
  SourceReport found;
  ConfigFieldReader reader(config, ansi);
  SourceFieldScan field;
  while (reader.NextField(field)) {
    switch (field.kind()) {
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
        found.channel = field.channel();
        break;
      case DefaultSourceKind::Other:
        break;
    }
  }
  return found;
}

}  // namespace updstart
