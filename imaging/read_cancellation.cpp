#include "read_cancellation.h"

#include <fcntl.h>
#include <unistd.h>

namespace imaging {

ReadCancellation::ReadCancellation() {
  int ends[2];
  if (pipe(ends) != 0) return;
  for (const int end : ends) {
    fcntl(end, F_SETFD, FD_CLOEXEC);
    fcntl(end, F_SETFL, O_NONBLOCK);
  }
  readEnd_ = ends[0];
  writeEnd_ = ends[1];
}

ReadCancellation::~ReadCancellation() {
  if (readEnd_ >= 0) close(readEnd_);
  if (writeEnd_ >= 0) close(writeEnd_);
}

void ReadCancellation::cancel() {
  if (cancelled_.exchange(true) || writeEnd_ < 0) return;
  const char signal = 1;
  (void)!write(writeEnd_, &signal, 1);
}

}  // namespace imaging
