// Reading a file once, whole, before decoding it: whatever changes in the file afterwards cannot
// reach the decoded image, and a change while it is read is noticed and refused.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
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
  throw imaging::ImageError(
      "Die Datei hat sich beim Lesen verändert. Bitte erneut öffnen, wenn sie fertig "
      "geschrieben ist.");
}

// The bytes and how many of them the file had.
struct FileBytes {
  std::unique_ptr<char[]> bytes;
  std::size_t size = 0;
};

FileBytes readUnchanged(int file) {
  struct stat before {};
  if (fstat(file, &before) != 0) {
    throw imaging::ImageError("Die Datei lässt sich nicht lesen.", std::strerror(errno));
  }
  if (static_cast<std::uint64_t>(before.st_size) > MaxFileBytes) {
    throw imaging::ImageError("Die Datei ist zu groß: höchstens " +
                              std::to_string(MaxFileBytes >> 20) + " MiB.");
  }
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

imaging::detail::DecodedHeader DecodeFile(int file, const imaging::detail::PixelMemory& pixelsFor,
                                          const imaging::detail::PreviewSink& preview) {
  const FileBytes read = readUnchanged(file);
  return DecodeDicom(std::string_view(read.bytes.get(), read.size), pixelsFor, preview);
}

}  // namespace decoder
