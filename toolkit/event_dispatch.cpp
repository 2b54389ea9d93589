#include "event_dispatch.h"

namespace toolkit {

namespace {
ErrorReport errorReport = nullptr;
}  // namespace

void SetErrorReport(ErrorReport report) {
  errorReport = report;
}

void Dispatch(const std::function<void()>& handler) noexcept {
  try {
    handler();
  } catch (...) {
    if (errorReport == nullptr) std::terminate();
    errorReport(std::current_exception());
  }
}

}  // namespace toolkit
