#include "bench/proc_stats.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {

namespace {

// The CPU clock of another thread of this process, encoded as the C library does for
// pthread_getcpuclockid: per-thread, scheduler time.
clockid_t ThreadCpuClock(pid_t tid) {
    return static_cast<clockid_t>((~static_cast<unsigned>(tid) << 3) | 6u);
}

int64_t FieldOf(const std::string& path, const char* field) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return -1;
    }
    const size_t length = std::strlen(field);
    char line[256];
    int64_t value = -1;
    while (std::fgets(line, sizeof line, file) != nullptr) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') {
            value = std::strtoll(line + length + 1, nullptr, 10);
            break;
        }
    }
    std::fclose(file);
    return value;
}

}  // namespace

pid_t CurrentTid() {
    return static_cast<pid_t>(syscall(SYS_gettid));
}

std::vector<pid_t> ThreadIds() {
    std::vector<pid_t> ids;
    DIR* dir = opendir("/proc/self/task");
    if (dir == nullptr) {
        return ids;
    }
    while (dirent* entry = readdir(dir)) {
        const long id = std::strtol(entry->d_name, nullptr, 10);
        if (id > 0) {
            ids.push_back(static_cast<pid_t>(id));
        }
    }
    closedir(dir);
    return ids;
}

bool SampleCpu(pid_t tid, ThreadSample* sample) {
    timespec cpu{};
    if (clock_gettime(ThreadCpuClock(tid), &cpu) != 0) {
        return false;
    }
    sample->tid = tid;
    sample->cpuNs = static_cast<int64_t>(cpu.tv_sec) * 1000000000 + cpu.tv_nsec;
    return true;
}

bool SampleThread(pid_t tid, ThreadSample* sample) {
    if (!SampleCpu(tid, sample)) {
        return false;
    }
    const std::string status = "/proc/self/task/" + std::to_string(tid) + "/status";
    sample->voluntarySwitches = FieldOf(status, "voluntary_ctxt_switches");
    sample->involuntarySwitches = FieldOf(status, "nonvoluntary_ctxt_switches");
    return sample->voluntarySwitches >= 0;
}

int64_t RunQueueWaitNs(pid_t tid) {
    const std::string path = "/proc/self/task/" + std::to_string(tid) + "/schedstat";
    FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) {
        return -1;
    }
    long long running = 0, waiting = -1;
    if (std::fscanf(file, "%lld %lld", &running, &waiting) != 2) {
        waiting = -1;
    }
    std::fclose(file);
    return waiting;
}

int64_t StatusKib(const char* field) {
    return FieldOf("/proc/self/status", field);
}

}  // namespace bench
