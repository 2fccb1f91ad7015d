// The benchmarks' memory figures, from the kernel's account of this process.
#pragma once

#include <QByteArray>
#include <QFile>

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
