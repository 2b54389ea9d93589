// The reader's side of the decoding helper: whatever the helper does, the caller gets an image or
// an ImageError with a message and the cause, within the time limit, and no process is left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "imaging/decode_process.h"
#include "imaging/file_descriptor.h"

namespace {

using namespace std::chrono_literals;

imaging::detail::FileDescriptor anyFile() {
  return imaging::detail::FileDescriptor(open("/proc/self/exe", O_RDONLY | O_CLOEXEC));
}

void expectNoChildLeft() {
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(DecodingHelper, EveryMisbehaviourIsAnImageErrorWithItsCause) {
  struct Case {
    const char* misbehaviour;
    const char* program;
    std::string message;
    std::string causePart;
  };
  const std::vector<Case> cases = {
      {"hang", MISBEHAVING_DECODER,
       "Das Lesen der Datei dauerte länger als 1 s und wurde abgebrochen.", "time limit"},
      {"abort", MISBEHAVING_DECODER,
       "Die Datei ist beschädigt: die DICOM-Bibliothek hat das Lesen abgebrochen.",
       "signal 6 (Aborted); error output: decoder: assertion failed"},
      {"garbage", MISBEHAVING_DECODER,
       "Die Datei ließ sich nicht lesen: die Antwort des DICOM-Lesers ist ungültig.", ""},
      {"silent", MISBEHAVING_DECODER,
       "Die Datei ließ sich nicht lesen: der DICOM-Leser endete ohne Antwort.", "exit status 3"},
      {"", "/nonexistent/quantelo-decode",
       "Der DICOM-Leser quantelo-decode ließ sich nicht starten.", "No such file or directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.misbehaviour);
    setenv("MISBEHAVIOUR", c.misbehaviour, 1);
    const auto start = std::chrono::steady_clock::now();
    try {
      imaging::detail::DecodeInHelper(anyFile().get(), {c.program, 1000ms, nullptr});
      ADD_FAILURE() << "decoded";
    } catch (const imaging::ImageError& error) {
      EXPECT_EQ(error.what(), c.message);
      EXPECT_NE(error.cause().find(c.causePart), std::string::npos) << error.cause();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    expectNoChildLeft();
  }
  unsetenv("MISBEHAVIOUR");
}

TEST(DecodingHelper, CancellingStopsItAtOnce) {
  setenv("MISBEHAVIOUR", "hang", 1);
  imaging::ReadCancellation cancellation;
  std::thread canceller([&] {
    std::this_thread::sleep_for(100ms);
    cancellation.cancel();
  });
  EXPECT_THROW(imaging::detail::DecodeInHelper(anyFile().get(),
                                               {MISBEHAVING_DECODER, 10000ms, &cancellation}),
               imaging::ReadCancelled);
  canceller.join();
  expectNoChildLeft();
  unsetenv("MISBEHAVIOUR");
}

}  // namespace
