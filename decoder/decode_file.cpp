// Holding a file's bytes while it is decoded, and refusing it when it changes meanwhile.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "dicom_decoder.h"

namespace decoder {
namespace {

bool sameFile(const struct stat& before, const struct stat& after) {
  return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
         before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

[[noreturn]] void changed() {
  throw imaging::ImageError(std::string(imaging::detail::ChangedWhileRead));
}

struct stat statusOf(int file) {
  struct stat status {};
  if (fstat(file, &status) != 0) {
    throw imaging::ImageError("Die Datei lässt sich nicht lesen.", std::strerror(errno));
  }
  if (static_cast<std::uint64_t>(status.st_size) > MaxFileBytes) {
    throw imaging::ImageError("Die Datei ist zu groß: höchstens " +
                              std::to_string(MaxFileBytes >> 20) + " MiB.");
  }
  return status;
}

// The bytes and how many of them the file had.
struct FileBytes {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
};

// Read once, whole: whatever changes in the file afterwards cannot reach the decoding.
FileBytes readUnchanged(int file) {
  const struct stat before = statusOf(file);
  // One byte more than the size: a file that grows shows itself. Not cleared first: every
  // byte used is read.
  const std::size_t size = static_cast<std::size_t>(before.st_size);
  FileBytes read{std::make_unique_for_overwrite<char[]>(size + 1), size};
  std::size_t done = 0;
  while (done < size + 1) {
    const ssize_t got = pread(file, read.bytes.get() + done, size + 1 - done, off_t(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0)
      throw imaging::ImageError("Die Datei lässt sich nicht lesen.", std::strerror(errno));
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  struct stat after {};
  if (done != size || fstat(file, &after) != 0 || !sameFile(before, after)) changed();
  return read;
}

}  // namespace

imaging::detail::DecodedHeader DecodeFile(int file, FileAccess access,
                                          const imaging::detail::PixelMemory& pixelsFor,
                                          const imaging::detail::PreviewSink& preview) {
  if (access == FileAccess::Read) {
    const FileBytes read = readUnchanged(file);
    return DecodeDicom(std::string_view(read.bytes.get(), read.size), pixelsFor, preview);
  }
  const struct stat before = statusOf(file);
  const auto size = static_cast<std::size_t>(before.st_size);
  void* const mapped =
      size == 0 ? nullptr : mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file, 0);
  if (mapped == MAP_FAILED) {
    throw imaging::ImageError("Die Datei lässt sich nicht lesen.", std::strerror(errno));
  }
  const std::unique_ptr<void, std::function<void(void*)>> unmap(
      mapped, [size](void* bytes) { munmap(bytes, size); });
  imaging::detail::DecodedHeader header =
      DecodeDicom(std::string_view(static_cast<const char*>(mapped), size), pixelsFor, preview);
  // The mapping shows the file as it is: what was decoded is the file only if it is unchanged.
  struct stat after {};
  if (fstat(file, &after) != 0 || !sameFile(before, after)) changed();
  return header;
}

}  // namespace decoder
