#pragma once
// The CPU time this process has used so far, user and system, in seconds:
// what the benchmarks divide by their wall time.

#include <sys/resource.h>

inline double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}
