#pragma once

// A PostgreSQL server of the test's own: a fresh cluster in a scratch folder, listening only on a
// socket in that folder, run as an unprivileged user when the test runs as root (the server
// refuses root). Stopped when the object goes, and killed with the test process should that die.

#include "store/store_address.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

namespace varmet::testing {

class TestPostgres
{
public:
    // Makes the cluster and starts the server; failure() says why it could not.
    TestPostgres();
    ~TestPostgres();

    const std::optional<QString> &failure() const { return m_failure; }

    // The whole server at once, as a crash would (SIGKILL), and up again on the same data.
    void kill();
    std::optional<QString> start();

    StoreAddress address(const QString &user, const QString &database) const;
    // Runs SQL as the superuser in `database`; the reason of a failure.
    std::optional<QString> exec(const QString &database, const QString &sql) const;
    // For a failure's message: whether the server runs, how it ended, and what it wrote.
    QString diagnosis();

private:
    std::optional<QString> run(const QString &program, const QStringList &args);
    void stop();

    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_bin;
    int m_port = 0;
    std::unique_ptr<QProcess> m_server;
    std::optional<QString> m_failure;
    QString m_output; // the server's own log, kept across restarts
};

} // namespace varmet::testing
