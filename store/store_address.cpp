#include "store_address.h"

#include <QRegularExpression>
#include <QUrl>

namespace varmet {

QString StoreAddress::text() const
{
    if (kind == Kind::Sqlite)
        return QStringLiteral("sqlite:") + path;
    const QString shownHost = QString::fromLatin1(QUrl::toPercentEncoding(host, ":[]"));
    // Put together piece by piece: a percent-encoded host would read as placeholders.
    return QStringLiteral("postgresql://") + user + QLatin1Char('@') + shownHost + QLatin1Char(':')
        + QString::number(port) + QLatin1Char('/') + database;
}

std::variant<StoreAddress, QString> ParseStoreAddress(const QString &url)
{
    StoreAddress address;
    if (url.startsWith(QLatin1String("sqlite:"))) {
        address.path = url.mid(7);
        if (address.path.isEmpty())
            return QStringLiteral("В адресе хранилища «%1» не указан файл").arg(url);
        return address;
    }
    // No password in the address: "user:secret@" does not match.
    static const QRegularExpression postgres(QStringLiteral(
        R"(^postgres(?:ql)?://([^@/:?#\s]+)@([^/?#\s]*?)(?::(\d{1,5}))?/([^/?#\s]+)$)"));
    const QRegularExpressionMatch match = postgres.match(url);
    if (!match.hasMatch())
        return QStringLiteral("Адрес хранилища «%1» не понят: нужен sqlite:ФАЙЛ или "
                              "postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР:ПОРТ/БАЗА")
            .arg(url);
    address.kind = StoreAddress::Kind::Postgres;
    address.user = QUrl::fromPercentEncoding(match.captured(1).toUtf8());
    address.host = QUrl::fromPercentEncoding(match.captured(2).toUtf8());
    address.database = QUrl::fromPercentEncoding(match.captured(4).toUtf8());
    if (!match.captured(3).isEmpty()) {
        address.port = match.captured(3).toInt();
        if (address.port < 1 || address.port > 65535)
            return QStringLiteral("Порт %1 вне пределов 1…65535").arg(match.captured(3));
    }
    return address;
}

} // namespace varmet
