#pragma once

// Keeps a console's runs: always in the local SQLite store first, and, when a class server is
// set, sent on to it. A finished run is reported kept once the local COMMIT is done; until the
// server has committed it too it waits in the local outbox, and every later send tries again
// (the server keeps a run once however often it comes).

#include "run_store.h"

#include <memory>
#include <optional>

namespace varmet {

class RunKeeper
{
public:
    explicit RunKeeper(StoreAddress local);
    ~RunKeeper();

    // The class server (nullopt: none); connected at the next send.
    void setServer(std::optional<StoreAddress> server, const QString &password = {});
    const std::optional<StoreAddress> &server() const { return m_serverAddress; }

    // The store the class journal reads: the server when set and reachable, else the local one.
    // The reason when neither opens.
    std::variant<RunStore *, QString> journalStore();
    std::variant<RunStore *, QString> localStore();

    // The run in progress, locally and (when it answers) on the server.
    std::optional<QString> Started(const RunStart &start);
    // The finished run: the reason when even the local store could not keep it.
    std::optional<QString> Finished(const RunRecord &run);

    struct Sending
    {
        int sent = 0;
        int waiting = 0;
        std::optional<QString> failure; // why the server took no more
    };
    // Sends what waits, oldest first, until the server fails.
    Sending Send();
    // How many finished runs wait for the server.
    int Waiting();

private:
    RunStore *serverStore(QString *failure);

    StoreAddress m_localAddress;
    std::unique_ptr<RunStore> m_local;
    std::optional<StoreAddress> m_serverAddress;
    QString m_password;
    std::unique_ptr<RunStore> m_server;
};

} // namespace varmet
