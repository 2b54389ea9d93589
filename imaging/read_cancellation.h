// Stopping an opening under way from another thread: the reader stops the decoding at once and
// raises ReadCancelled.
#pragma once

#include <atomic>

namespace imaging {

class ReadCancellation {
 public:
  ReadCancellation();
  ~ReadCancellation();
  ReadCancellation(const ReadCancellation&) = delete;
  ReadCancellation& operator=(const ReadCancellation&) = delete;

  // From any thread, any number of times.
  void cancel();
  bool cancelled() const { return cancelled_; }
  // Becomes readable once cancelled, for a wait that watches descriptors; -1 where there is none.
  int descriptor() const { return readEnd_; }

 private:
  std::atomic<bool> cancelled_{false};
  int readEnd_ = -1;
  int writeEnd_ = -1;
};

}  // namespace imaging
