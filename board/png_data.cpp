#include "png_data.h"

#include <QtEndian>

#include <cstdint>

namespace varmet {

std::optional<QString> CheckPngChunks(const QByteArray &file)
{
    static const QByteArray Signature("\x89PNG\r\n\x1a\n", 8);
    if (!file.startsWith(Signature))
        return std::nullopt;
    // Each chunk: length (4 bytes), type (4), data (length), check sum (4).
    qsizetype at = Signature.size();
    while (file.size() - at >= 12) {
        const std::uint32_t length = qFromBigEndian<std::uint32_t>(file.constData() + at);
        const QByteArray type = file.mid(at + 4, 4);
        const qint64 left = file.size() - at - 12;
        if (length > left)
            return QStringLiteral("часть «%1» длиной %2 байт выходит за конец файла")
                .arg(QString::fromLatin1(type.toPercentEncoding()))
                .arg(length);
        if (type == "IEND")
            return std::nullopt;
        at += 12 + static_cast<qsizetype>(length);
    }
    return QStringLiteral("файл обрывается до конца рисунка");
}

} // namespace varmet
