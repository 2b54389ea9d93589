// How every window runs its event handlers: an error that escapes one goes to the program's
// standard error report and never travels through Qt's frames. The shared units know no
// application class, so the application hands its report in when it is created.
#pragma once

#include <exception>
#include <functional>

namespace toolkit {

using ErrorReport = void (*)(std::exception_ptr error);

// The program's report. Until one is set an escaping error ends the program, as an error that
// nobody reports must not pass unseen.
void SetErrorReport(ErrorReport report);

void Dispatch(const std::function<void()>& handler) noexcept;

}  // namespace toolkit
