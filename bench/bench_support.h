// What every benchmark here needs: a clock, the median of its rounds, the
// machine's load beside the figures, and the programs it runs beside ruvok.
#ifndef RUVOK_BENCH_SUPPORT_H
#define RUVOK_BENCH_SUPPORT_H

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace bench {

// Seconds on the monotonic clock.
inline double Now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// The median of a row's rounds; -1 for none.
inline double Median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The machine's load average over the last minute: figures measured on a
// busy machine are worth less, and the ratios too.
inline double LoadAverage()
{
    std::ifstream in("/proc/loadavg");
    double load = -1;
    in >> load;
    return load;
}

// The path of a program on PATH, or empty.
inline std::string Which(const char* name)
{
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string full = dir + "/" + name;
        if (::access(full.c_str(), X_OK) == 0)
            return full;
    }
    return std::string();
}

}  // namespace bench

#endif
