// The decoding helper's limits and rights: it ends with its caller, leaves no core file, gets no
// more memory than the image it declares needs, and once its input is open it can compute,
// allocate, start threads and use the descriptors it has, nothing else.
#pragma once

#include <sys/types.h>

#include <cstdint>

namespace decoder {

// Ends this process when the thread that started it ends (the caller waits in it), and keeps the
// kernel from writing a core file. False when either cannot be set or the caller is gone.
bool TieToCaller(pid_t caller);

// Lets this process's address space grow by at most soft bytes beyond its size at the first call,
// and never again by more than hard bytes: a process cannot raise its hard limit, so the first
// call sets it to the most any image may need, and a later one raises the soft limit to what
// the image declared and lowers the hard one to it. Never above a hard limit the caller set.
// Raises ImageError when the kernel refuses.
void LimitAddressSpace(std::uint64_t soft, std::uint64_t hard);

// Raises ImageError when the address space cannot grow by bytes now, so that a lack of memory is
// told as such, with the figure, before the DICOM library, which takes a failed allocation for
// damage, meets it.
void RequireAddressSpace(std::uint64_t bytes);

// Allows only the system calls that decoding needs: no file opened, no program run, no process
// started, no connection made, no signal sent to another process. Raises std::runtime_error with
// the reason when the kernel refuses the filter; returns quietly where it has no such filter.
void EnterSandbox();

}  // namespace decoder
