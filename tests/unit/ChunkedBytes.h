// Bytes in memory handed out in pieces, so that readers meet piece borders.
#pragma once

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace updstart::testing {

// Each Read gives at most the next of `sizes`, round and round. Rewind does
// not start the round again, so that a second pass can meet other borders.
class ChunkedBytes : public ByteSource {
 public:
  ChunkedBytes(std::string data, std::vector<std::size_t> sizes)
      : data_(std::move(data)), sizes_(std::move(sizes)) {}
  std::size_t Read(std::span<unsigned char> buffer) override {
    std::size_t want = sizes_[next_++ % sizes_.size()];
    std::size_t count = std::min({buffer.size(), data_.size() - offset_, want});
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), count, buffer.begin());
    offset_ += count;
    return count;
  }
  bool Rewind() override {
    offset_ = 0;
    return true;
  }
  // How many bytes were handed out since the start or the last Rewind.
  std::size_t offset() const { return offset_; }

 private:
  std::string data_;
  std::vector<std::size_t> sizes_;
  std::size_t next_ = 0;
  std::size_t offset_ = 0;
};

}  // namespace updstart::testing
