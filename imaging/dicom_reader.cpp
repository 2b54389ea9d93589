// Reading runs the DICOM library in a child process: its internal checks end the process on
// some damaged files, and a crash in a decoder must not take the program with it. The child
// loads the library (in the decoder module) itself, so the program never carries it, and
// decodes straight into memory it shares with the program, so the pixels are not copied.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>
#include <string_view>

#include "dicom_decoder.h"
#include "dicom_image.h"
#include "header_facts.h"

#ifdef IMAGING_DECODER_MODULE
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#define QUANTELO_ISOLATED_DECODER 1
#endif

namespace imaging {
namespace {

DicomImage imageFrom(detail::DecodedHeader header, PixelStorage pixels) {
  std::vector<HeaderFact> facts;
  const auto sources = HeaderFactSources();
  for (std::size_t i = 0; i < sources.size(); ++i) {
    facts.push_back({sources[i].key, sources[i].label,
                     i < header.factValues.size() ? std::move(header.factValues[i]) : ""});
  }
  return DicomImage({header.width, header.height, {}, header.offset}, std::move(pixels),
                    header.photometric, header.bitsStored, header.rescale, header.window,
                    std::move(facts), std::move(header.context));
}

// The library's own failures, as the user reads them.
template <typename Decode>
auto withMessages(Decode decode) {
  try {
    return decode();
  } catch (const ImageError&) {
    throw;
  } catch (const std::bad_alloc&) {
    throw ImageError("Die Datei ist beschädigt oder zu groß für den Arbeitsspeicher.");
  } catch (const std::exception&) {
    throw ImageError("Die Datei ist beschädigt oder unvollständig.");
  }
}

#ifdef QUANTELO_ISOLATED_DECODER

// The child's answer: a success flag, then the header or the error message, in a plain
// length-prefixed form read back with every length checked.
class AnswerWriter {
 public:
  template <typename T>
  void put(const T& value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void put(std::string_view text) {
    put(static_cast<std::uint32_t>(text.size()));
    bytes_.append(text);
  }
  const std::string& bytes() const { return bytes_; }

 private:
  std::string bytes_;
};

class AnswerReader {
 public:
  explicit AnswerReader(std::string_view bytes) : bytes_(bytes) {}
  template <typename T>
  T get() {
    T value;
    std::memcpy(&value, take(sizeof value).data(), sizeof value);
    return value;
  }
  std::string text() { return std::string(take(get<std::uint32_t>())); }

 private:
  std::string_view take(std::size_t size) {
    if (size > bytes_.size()) throw ImageError("Die Datei ließ sich nicht lesen.");
    const std::string_view taken = bytes_.substr(0, size);
    bytes_.remove_prefix(size);
    return taken;
  }
  std::string_view bytes_;
};

// The decoder module, from beside the program (a build) or from its installed folder.
detail::DecodedHeader decodeInModule(std::istream& stream, const detail::PixelMemory& pixelsFor) {
  std::error_code error;
  const std::filesystem::path programFolder =
      std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
  for (const std::filesystem::path& folder : {
           programFolder,
#ifdef IMAGING_INSTALLED_MODULE_DIR
           programFolder / IMAGING_INSTALLED_MODULE_DIR,
#endif
       }) {
    void* module = dlopen((folder / IMAGING_DECODER_MODULE).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) continue;
    if (auto decode =
            reinterpret_cast<detail::DecodeEntry>(dlsym(module, detail::DecodeEntryName))) {
      detail::DecodedHeader header;
      decode(stream, pixelsFor, header);
      return header;
    }
  }
  throw ImageError("Der DICOM-Leser " IMAGING_DECODER_MODULE " fehlt neben dem Programm.");
}

constexpr std::size_t AnswerSpace = std::size_t{1} << 20;
constexpr std::size_t MaxPixelBytes = MaxImagePixels * 2;

std::string answerFor(std::istream& stream, std::uint16_t* pixels) {
  AnswerWriter answer;
  try {
    const detail::DecodedHeader header = withMessages([&] {
      return decodeInModule(stream, [&](std::size_t count) {
        if (count > MaxPixelBytes / 2) throw ImageError("Das Bild ist zu groß.");
        return pixels;
      });
    });
    answer.put(true);
    answer.put(header.width);
    answer.put(header.height);
    answer.put(header.offset);
    answer.put(header.photometric);
    answer.put(header.bitsStored);
    answer.put(header.rescale);
    answer.put(header.window.has_value());
    answer.put(header.window.value_or(DisplayWindow{}));
    answer.put(static_cast<std::uint32_t>(header.factValues.size()));
    // Facts are short; a damaged file's are cut so that the answer always fits its space.
    const auto cut = [](const std::string& value) {
      return std::string_view(value).substr(0, 1024);
    };
    for (const std::string& value : header.factValues) answer.put(cut(value));
    const ImageContext& context = header.context;
    for (const std::string* text : {&context.modality, &context.presentationIntent,
                                    &context.laterality, &context.patientOrientation}) {
      answer.put(cut(*text));
    }
    answer.put(context.lossyCompressed);
  } catch (const ImageError& error) {
    answer = {};
    answer.put(false);
    answer.put(std::string_view(error.what()));
  }
  return answer.bytes();
}

detail::DecodedHeader headerFrom(AnswerReader answer) {
  if (!answer.get<bool>()) throw ImageError(answer.text());
  detail::DecodedHeader header;
  header.width = answer.get<int>();
  header.height = answer.get<int>();
  header.offset = answer.get<std::int32_t>();
  header.photometric = answer.get<Photometric>();
  header.bitsStored = answer.get<int>();
  header.rescale = answer.get<Rescale>();
  const bool hasWindow = answer.get<bool>();
  const DisplayWindow window = answer.get<DisplayWindow>();
  if (hasWindow) header.window = window;
  const auto factCount = answer.get<std::uint32_t>();
  for (std::uint32_t i = 0; i < factCount; ++i) header.factValues.push_back(answer.text());
  ImageContext& context = header.context;
  for (std::string* text : {&context.modality, &context.presentationIntent, &context.laterality,
                            &context.patientOrientation}) {
    *text = answer.text();
  }
  context.lossyCompressed = answer.get<bool>();
  if (header.width < 1 || header.height < 1 || header.width > MaxImageSide ||
      header.height > MaxImageSide) {
    throw ImageError("Die Datei ließ sich nicht lesen.");
  }
  return header;
}

// Memory shared with the child: the answer first, then room for the largest image. Pages are
// only used where the child writes, and the program gives back what the image does not need.
class SharedMemory {
 public:
  SharedMemory()
      : size_(AnswerSpace + MaxPixelBytes),
        base_(mmap(nullptr, size_, PROT_READ | PROT_WRITE,
                   MAP_SHARED | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)) {
    if (base_ == MAP_FAILED)
      throw ImageError("Die Datei lässt sich nicht lesen: nicht genug Arbeitsspeicher frei.");
  }
  ~SharedMemory() {
    if (base_ != nullptr) munmap(base_, size_);
  }
  SharedMemory(const SharedMemory&) = delete;
  SharedMemory& operator=(const SharedMemory&) = delete;

  char* answer() const { return static_cast<char*>(base_); }
  std::uint16_t* pixels() const { return reinterpret_cast<std::uint16_t*>(answer() + AnswerSpace); }

  // Keeps count pixels and hands them over; the rest of the mapping goes back.
  PixelStorage release(std::size_t count) {
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    const std::size_t kept = (count * 2 + page - 1) / page * page;
    munmap(base_, AnswerSpace);
    if (MaxPixelBytes > kept) munmap(answer() + AnswerSpace + kept, MaxPixelBytes - kept);
    const std::span<const std::uint16_t> values(pixels(), count);
    base_ = nullptr;
    return {std::shared_ptr<const void>(
                values.data(), [kept](const void* p) { munmap(const_cast<void*>(p), kept); }),
            values};
  }

 private:
  std::size_t size_;
  void* base_;
};

DicomImage readIsolated(std::istream& stream) {
  SharedMemory memory;
  const pid_t child = fork();
  if (child < 0) throw ImageError("Die Datei lässt sich nicht lesen: kein Prozess frei.");
  if (child == 0) {
    // Whatever the library says on the way goes nowhere; _exit leaves the program's buffers,
    // handlers and windows alone.
    const int nowhere = open("/dev/null", O_WRONLY);
    if (nowhere >= 0) dup2(nowhere, STDERR_FILENO);
    const std::string answer = answerFor(stream, memory.pixels());
    const std::uint64_t size = std::min(answer.size(), AnswerSpace - sizeof(std::uint64_t));
    std::memcpy(memory.answer(), &size, sizeof size);
    std::memcpy(memory.answer() + sizeof size, answer.data(), size);
    _exit(0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw ImageError("Die Datei ließ sich nicht lesen.");
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw ImageError("Die Datei ist beschädigt: die DICOM-Bibliothek hat das Lesen abgebrochen.");
  }
  std::uint64_t size = 0;
  std::memcpy(&size, memory.answer(), sizeof size);
  detail::DecodedHeader header =
      headerFrom(AnswerReader(std::string_view(memory.answer() + sizeof size, size)));
  const std::size_t count =
      static_cast<std::size_t>(header.width) * static_cast<std::size_t>(header.height);
  return imageFrom(std::move(header), memory.release(count));
}

#endif

}  // namespace

DicomImage ReadDicomImage(std::istream& stream) {
#ifdef QUANTELO_ISOLATED_DECODER
  return readIsolated(stream);
#else
  std::vector<std::uint16_t> pixels;
  detail::DecodedHeader header = withMessages([&] {
    return detail::DecodeDicom(stream, [&](std::size_t count) {
      pixels.resize(count);
      return pixels.data();
    });
  });
  return imageFrom(std::move(header), std::move(pixels));
#endif
}

DicomImage ReadDicomImage(const std::filesystem::path& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    throw ImageError(std::filesystem::exists(file, error) ? "Das ist keine Datei."
                                                          : "Die Datei gibt es nicht.");
  }
  std::ifstream stream(file, std::ios::in | std::ios::binary);
  if (!stream) throw ImageError("Die Datei lässt sich nicht öffnen.");
  return ReadDicomImage(stream);
}

}  // namespace imaging
