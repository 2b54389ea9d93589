// Opening a file and decoding it: in the decoding helper program where the system has one, so
// that a crash, a hang or a hunger for memory in the DICOM library cannot reach the program;
// linked in where there is none, and in the sanitizer and fuzz builds, which are to see it.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <iterator>
#include <string>

#include "decoded_header.h"
#include "dicom_image.h"
#include "file_descriptor.h"
#include "read_cancellation.h"

#ifdef IMAGING_DECODE_IN_HELPER
#include <sys/mman.h>

#include "decode_process.h"
#include "modules/module_locator.h"
#else
#include "decoder/dicom_decoder.h"
#endif

namespace imaging {
namespace {

// The file open for reading, or the user's message why it cannot be.
detail::FileDescriptor openForReading(const std::filesystem::path& file) {
  // Not blocking: a named pipe is refused below instead of waiting for a writer.
  detail::FileDescriptor opened(open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (opened.get() < 0) {
    const int error = errno;
    switch (error) {
      case ENOENT:
      case ENOTDIR:
        throw ImageError("Die Datei gibt es nicht.");
      case EACCES:
      case EPERM:
        throw ImageError("Die Datei darf nicht gelesen werden: keine Berechtigung.",
                         std::strerror(error));
      case ELOOP:
        throw ImageError(
            "Die Datei lässt sich nicht öffnen: der Pfad enthält eine Schleife "
            "symbolischer Verknüpfungen.",
            std::strerror(error));
      case EISDIR:
        throw ImageError("Das ist keine Datei.");
      default:
        throw ImageError("Die Datei lässt sich nicht öffnen.", std::strerror(error));
    }
  }
  struct stat status {};
  if (fstat(opened.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
    throw ImageError("Das ist keine Datei.");
  }
  fcntl(opened.get(), F_SETFL, 0);
  return opened;
}

#ifdef IMAGING_DECODE_IN_HELPER

DicomImage decode(int file, const ReadCancellation* cancellation, const PreviewHandler& onPreview) {
  const auto helper = modules::FindModule(detail::DecodingHelperName);
  if (!helper) {
    throw ImageError("Der DICOM-Leser quantelo-decode fehlt neben dem Programm.",
                     "not found in " + modules::ExecutableFolder().string() + " or " +
                         modules::InstalledModuleDir + " from there");
  }
  return detail::DecodeInHelper(file, {*helper, DecodeTimeLimit, cancellation, onPreview});
}

// The stream's bytes as a file the helper can be given.
detail::FileDescriptor asFile(std::istream& stream) {
  detail::FileDescriptor file(memfd_create("quantelo-input", MFD_CLOEXEC));
  if (file.get() < 0) throw ImageError("Die Datei lässt sich nicht lesen.", std::strerror(errno));
  const std::string bytes(std::istreambuf_iterator<char>(stream), {});
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = write(file.get(), bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw ImageError("Die Datei lässt sich nicht lesen.", std::strerror(errno));
    done += std::size_t(written);
  }
  return file;
}

#else

// The image that decodeWith decodes into memory of the program's own.
template <typename Decode>
DicomImage decodedInMemory(Decode decodeWith) {
  std::vector<std::uint16_t> pixels;
  detail::DecodedHeader header = decodeWith([&](std::size_t count) {
    pixels.resize(count);
    return pixels.data();
  });
  return detail::ImageFrom(std::move(header), std::move(pixels));
}

DicomImage decode(int file, const ReadCancellation* cancellation, const PreviewHandler& onPreview) {
  DicomImage image = decodedInMemory([&](const detail::PixelMemory& memory) {
    return decoder::DecodeFile(
        file, decoder::FileAccess::Read, memory,
        [&](const detail::DecodedHeader& header, std::span<const std::uint16_t> values) {
          if (onPreview) {
            onPreview(detail::ImageFrom(header,
                                        std::vector<std::uint16_t>(values.begin(), values.end())));
          }
        });
  });
  if (cancellation != nullptr && cancellation->cancelled()) throw ReadCancelled();
  return image;
}

#endif

}  // namespace

DicomImage ReadDicomImage(const std::filesystem::path& file, const ReadCancellation* cancellation,
                          const PreviewHandler& onPreview) {
  return decode(openForReading(file).get(), cancellation, onPreview);
}

DicomImage ReadDicomImage(std::istream& stream) {
#ifdef IMAGING_DECODE_IN_HELPER
  return decode(asFile(stream).get(), nullptr, {});
#else
  const std::string bytes(std::istreambuf_iterator<char>(stream), {});
  return decodedInMemory(
      [&](const detail::PixelMemory& memory) { return decoder::DecodeDicom(bytes, memory); });
#endif
}

}  // namespace imaging
