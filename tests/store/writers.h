#pragma once

// Many trainee consoles at once: store_writer processes started together, and the runs each
// reported saved.

#include <QProcess>
#include <QSet>
#include <QString>

#include <memory>
#include <vector>

namespace varmet::testing {

struct WritersOutcome
{
    QStringList saved; // every "saved" id, as reported
    QStringList failures; // what the writers that failed said
};

inline WritersOutcome RunWriters(const QString &url, int processes, int runsEach, bool twice)
{
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int i = 0; i < processes; ++i) {
        auto p = std::make_unique<QProcess>();
        QStringList args {url, QString::number(runsEach), QStringLiteral("Курсант %1").arg(i)};
        if (twice)
            args << QStringLiteral("--twice");
        p->start(QStringLiteral(STORE_WRITER), args);
        writers.push_back(std::move(p));
    }
    WritersOutcome outcome;
    for (auto &p : writers) {
        p->waitForFinished(-1);
        for (const QByteArray &line : p->readAllStandardOutput().split('\n')) {
            if (line.startsWith("saved "))
                outcome.saved << QString::fromLatin1(line.mid(6));
        }
        if (p->exitStatus() != QProcess::NormalExit || p->exitCode() != 0)
            outcome.failures << QString::fromLocal8Bit(p->readAllStandardError());
    }
    return outcome;
}

} // namespace varmet::testing
