#include "decode_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "decode_answer.h"
#include "file_descriptor.h"

extern char** environ;

namespace imaging::detail {
namespace {

// The helper's error output kept for the cause; the rest is read and dropped.
constexpr std::size_t KeptErrorBytes = 4096;
// More than any answer: header facts are cut to 1 KiB each.
constexpr std::size_t AnswerBytes = 1 << 17;

[[noreturn]] void cannotStart(const std::string& cause) {
  throw ImageError("Der DICOM-Leser quantelo-decode ließ sich nicht starten.", cause);
}

// The helper process, ended and reaped whatever happens.
class Helper {
 public:
  Helper(const std::filesystem::path& program, int file, bool withPreview) {
    int socketEnds[2], errorEnds[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, socketEnds) != 0) {
      cannotStart(std::string("socketpair: ") + std::strerror(errno));
    }
    answer_.reset(socketEnds[0]);
    const FileDescriptor helperSocket(socketEnds[1]);
    if (pipe2(errorEnds, O_CLOEXEC) != 0)
      cannotStart(std::string("pipe2: ") + std::strerror(errno));
    errors_.reset(errorEnds[0]);
    const FileDescriptor helperErrors(errorEnds[1]);

    // Descriptors 0 to 3 as the helper expects them, nothing else: not the display's
    // connection, not the program's other files.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, file, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, helperErrors.get(), STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, helperSocket.get(), 3);
    posix_spawn_file_actions_addclosefrom_np(&actions, 4);
    // Signals as a new program expects them, whatever the caller's thread blocks or catches.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const std::string callerId = std::to_string(getpid());
    std::string programText = program.string();
    std::string previewFlag = "--preview";
    char* const arguments[] = {programText.data(), const_cast<char*>(callerId.c_str()),
                               withPreview ? previewFlag.data() : nullptr, nullptr};
    const int failed =
        posix_spawn(&process_, programText.c_str(), &actions, &attributes, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (failed != 0) cannotStart(programText + ": " + std::strerror(failed));
  }
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  // Whatever has not ended by now is ended.
  ~Helper() {
    if (process_ > 0) stop();
  }

  int answerSocket() const { return answer_.get(); }
  int errorPipe() const { return errors_.get(); }

  void stop() {
    kill(process_, SIGKILL);
    reap();
  }
  // The exit status as waitpid gives it; the process is gone afterwards.
  int reap() {
    int status = 0;
    while (waitpid(process_, &status, 0) < 0 && errno == EINTR) {
    }
    process_ = 0;
    return status;
  }
  // The same for a helper that has closed its descriptors and should end by itself; ended
  // by force when it has not by the deadline.
  int reapBy(std::chrono::steady_clock::time_point deadline) {
    int status = 0;
    while (waitpid(process_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() >= deadline) return (stop(), SIGKILL);
      usleep(1000);
    }
    process_ = 0;
    return status;
  }

  // Reads what the helper wrote to its error output, keeping the first KeptErrorBytes; closes
  // the pipe at its end.
  void readErrors() {
    std::array<char, 4096> chunk;
    const ssize_t got = read(errors_.get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) return;
    if (got <= 0) {
      errors_.reset();
      return;
    }
    errorText_.append(
        chunk.data(),
        std::min(std::size_t(got), KeptErrorBytes - std::min(KeptErrorBytes, errorText_.size())));
  }
  const std::string& errorText() const { return errorText_; }

 private:
  pid_t process_ = 0;
  FileDescriptor answer_;
  FileDescriptor errors_;
  std::string errorText_;
};

struct Answer {
  std::string bytes;
  FileDescriptor pixels;
};

// One message from the socket, with the descriptor it may carry; nullopt when the helper closed
// it without answering.
std::optional<Answer> receive(int socket) {
  Answer answer;
  answer.bytes.resize(AnswerBytes);
  iovec part{answer.bytes.data(), answer.bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t got;
  while ((got = recvmsg(socket, &message, MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
  }
  for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
       header = CMSG_NXTHDR(&message, header)) {
    if (header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS &&
        header->cmsg_len == CMSG_LEN(sizeof(int))) {
      int descriptor;
      std::memcpy(&descriptor, CMSG_DATA(header), sizeof descriptor);
      answer.pixels.reset(descriptor);
    }
  }
  if (got <= 0 || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0) return std::nullopt;
  answer.bytes.resize(std::size_t(got));
  return answer;
}

// The cause with what the helper said, on one line and without control characters, so that it
// reaches a terminal or a log as text.
std::string withErrorOutput(std::string cause, std::string errorText) {
  while (!errorText.empty() && (errorText.back() == '\n' || errorText.back() == ' '))
    errorText.pop_back();
  if (errorText.empty()) return cause;
  for (char& c : errorText) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return cause + "; error output: " + errorText;
}

// What an end without an answer means for the user.
[[noreturn]] void endedWithoutAnswer(int status, const std::string& errorText) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    const std::string cause = withErrorOutput(
        "signal " + std::to_string(signal) + " (" + strsignal(signal) + ")", errorText);
    // The file the helper maps was cut while it read it.
    if (signal == SIGBUS) throw ImageError(std::string(ChangedWhileRead), cause);
    if (signal == SIGKILL) {
      throw ImageError(
          "Das System hat das Lesen der Datei beendet, vermutlich weil der Arbeitsspeicher nicht "
          "reichte.",
          cause);
    }
    throw ImageError("Die Datei ist beschädigt: die DICOM-Bibliothek hat das Lesen abgebrochen.",
                     cause);
  }
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  const std::string cause = withErrorOutput("exit status " + std::to_string(code), errorText);
  // 127: the system's loader could not start it (a library missing).
  if (code == 127 || code == 2) cannotStart(cause);
  throw ImageError("Die Datei ließ sich nicht lesen: der DICOM-Leser endete ohne Antwort.", cause);
}

DicomImage imageFrom(Answer answer) {
  DecodedHeader header = DecodeAnswer(answer.bytes);
  const std::size_t bytes = std::size_t(header.width) * std::size_t(header.height) * 2;
  struct stat pixelFile {};
  const int seals = fcntl(answer.pixels.get(), F_GET_SEALS);
  if (answer.pixels.get() < 0 || fstat(answer.pixels.get(), &pixelFile) != 0 ||
      std::size_t(pixelFile.st_size) != bytes || seals < 0 ||
      (seals & (F_SEAL_SHRINK | F_SEAL_WRITE)) != (F_SEAL_SHRINK | F_SEAL_WRITE)) {
    throw ImageError("Die Datei ließ sich nicht lesen: die Antwort des DICOM-Lesers ist ungültig.");
  }
  void* const mapped = mmap(nullptr, bytes, PROT_READ, MAP_SHARED, answer.pixels.get(), 0);
  if (mapped == MAP_FAILED) {
    throw ImageError("Die Datei lässt sich nicht lesen: nicht genug Arbeitsspeicher frei.",
                     std::strerror(errno));
  }
  const std::span<const std::uint16_t> values(static_cast<const std::uint16_t*>(mapped), bytes / 2);
  return ImageFrom(std::move(header),
                   {std::shared_ptr<const void>(
                        mapped, [bytes](const void* p) { munmap(const_cast<void*>(p), bytes); }),
                    values});
}

}  // namespace

DicomImage DecodeInHelper(int file, const HelperRun& run) {
  const auto deadline = std::chrono::steady_clock::now() + run.timeLimit;
  Helper helper(run.program, file, static_cast<bool>(run.onPreview));
  std::optional<Answer> answer;
  bool answered = false;
  const int cancelled = run.cancellation != nullptr ? run.cancellation->descriptor() : -1;
  // Until the helper has answered and closed its error output (it ends then), or time is up.
  while (!answered || helper.errorPipe() >= 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      throw ImageError("Das Lesen der Datei dauerte länger als " +
                           std::to_string(run.timeLimit.count() / 1000) +
                           " s und wurde abgebrochen.",
                       withErrorOutput("time limit", helper.errorText()));
    }
    std::array<pollfd, 3> watched{{{answered ? -1 : helper.answerSocket(), POLLIN, 0},
                                   {helper.errorPipe(), POLLIN, 0},
                                   {cancelled, POLLIN, 0}}};
    if (poll(watched.data(), watched.size(), int(left.count())) < 0 && errno != EINTR) {
      throw ImageError("Die Datei ließ sich nicht lesen.",
                       std::string("poll: ") + std::strerror(errno));
    }
    if (run.cancellation != nullptr && run.cancellation->cancelled()) throw ReadCancelled();
    if (watched[1].revents != 0) helper.readErrors();
    if (watched[0].revents != 0) {
      answer = receive(helper.answerSocket());
      // A first picture comes before the image; anything else ends the answer.
      if (answer && IsPreviewAnswer(answer->bytes)) {
        DicomImage preview = imageFrom(std::move(*answer));
        if (run.onPreview) run.onPreview(std::move(preview));
        answer.reset();
      } else {
        answered = true;
      }
    }
  }
  const int status = helper.reapBy(deadline);
  if (!answer || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    endedWithoutAnswer(status, helper.errorText());
  }
  return imageFrom(std::move(*answer));
}

}  // namespace imaging::detail
