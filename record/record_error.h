// A failure of the QA record: the user's message in German, the database's own words as the
// cause.
#pragma once

#include <stdexcept>
#include <string>

namespace record {

class RecordError : public std::runtime_error {
 public:
  explicit RecordError(const std::string& message, std::string cause = {})
      : std::runtime_error(message), cause_(std::move(cause)) {}
  const std::string& cause() const { return cause_; }

 private:
  std::string cause_;
};

// The team record's server cannot be reached (down, network gone, connection lost): what was to
// be saved may wait in the outbox.
class RecordUnreachable : public RecordError {
 public:
  using RecordError::RecordError;
};

// Someone else changed the same reference value or tolerance rule since it was shown: nothing
// was stored, and the message says what the other person entered.
class RecordConflict : public RecordError {
 public:
  using RecordError::RecordError;
};

}  // namespace record
