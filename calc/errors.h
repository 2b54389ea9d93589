// The error objects raised by the calculation core.
#pragma once

#include <exception>
#include <string>

namespace calc {

// Common base of every error object; carries its message text, which may contain any byte.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// A text that is not a number.
class EConvertError : public Exception {
  using Exception::Exception;
};

// Errors that come from the floating-point unit.
class EExternal : public Exception {
  using Exception::Exception;
};

class EMathError : public EExternal {
  using EExternal::EExternal;
};

class EInvalidOp : public EMathError {
 public:
  EInvalidOp() : EMathError("Invalid floating point operation") {}
};

class EZeroDivide : public EMathError {
 public:
  EZeroDivide() : EMathError("Floating point division by zero") {}
};

class EOverflow : public EMathError {
 public:
  EOverflow() : EMathError("Floating point overflow") {}
};

class EUnderflow : public EMathError {
 public:
  EUnderflow() : EMathError("Floating point underflow") {}
};

}  // namespace calc
