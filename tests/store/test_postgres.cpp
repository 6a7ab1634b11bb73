#include "test_postgres.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>

#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace varmet::testing {

namespace {

struct Account
{
    uid_t uid = 0;
    gid_t gid = 0;
    bool switchTo = false;
};

// Root runs the server as "postgres" (or "nobody").
Account serverAccount()
{
    Account account;
    if (geteuid() != 0)
        return account;
    for (const char *name : {"postgres", "nobody"}) {
        if (const passwd *pw = getpwnam(name)) {
            account = {pw->pw_uid, pw->pw_gid, true};
            break;
        }
    }
    return account;
}

QString newestBinDir()
{
    QDir base(QStringLiteral("/usr/lib/postgresql"));
    QStringList versions = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
        [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
    for (const QString &v : versions) {
        const QString bin = base.filePath(v + QStringLiteral("/bin"));
        if (QFile::exists(bin + QStringLiteral("/postgres")))
            return bin;
    }
    return {};
}

void asServerAccount(QProcess &process, bool ownGroup)
{
    const Account account = serverAccount();
    process.setChildProcessModifier([account, ownGroup] {
        if (ownGroup)
            ::setsid(); // killed as one group: the postmaster and its backends
        if (account.switchTo) {
            ::setgroups(0, nullptr);
            if (::setgid(account.gid) != 0 || ::setuid(account.uid) != 0)
                ::_exit(126);
        }
        // Gone with the test, whatever ends it.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
}

} // namespace

TestPostgres::TestPostgres()
{
    m_bin = newestBinDir();
    if (m_bin.isEmpty()) {
        m_failure = QStringLiteral("no PostgreSQL server under /usr/lib/postgresql");
        return;
    }
    m_scratch
        = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/varmet-pg-XXXXXX"));
    const Account account = serverAccount();
    if (account.switchTo && ::chown(qPrintable(m_scratch->path()), account.uid, account.gid) != 0) {
        m_failure = QStringLiteral("cannot hand the scratch folder to the server's account");
        return;
    }
    m_port = 20000 + static_cast<int>(::getpid() % 20000);
    m_failure = run(m_bin + QStringLiteral("/initdb"),
        {QStringLiteral("-D"), m_scratch->filePath(QStringLiteral("data")), QStringLiteral("-U"),
            QStringLiteral("postgres"), QStringLiteral("-A"), QStringLiteral("trust"),
            QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-sync")});
    if (!m_failure)
        m_failure = start();
}

TestPostgres::~TestPostgres()
{
    stop();
}

std::optional<QString> TestPostgres::run(const QString &program, const QStringList &args)
{
    QProcess process;
    asServerAccount(process, false);
    process.setWorkingDirectory(m_scratch->path());
    process.start(program, args);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return program + QStringLiteral(" failed: ")
            + QString::fromLocal8Bit(process.readAllStandardError());
    return std::nullopt;
}

std::optional<QString> TestPostgres::start()
{
    // A server killed a moment ago may still be letting go of its shared memory: try again.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (m_server)
            m_output += QString::fromLocal8Bit(m_server->readAll());
        m_server = std::make_unique<QProcess>();
        asServerAccount(*m_server, true);
        m_server->setProcessChannelMode(QProcess::MergedChannels);
        m_server->setWorkingDirectory(m_scratch->path());
        m_server->start(m_bin + QStringLiteral("/postgres"),
            {QStringLiteral("-D"), m_scratch->filePath(QStringLiteral("data")),
                QStringLiteral("-k"), m_scratch->path(), QStringLiteral("-p"),
                QString::number(m_port), QStringLiteral("-c"), QStringLiteral("listen_addresses="),
                QStringLiteral("-c"), QStringLiteral("max_connections=120"), QStringLiteral("-c"),
                QStringLiteral("shared_buffers=16MB"),
                // The tests kill the server, not the machine: what the server wrote stays in the
                // system's cache. With fsync on, every start after a kill first syncs the whole
                // data folder, which under a busy disk took longer than any writer waits.
                QStringLiteral("-c"), QStringLiteral("fsync=off")});
        if (!m_server->waitForStarted(-1))
            return QStringLiteral("postgres does not start");
        // Ready once it takes a connection; or it ended and is tried again.
        for (int wait = 0; wait < 600 && m_server->state() == QProcess::Running; ++wait) {
            if (!exec(QStringLiteral("postgres"), QStringLiteral("SELECT 1")))
                return std::nullopt;
            QThread::msleep(100);
        }
        m_server->waitForFinished(-1);
        QThread::msleep(200);
    }
    return QStringLiteral("postgres never answered: ")
        + QString::fromLocal8Bit(m_server->readAll());
}

void TestPostgres::kill()
{
    if (!m_server || m_server->state() == QProcess::NotRunning)
        return;
    ::kill(-static_cast<pid_t>(m_server->processId()), SIGKILL);
    m_server->waitForFinished(-1);
}

void TestPostgres::stop()
{
    if (!m_server || m_server->state() == QProcess::NotRunning)
        return;
    // A fast shutdown; should the server linger, the whole group goes.
    ::kill(static_cast<pid_t>(m_server->processId()), SIGINT);
    if (!m_server->waitForFinished(30000))
        kill();
}

QString TestPostgres::diagnosis()
{
    if (!m_server)
        return QStringLiteral("no server started");
    // Nothing reads a running server's output until asked: take what it has written by now.
    while (m_server->state() == QProcess::Running && m_server->waitForReadyRead(200))
        m_output += QString::fromLocal8Bit(m_server->readAll());
    m_output += QString::fromLocal8Bit(m_server->readAll());
    const QString state = m_server->state() == QProcess::Running
        ? QStringLiteral("running, pid %1").arg(m_server->processId())
        : QStringLiteral("ended (%1, code %2)")
              .arg(m_server->exitStatus() == QProcess::CrashExit ? QStringLiteral("signal")
                                                                 : QStringLiteral("exit"))
              .arg(m_server->exitCode());
    return QStringLiteral("server %1; its log:\n%2").arg(state, m_output);
}

StoreAddress TestPostgres::address(const QString &user, const QString &database) const
{
    StoreAddress a;
    a.kind = StoreAddress::Kind::Postgres;
    a.host = m_scratch ? m_scratch->path() : QString();
    a.port = m_port;
    a.user = user;
    a.database = database;
    return a;
}

std::optional<QString> TestPostgres::exec(const QString &database, const QString &sql) const
{
    const QString name = QUuid::createUuid().toString();
    std::optional<QString> failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        const StoreAddress a = address(QStringLiteral("postgres"), database);
        db.setHostName(a.host);
        db.setPort(a.port);
        db.setUserName(a.user);
        db.setDatabaseName(a.database);
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery query(db);
            if (!query.exec(sql))
                failure = query.lastError().text();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return failure;
}

} // namespace varmet::testing
