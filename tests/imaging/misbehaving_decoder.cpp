// A stand-in for the decoding helper that misbehaves as MISBEHAVIOUR says: "hang" never ends,
// "abort" says why on its error output and aborts, "garbage" answers what is no answer,
// "silent" ends without answering.
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main() {
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const std::string_view misbehaviour = std::getenv("MISBEHAVIOUR");
  if (misbehaviour == "hang") {
    for (;;) pause();
  }
  if (misbehaviour == "abort") {
    std::fputs("decoder: assertion failed\n", stderr);
    std::abort();
  }
  if (misbehaviour == "garbage") {
    send(3, "\x01garbage", 8, 0);
    return 0;
  }
  return 3;
}
