#include "decoder_sandbox.h"

#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "imaging/dicom_image.h"

namespace decoder {
namespace {

std::uint64_t addressSpaceNow() {
  std::uint64_t pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  return pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
}

// What decoding with the DICOM library and its codecs asks of the kernel (glibc's allocator,
// threads, stdio on descriptors already open, abort), and the answer back.
constexpr const char* AllowedCalls[] = {
    "read",
    "pread64",
    "readv",
    "write",
    "writev",
    "lseek",
    "close",
    "fstat",
    "newfstatat",
    "statx",
    "fcntl",
    "mmap",
    "munmap",
    "mremap",
    "mprotect",
    "madvise",
    "brk",
    "futex",
    "set_robust_list",
    "get_robust_list",
    "rseq",
    "rt_sigprocmask",
    "rt_sigaction",
    "rt_sigreturn",
    "sigaltstack",
    "restart_syscall",
    "exit",
    "exit_group",
    "gettid",
    "getpid",
    "getppid",
    "sched_yield",
    "sched_getaffinity",
    "getrandom",
    "clock_gettime",
    "clock_getres",
    "gettimeofday",
    "nanosleep",
    "clock_nanosleep",
    "getrlimit",
    "sysinfo",
    // the pixel memory shared with the caller, and handing it over
    "memfd_create",
    "ftruncate",
    "sendmsg",
};

}  // namespace

bool TieToCaller(pid_t caller) {
  const rlimit noCore{0, 0};
  return setrlimit(RLIMIT_CORE, &noCore) == 0 && prctl(PR_SET_PDEATHSIG, SIGKILL) == 0 &&
         getppid() == caller;
}

void LimitAddressSpace(std::uint64_t soft, std::uint64_t hard) {
  static const std::uint64_t start = addressSpaceNow();
  // Within what the caller allowed: a limit it set (prlimit, ulimit) is not raised, and a lack
  // of memory under it is told as such when the image asks for more.
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0) limit.rlim_max = RLIM_INFINITY;
  limit.rlim_max = std::min<rlim_t>(limit.rlim_max, start + hard);
  limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, start + soft);
  if (setrlimit(RLIMIT_AS, &limit) != 0) {
    throw imaging::ImageError(
        "Die Datei lässt sich nicht lesen: die Speichergrenze des DICOM-Lesers ließ sich nicht "
        "setzen.",
        std::strerror(errno));
  }
}

void RequireAddressSpace(std::uint64_t bytes) {
  void* const trial =
      mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  if (trial == MAP_FAILED) {
    throw imaging::ImageError(
        "Die Datei lässt sich nicht lesen: nicht genug Arbeitsspeicher frei (" +
        std::to_string((bytes + (1u << 20) - 1) >> 20) + " MiB nötig).");
  }
  munmap(trial, bytes);
}

void EnterSandbox() {
  const std::unique_ptr<void, void (*)(scmp_filter_ctx)> filter(seccomp_init(SCMP_ACT_ERRNO(EPERM)),
                                                                seccomp_release);
  if (!filter) throw std::runtime_error("seccomp_init failed");
  const auto allow = [&](int call, unsigned count = 0, const scmp_arg_cmp* arguments = nullptr) {
    if (call == __NR_SCMP_ERROR) return;  // not a call on this processor
    const int result = seccomp_rule_add_array(filter.get(), SCMP_ACT_ALLOW, call, count, arguments);
    if (result != 0)
      throw std::runtime_error(std::string("seccomp_rule_add: ") + std::strerror(-result));
  };
  for (const char* name : AllowedCalls) allow(seccomp_syscall_resolve_name(name));
  // Threads, never a process; clone3 hides its flags, so it is refused as unknown and the
  // C library falls back to clone.
  // The first argument compared, written out: the library's SCMP_A0 leaves a field to its
  // default, which -Wmissing-field-initializers refuses.
  const auto firstArgument = [](scmp_compare op, scmp_datum_t a, scmp_datum_t b = 0) {
    return scmp_arg_cmp{0, op, a, b};
  };
  const scmp_arg_cmp thread = firstArgument(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD);
  allow(SCMP_SYS(clone), 1, &thread);
  seccomp_rule_add(filter.get(), SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0);
  // Signals to itself only (abort), limits of its own only.
  const scmp_arg_cmp self = firstArgument(SCMP_CMP_EQ, static_cast<scmp_datum_t>(getpid()));
  allow(SCMP_SYS(tgkill), 1, &self);
  const scmp_arg_cmp ownProcess = firstArgument(SCMP_CMP_EQ, 0);
  allow(SCMP_SYS(prlimit64), 1, &ownProcess);
  const int loaded = seccomp_load(filter.get());
  if (loaded == -EINVAL || loaded == -ENOSYS) return;  // a kernel without seccomp filters
  if (loaded != 0) throw std::runtime_error(std::string("seccomp_load: ") + std::strerror(-loaded));
}

}  // namespace decoder
