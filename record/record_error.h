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

}  // namespace record
