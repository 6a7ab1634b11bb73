#pragma once

// The process's resident memory, for checks that memory does not grow with the ticks.

#include <QByteArray>
#include <QFile>

namespace varmet::testing {

inline long residentKilobytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return -1;
}

} // namespace varmet::testing
