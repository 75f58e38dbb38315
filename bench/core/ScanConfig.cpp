// Reads a configuration file the way the window does at start-up — every
// field read and classified — and prints what the report would say and the
// most heap the reading held at once, so the harness can time the whole run,
// check that the file's regular-mirror fields were seen and judge memory.
#include <cstdio>
#include <span>
#include <string>

#include "HeapCounter.h"
#include "platform/Platform.h"
#include "sources/DefaultSource.h"

namespace {

class FileSource : public updstart::ByteSource {
 public:
  explicit FileSource(std::FILE* file) : file_(file) {}
  ~FileSource() override { std::fclose(file_); }
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::size_t Read(std::span<unsigned char> buffer) override {
    return std::fread(buffer.data(), 1, buffer.size(), file_);
  }
  bool Rewind() override { return std::fseek(file_, 0, SEEK_SET) == 0; }

 private:
  std::FILE* file_;
};

std::wstring Latin1(std::span<const unsigned char> bytes) {
  return std::wstring(bytes.begin(), bytes.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <config file>\n", argv[0]);
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (!file) {
    std::perror(argv[1]);
    return 1;
  }
  FileSource source(file);
  updstart::testing::ResetHeapPeak();
  const std::size_t before = updstart::testing::HeapInUse();
  const updstart::SourceReport report =
      updstart::ReadSourceReport(source, updstart::AnsiText{&Latin1, {}}, L"en-US");
  const std::size_t peak = updstart::testing::HeapPeak() - before;
  const char* kind = report.report.empty()                                  ? "none"
                     : report.report.find(L"regular") != std::wstring::npos ? "regular"
                                                                            : "test";
  std::printf("report=%s peak_bytes=%zu\n", kind, peak);
  return 0;
}
