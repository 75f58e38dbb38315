// Bytes read ahead of the decoder: taken from the front, read in at the back,
// and now and then put back in front. Taking moves an offset instead of the
// bytes, and putting back uses the room taking left where it can.
#pragma once

#include <algorithm>
#include <span>
#include <vector>

#include "platform/Platform.h"

namespace updstart {

class ByteQueue {
 public:
  std::span<const unsigned char> Bytes() const {
    return std::span<const unsigned char>(bytes_).subspan(front_);
  }
  bool Empty() const { return front_ == bytes_.size(); }

  // Drops the first `count` bytes.
  void Take(std::size_t count) {
    front_ += count;
    if (front_ == bytes_.size()) Clear();
  }

  void PutBack(std::span<const unsigned char> bytes) {
    if (bytes.size() <= front_) {
      front_ -= bytes.size();
      std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(front_));
      return;
    }
    std::vector<unsigned char> joined(bytes.begin(), bytes.end());
    joined.insert(joined.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(front_), bytes_.end());
    bytes_ = std::move(joined);
    front_ = 0;
  }

  // Reads up to `most` bytes from `source` in at the back; how many came.
  std::size_t ReadFrom(ByteSource& source, std::size_t most) {
    if (front_ > 0) {
      bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(front_));
      front_ = 0;
    }
    const std::size_t had = bytes_.size();
    bytes_.resize(had + most);
    const std::size_t read = source.Read(std::span<unsigned char>(bytes_).subspan(had, most));
    bytes_.resize(had + read);
    return read;
  }

  void Clear() {
    bytes_.clear();
    front_ = 0;
  }

 private:
  std::vector<unsigned char> bytes_;
  std::size_t front_ = 0;
};

}  // namespace updstart
