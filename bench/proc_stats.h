#pragma once

#include <sys/types.h>

#include <cstdint>
#include <vector>

namespace bench {

pid_t CurrentTid();

// What the kernel counts for one thread of this process.
struct ThreadSample {
    pid_t tid = 0;
    int64_t cpuNs = 0;  // user and system time, from the thread's CPU clock
    int64_t voluntarySwitches = 0;
    int64_t involuntarySwitches = 0;
};

std::vector<pid_t> ThreadIds();
bool SampleThread(pid_t tid, ThreadSample* sample);
// Only the processor time (one system call, no file read).
bool SampleCpu(pid_t tid, ThreadSample* sample);

// Time the thread has spent runnable but waiting for a processor (nanoseconds, from the
// scheduler's statistics); -1 when the kernel does not keep them.
int64_t RunQueueWaitNs(pid_t tid);

// Kibibytes from /proc/self/status ("VmHWM", "VmRSS"); -1 when absent.
int64_t StatusKib(const char* field);

}  // namespace bench
