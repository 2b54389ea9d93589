#include "first_window.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

// Long enough for the first paint after the map, so the peak memory includes it.
constexpr int PaintMilliseconds = 300;
constexpr int MapTimeoutMilliseconds = 30000;
constexpr int ExitTimeoutMilliseconds = 2000;

struct CloseDisplay {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, CloseDisplay>;

struct CloseFd {
  int fd;
  ~CloseFd() { close(fd); }
};

double nowMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// A window can be gone by the time its property is asked for; that is no reason to stop.
int ignoreXError(Display*, XErrorEvent*) {
  return 0;
}

// A connection that hears of every window mapped on the screen. Opened before the start, so
// no map can be missed.
DisplayPtr watchTopLevelMaps() {
  DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) return display;
  // The child must not inherit the connection.
  fcntl(ConnectionNumber(display.get()), F_SETFD, FD_CLOEXEC);
  XSetErrorHandler(ignoreXError);
  XSelectInput(display.get(), DefaultRootWindow(display.get()), SubstructureNotifyMask);
  XSync(display.get(), False);
  return display;
}

// A window without _NET_WM_PID cannot be told apart, so the first one counts.
bool belongsTo(Display* display, Window window, pid_t child) {
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Atom type;
  int format;
  unsigned long count;
  unsigned long remaining;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL,
                                        &type, &format, &count, &remaining, &data);
  bool result = true;
  if (status == Success && data != nullptr && format == 32 && count == 1) {
    result = static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == child;
  }
  if (data != nullptr) XFree(data);
  return result;
}

// Blocks on the X connection and the child together; returns the time of the map, or a
// negative value when the child ended or stalled first.
double waitForMap(Display* display, pid_t child, int childFd) {
  pollfd watched[] = {{ConnectionNumber(display), POLLIN, 0}, {childFd, POLLIN, 0}};
  for (;;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      const double mappedAt = nowMilliseconds();
      if (event.type == MapNotify && !event.xmap.override_redirect &&
          belongsTo(display, event.xmap.window, child)) {
        return mappedAt;
      }
    }
    if (poll(watched, 2, MapTimeoutMilliseconds) <= 0 || watched[1].revents != 0) return -1;
  }
}

// Debian 12's C library declares pidfd_open without C linkage, so C++ cannot link to it.
int openPidFd(pid_t child) {
  return static_cast<int>(syscall(SYS_pidfd_open, child, 0));
}

bool exitsWithin(int childFd, int milliseconds) {
  pollfd watched{childFd, POLLIN, 0};
  return poll(&watched, 1, milliseconds) > 0;
}

// Ends the child however it takes it; the kernel keeps its peak resident size either way.
double endAndPeakMebibytes(pid_t child, int childFd) {
  if (!exitsWithin(childFd, 0)) {
    kill(child, SIGTERM);
    if (!exitsWithin(childFd, ExitTimeoutMilliseconds)) kill(child, SIGKILL);
  }
  rusage usage{};
  wait4(child, nullptr, 0, &usage);
  return usage.ru_maxrss / 1024.0;
}

}  // namespace

std::optional<StartSample> MeasureStart(const char* program) {
  const DisplayPtr display = watchTopLevelMaps();
  if (!display) {
    std::fputs("startup-timer: cannot open the display\n", stderr);
    return std::nullopt;
  }

  const double startedAt = nowMilliseconds();
  const pid_t child = fork();
  if (child < 0) {
    std::perror("startup-timer: fork");
    return std::nullopt;
  }
  if (child == 0) {
    execl(program, program, static_cast<char*>(nullptr));
    std::perror(program);
    _exit(127);
  }
  const CloseFd childFd{openPidFd(child)};

  const double mappedAt = waitForMap(display.get(), child, childFd.fd);
  if (mappedAt >= 0) exitsWithin(childFd.fd, PaintMilliseconds);
  const double peak = endAndPeakMebibytes(child, childFd.fd);
  if (mappedAt < 0) return std::nullopt;
  return StartSample{mappedAt - startedAt, peak};
}
