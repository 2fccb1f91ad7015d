// The benchmarks' figures: times, their medians, and memory from the kernel's account
// of this process.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <vector>

inline double Ms(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// A busy machine slows single runs: the median keeps one from deciding a figure.
inline double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// A "Vm...:" line of /proc/self/status in MB.
inline double StatusMb(const char* key)
{
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Each side's peak is its own: the kernel's high-water mark starts again from here.
inline void ResetPeak()
{
    QFile f("/proc/self/clear_refs");
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

inline double PeakMb() { return StatusMb("VmHWM:"); }
inline double ResidentMb() { return StatusMb("VmRSS:"); }
