#pragma once

// Where the class record lives: an SQLite file ("sqlite:PATH") or a PostgreSQL database
// ("postgresql://USER@HOST:PORT/DB"). A password never belongs to the address: it is asked, or
// taken from PGPASSWORD, and kept in memory only.

#include <QString>

#include <variant>

namespace varmet {

struct StoreAddress
{
    enum class Kind { Sqlite, Postgres };
    Kind kind = Kind::Sqlite;
    QString path; // SQLite: the file
    QString host; // PostgreSQL: a name, an address, or a socket folder (starting with '/')
    int port = 5432;
    QString database;
    QString user;

    bool isPostgres() const { return kind == Kind::Postgres; }
    // The address as written, host percent-encoded when it is a socket folder.
    QString text() const;
    friend bool operator==(const StoreAddress &, const StoreAddress &) = default;
};

// The address in `url`, or the reason it is none (in Russian).
std::variant<StoreAddress, QString> ParseStoreAddress(const QString &url);

} // namespace varmet
