// An open file descriptor, closed when it goes.
#pragma once

#include <unistd.h>

#include <utility>

namespace imaging::detail {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int value) : value_(value) {}
  FileDescriptor(FileDescriptor&& other) noexcept : value_(std::exchange(other.value_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    reset(std::exchange(other.value_, -1));
    return *this;
  }
  ~FileDescriptor() { reset(); }

  int get() const { return value_; }
  void reset(int value = -1) {
    if (value_ >= 0) close(value_);
    value_ = value;
  }

 private:
  int value_ = -1;
};

}  // namespace imaging::detail
