#include "run_keeper.h"

namespace varmet {

RunKeeper::RunKeeper(StoreAddress local)
    : m_localAddress(std::move(local))
{ }

RunKeeper::~RunKeeper() = default;

void RunKeeper::setServer(std::optional<StoreAddress> server, const QString &password)
{
    m_server.reset();
    m_serverAddress = std::move(server);
    m_password = password;
}

std::variant<RunStore *, QString> RunKeeper::localStore()
{
    if (!m_local) {
        auto opened = RunStore::Open(m_localAddress);
        if (auto *failure = std::get_if<QString>(&opened))
            return *failure;
        m_local = std::move(std::get<std::unique_ptr<RunStore>>(opened));
    }
    return m_local.get();
}

RunStore *RunKeeper::serverStore(QString *failure)
{
    if (!m_serverAddress)
        return nullptr;
    if (!m_server) {
        auto opened = RunStore::Open(*m_serverAddress, m_password);
        if (auto *reason = std::get_if<QString>(&opened)) {
            *failure = *reason;
            return nullptr;
        }
        m_server = std::move(std::get<std::unique_ptr<RunStore>>(opened));
    }
    return m_server.get();
}

std::variant<RunStore *, QString> RunKeeper::journalStore()
{
    QString failure;
    if (RunStore *server = serverStore(&failure))
        return server;
    if (m_serverAddress)
        return failure;
    return localStore();
}

std::optional<QString> RunKeeper::Started(const RunStart &start)
{
    auto local = localStore();
    if (auto *failure = std::get_if<QString>(&local))
        return *failure;
    if (auto failure = std::get<RunStore *>(local)->Begin(start))
        return failure;
    // The server's "in progress" row is a courtesy: the finished run is what must arrive. While
    // runs wait the server did not answer lately: the start does not wait for it again.
    QString unreachable;
    if (m_serverAddress && Waiting() == 0) {
        if (RunStore *server = serverStore(&unreachable))
            server->Begin(start);
    }
    return std::nullopt;
}

std::optional<QString> RunKeeper::Finished(const RunRecord &run)
{
    auto local = localStore();
    if (auto *failure = std::get_if<QString>(&local))
        return *failure;
    if (auto failure = std::get<RunStore *>(local)->Finish(run, m_serverAddress.has_value()))
        return failure;
    if (m_serverAddress)
        Send();
    return std::nullopt;
}

RunKeeper::Sending RunKeeper::Send()
{
    Sending sending;
    auto local = localStore();
    if (auto *failure = std::get_if<QString>(&local)) {
        sending.failure = *failure;
        return sending;
    }
    RunStore &store = *std::get<RunStore *>(local);
    const std::vector<QUuid> queued = store.Queued();
    sending.waiting = static_cast<int>(queued.size());
    if (queued.empty())
        return sending;
    QString unreachable;
    RunStore *server = serverStore(&unreachable);
    if (!server) {
        sending.failure = m_serverAddress ? unreachable : QStringLiteral("сервер не задан");
        return sending;
    }
    for (const QUuid &id : queued) {
        const std::optional<RunRecord> record = store.Record(id);
        if (!record) {
            sending.failure = QStringLiteral("учение %1 не читается из местного хранилища")
                                  .arg(id.toString(QUuid::WithoutBraces));
            break;
        }
        if (auto failure = server->Finish(*record)) {
            sending.failure = failure;
            break;
        }
        // Taken by the server; should this fail, the run is merely sent again later.
        store.Unqueue(id);
        ++sending.sent;
        --sending.waiting;
    }
    return sending;
}

int RunKeeper::Waiting()
{
    auto local = localStore();
    if (std::holds_alternative<QString>(local))
        return 0;
    return static_cast<int>(std::get<RunStore *>(local)->Queued().size());
}

} // namespace varmet
