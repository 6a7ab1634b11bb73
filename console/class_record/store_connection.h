#pragma once

// The class record's settings and questions: where the local store lives, which class server the
// console sends to (host, port, database, user; never the password, which is asked once a run of
// the program and kept in memory only), and who the trainee at this console is.

#include "store/run_record.h"
#include "store/store_address.h"

#include <QString>

#include <optional>

class QWidget;

namespace varmet {

namespace ClassSettings {

// The SQLite file in the user's data folder.
StoreAddress localStore();

// The class server set in "Подключение…"; none: this console keeps its runs to itself.
std::optional<StoreAddress> server();
void keepServer(const std::optional<StoreAddress> &server);

// The trainee named last at this console.
std::optional<Trainee> trainee();
void keepTrainee(const Trainee &trainee);

} // namespace ClassSettings

// What "Подключение…" settles: a server (or none) and its password.
struct ConnectionChoice
{
    std::optional<StoreAddress> server;
    QString password;
};

// The connection dialog, filled from `current`; nullopt when cancelled.
std::optional<ConnectionChoice> AskConnection(
    QWidget *parent, const std::optional<StoreAddress> &current);
// The password of `server`; nullopt when cancelled.
std::optional<QString> AskPassword(QWidget *parent, const StoreAddress &server);
// Who runs the exercise, filled from `current`; nullopt when cancelled. An empty name is not
// taken.
std::optional<Trainee> AskTrainee(QWidget *parent, const std::optional<Trainee> &current);

} // namespace varmet
