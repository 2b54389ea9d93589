// How the about window runs its event handlers: an error that escapes one goes to the program's
// standard error report and never travels through Qt's frames. The unit knows no application
// class, so the program hands its report in at start-up.
#pragma once

#include <exception>
#include <functional>

namespace about {

using ErrorReport = void (*)(std::exception_ptr error);

// The program's report. Until one is set an escaping error ends the program, as an error that
// nobody reports must not pass unseen.
void SetErrorReport(ErrorReport report);

void Dispatch(const std::function<void()>& handler) noexcept;

}  // namespace about
