// quantelo-decode: decodes one DICOM file for the reader (imaging/decode_process.cpp) in a
// process of its own, where the DICOM library's checks that end the process, a codec's crash or
// a file that asks for all memory hurt nobody. Started with the file open read-only as
// descriptor 0, nothing behind 1, the reader listening on 2 (error output) and 3 (a socket for
// the answer); its arguments are the reader's process id and, where the reader wants a first
// picture, --preview.
// It answers with one message: the decoded header, with the pixels in a memory file handed over
// beside it, or the refusal; a JPEG 2000 image's reduced first picture may come before.
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <exception>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "decoder_sandbox.h"
#include "dicom_decoder.h"
#include "imaging/decode_answer.h"

namespace {

constexpr int AnswerSocket = 3;

std::uint64_t mebibytes(std::uint64_t count) {
  return count << 20;
}

// Room beyond the data: the libraries' own, the allocator's arenas, a stack for each of the
// codecs' threads.
std::uint64_t margin() {
  return mebibytes(384) + mebibytes(8) * std::max(1u, std::thread::hardware_concurrency());
}

// The memory a file of fileBytes may need while it is read, before its image is known: itself,
// the library's copy of its elements, and a deflated data set inflated within the file budget
// twice (the library inflates it into a buffer of its own, then takes its elements from it).
std::uint64_t readingBudget(std::uint64_t fileBytes) {
  return margin() + 4 * fileBytes + 2 * decoder::MaxFileBytes;
}

// Once the header has declared the image: the file as read, the shared pixels and the codecs'
// working copies.
std::uint64_t decodingBudget(std::uint64_t fileBytes, std::uint64_t pixelCount) {
  return margin() + 4 * fileBytes + 12 * pixelCount;
}

// The pixels, in a memory file the reader maps once it has it; sealed once written, so that
// the reader's view of them cannot change or shrink.
class PixelFile {
 public:
  ~PixelFile() {
    if (mapped_ != nullptr) munmap(mapped_, bytes_);
    if (descriptor_ >= 0) close(descriptor_);
  }
  std::uint16_t* create(std::size_t count) {
    bytes_ = count * sizeof(std::uint16_t);
    descriptor_ = memfd_create("quantelo-pixels", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (descriptor_ < 0 || ftruncate(descriptor_, off_t(bytes_)) != 0) throw std::bad_alloc();
    void* const mapped =
        mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, descriptor_, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    mapped_ = mapped;
    return static_cast<std::uint16_t*>(mapped);
  }
  // The sealed file, for the answer.
  int seal() {
    munmap(mapped_, bytes_);
    mapped_ = nullptr;
    fcntl(descriptor_, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL);
    return descriptor_;
  }

 private:
  int descriptor_ = -1;
  void* mapped_ = nullptr;
  std::size_t bytes_ = 0;
};

void send(const std::string& answer, int pixels) {
  iovec part{const_cast<char*>(answer.data()), answer.size()};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  if (pixels >= 0) {
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    cmsghdr* const header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = SOL_SOCKET;
    header->cmsg_type = SCM_RIGHTS;
    header->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(header), &pixels, sizeof pixels);
  }
  while (sendmsg(AnswerSocket, &message, MSG_NOSIGNAL) < 0 && errno == EINTR) {
  }
}

// A reduced first picture, sent at once in a memory file of its own.
void sendPreview(const imaging::detail::DecodedHeader& header,
                 std::span<const std::uint16_t> values) {
  PixelFile preview;
  std::copy(values.begin(), values.end(), preview.create(values.size()));
  send(imaging::detail::EncodeAnswer(header, true), preview.seal());
}

// The answer, and the sealed pixel file that goes with an image (else -1).
std::pair<std::string, int> decodeAnswer(std::uint64_t fileBytes, PixelFile& pixels,
                                         bool withPreview) {
  const auto refusal = [](const imaging::ImageError& error) {
    return std::pair{imaging::detail::EncodeRefusal(error), -1};
  };
  try {
    decoder::EnterSandbox();
  } catch (const std::exception& error) {
    return refusal(imaging::ImageError(
        "Der DICOM-Leser ließ sich nicht absichern und liest deshalb nicht.", error.what()));
  }
  try {
    decoder::RequireAddressSpace(3 * fileBytes);
    const imaging::detail::DecodedHeader header = decoder::DecodeFile(
        STDIN_FILENO, decoder::FileAccess::Mapped,
        [&](std::size_t count) {
          const std::uint64_t budget = decodingBudget(fileBytes, count);
          decoder::LimitAddressSpace(budget, budget);
          decoder::RequireAddressSpace(6 * count);
          return pixels.create(count);
        },
        withPreview ? imaging::detail::PreviewSink(sendPreview) : imaging::detail::PreviewSink());
    return {imaging::detail::EncodeAnswer(header), pixels.seal()};
  } catch (const imaging::ImageError& error) {
    return refusal(error);
  } catch (const std::bad_alloc&) {
    return refusal(
        imaging::ImageError("Die Datei ist beschädigt oder zu groß für den Arbeitsspeicher."));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  pid_t caller = 0;
  const bool withPreview = argc == 3 && std::string_view(argv[2]) == "--preview";
  if ((argc != 2 && !withPreview) ||
      std::from_chars(argv[1], argv[1] + std::strlen(argv[1]), caller).ec != std::errc{} ||
      !decoder::TieToCaller(caller)) {
    return 2;
  }
  // Two allocator arenas, whatever the number of codec threads: each reserves address space.
  mallopt(M_ARENA_MAX, 2);
  struct stat file {};
  if (fstat(STDIN_FILENO, &file) != 0) return 2;
  const auto fileBytes = static_cast<std::uint64_t>(file.st_size);
  // Reading within the reading budget; the hard limit where the largest image could still be
  // granted once its header is known.
  try {
    decoder::LimitAddressSpace(
        readingBudget(fileBytes),
        std::max(readingBudget(fileBytes), decodingBudget(fileBytes, imaging::MaxImagePixels)));
  } catch (const imaging::ImageError& error) {
    send(imaging::detail::EncodeRefusal(error), -1);
    return 0;
  }
  PixelFile pixels;
  const auto [answer, pixelFile] = decodeAnswer(fileBytes, pixels, withPreview);
  send(answer, pixelFile);
  return 0;
}
