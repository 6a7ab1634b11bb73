#include "store_connection.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace varmet {

namespace {

QSettings settings()
{
    return QSettings(QStringLiteral("Varmet"), QStringLiteral("varmet"));
}

QLineEdit *lineEdit(QWidget *parent, const char *name, const QString &text, int maxLength)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    return edit;
}

} // namespace

namespace ClassSettings {

StoreAddress localStore()
{
    StoreAddress local;
    local.path = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/class-record.db");
    return local;
}

std::optional<StoreAddress> server()
{
    QSettings s = settings();
    s.beginGroup(QStringLiteral("classServer"));
    if (!s.value(QStringLiteral("use")).toBool())
        return std::nullopt;
    StoreAddress a;
    a.kind = StoreAddress::Kind::Postgres;
    a.host = s.value(QStringLiteral("host")).toString();
    a.port = s.value(QStringLiteral("port"), 5432).toInt();
    a.database = s.value(QStringLiteral("database")).toString();
    a.user = s.value(QStringLiteral("user")).toString();
    // Whatever the file says, only what would be typed in the dialog is taken.
    if (a.port < 1 || a.port > 65535 || a.database.isEmpty() || a.user.isEmpty())
        return std::nullopt;
    return a;
}

void keepServer(const std::optional<StoreAddress> &server)
{
    QSettings s = settings();
    s.beginGroup(QStringLiteral("classServer"));
    s.setValue(QStringLiteral("use"), server.has_value());
    if (!server)
        return;
    s.setValue(QStringLiteral("host"), server->host);
    s.setValue(QStringLiteral("port"), server->port);
    s.setValue(QStringLiteral("database"), server->database);
    s.setValue(QStringLiteral("user"), server->user);
}

std::optional<Trainee> trainee()
{
    QSettings s = settings();
    s.beginGroup(QStringLiteral("trainee"));
    return MakeTrainee(
        s.value(QStringLiteral("name")).toString(), s.value(QStringLiteral("group")).toString());
}

void keepTrainee(const Trainee &trainee)
{
    QSettings s = settings();
    s.beginGroup(QStringLiteral("trainee"));
    s.setValue(QStringLiteral("name"), trainee.Name);
    s.setValue(QStringLiteral("group"), trainee.Group);
}

} // namespace ClassSettings

std::optional<ConnectionChoice> AskConnection(
    QWidget *parent, const std::optional<StoreAddress> &current)
{
    QDialog dialog(parent);
    dialog.setObjectName("ConnectionDialog");
    dialog.setWindowTitle(QStringLiteral("Подключение к серверу класса"));
    auto *column = new QVBoxLayout(&dialog);
    auto *useServer = new QCheckBox(QStringLiteral("Отправлять учения на сервер класса"), &dialog);
    useServer->setObjectName("ConnectionUseServer");
    useServer->setChecked(current.has_value());
    column->addWidget(useServer);
    auto *form = new QFormLayout;
    const StoreAddress shown = current.value_or(StoreAddress {});
    auto *host = lineEdit(&dialog, "ConnectionHost", shown.host, 255);
    auto *port = new QSpinBox(&dialog);
    port->setObjectName("ConnectionPort");
    port->setRange(1, 65535);
    port->setValue(current ? shown.port : 5432);
    auto *database = lineEdit(
        &dialog, "ConnectionDatabase", current ? shown.database : QStringLiteral("varmet"), 63);
    auto *user = lineEdit(&dialog, "ConnectionUser", shown.user, 63);
    auto *password = lineEdit(&dialog, "ConnectionPassword", {}, 256);
    password->setEchoMode(QLineEdit::Password);
    password->setToolTip(
        QStringLiteral("Пароль не сохраняется: он нужен один раз за работу программы"));
    form->addRow(QStringLiteral("Сервер:"), host);
    form->addRow(QStringLiteral("Порт:"), port);
    form->addRow(QStringLiteral("База данных:"), database);
    form->addRow(QStringLiteral("Пользователь:"), user);
    form->addRow(QStringLiteral("Пароль:"), password);
    column->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    column->addWidget(buttons);
    const auto refresh = [&] {
        for (QWidget *w : {static_cast<QWidget *>(host), static_cast<QWidget *>(port),
                 static_cast<QWidget *>(database), static_cast<QWidget *>(user),
                 static_cast<QWidget *>(password)})
            w->setEnabled(useServer->isChecked());
        buttons->button(QDialogButtonBox::Ok)
            ->setEnabled(!useServer->isChecked()
                || (!database->text().trimmed().isEmpty() && !user->text().trimmed().isEmpty()));
    };
    QObject::connect(useServer, &QCheckBox::toggled, &dialog, refresh);
    QObject::connect(database, &QLineEdit::textChanged, &dialog, refresh);
    QObject::connect(user, &QLineEdit::textChanged, &dialog, refresh);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    refresh();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    ConnectionChoice choice;
    if (useServer->isChecked()) {
        StoreAddress a;
        a.kind = StoreAddress::Kind::Postgres;
        a.host = host->text().trimmed();
        a.port = port->value();
        a.database = database->text().trimmed();
        a.user = user->text().trimmed();
        choice.server = a;
        choice.password = password->text();
    }
    return choice;
}

std::optional<QString> AskPassword(QWidget *parent, const StoreAddress &server)
{
    bool ok = false;
    const QString password = QInputDialog::getText(parent, QStringLiteral("Пароль сервера класса"),
        QStringLiteral("Пароль пользователя %1 на %2:").arg(server.user, server.text()),
        QLineEdit::Password, {}, &ok);
    if (!ok)
        return std::nullopt;
    return password;
}

std::optional<Trainee> AskTrainee(QWidget *parent, const std::optional<Trainee> &current)
{
    QDialog dialog(parent);
    dialog.setObjectName("TraineeDialog");
    dialog.setWindowTitle(QStringLiteral("Обучаемый"));
    auto *form = new QFormLayout(&dialog);
    auto *name = lineEdit(
        &dialog, "TraineeName", current ? current->Name : QString(), MaxTraineeNameLength);
    auto *group = lineEdit(
        &dialog, "TraineeGroup", current ? current->Group : QString(), MaxTraineeGroupLength);
    form->addRow(QStringLiteral("Фамилия, имя:"), name);
    form->addRow(QStringLiteral("Группа:"), group);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    form->addRow(buttons);
    const auto refresh = [&] {
        buttons->button(QDialogButtonBox::Ok)->setEnabled(!name->text().trimmed().isEmpty());
    };
    QObject::connect(name, &QLineEdit::textChanged, &dialog, refresh);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    refresh();
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return MakeTrainee(name->text(), group->text());
}

} // namespace varmet
