// Streams over memory that is already there, for the library's readers and codecs: the file's
// bytes read without a copy, and decoded samples written straight where they are kept.
#pragma once

#include <istream>
#include <ostream>
#include <streambuf>
#include <string_view>

namespace decoder {

class MemoryReadBuffer : public std::streambuf {
 public:
  explicit MemoryReadBuffer(std::string_view bytes) {
    char* const start = const_cast<char*>(bytes.data());
    setg(start, start, start + bytes.size());
  }

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir direction,
                   std::ios_base::openmode) override {
    const off_type base = direction == std::ios_base::beg   ? 0
                          : direction == std::ios_base::cur ? gptr() - eback()
                                                            : egptr() - eback();
    return seekpos(pos_type(base + offset), std::ios_base::in);
  }
  pos_type seekpos(pos_type position, std::ios_base::openmode) override {
    if (position < 0 || position > egptr() - eback()) return pos_type(off_type(-1));
    setg(eback(), eback() + position, egptr());
    return position;
  }
};

class MemoryInput : public std::istream {
 public:
  explicit MemoryInput(std::string_view bytes) : std::istream(nullptr), buffer_(bytes) {
    rdbuf(&buffer_);
  }

 private:
  MemoryReadBuffer buffer_;
};

// Writing beyond the memory fails the stream, so a writer that gives more than was asked for
// is told apart from one that gives exactly that.
class MemoryWriteBuffer : public std::streambuf {
 public:
  MemoryWriteBuffer(void* memory, std::size_t size) {
    char* const start = static_cast<char*>(memory);
    setp(start, start + size);
  }
  std::size_t written() const { return static_cast<std::size_t>(pptr() - pbase()); }
};

class MemoryOutput : public std::ostream {
 public:
  MemoryOutput(void* memory, std::size_t size) : std::ostream(nullptr), buffer_(memory, size) {
    rdbuf(&buffer_);
  }
  std::size_t written() const { return buffer_.written(); }

 private:
  MemoryWriteBuffer buffer_;
};

}  // namespace decoder
