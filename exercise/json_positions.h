#pragma once

// Where things stand in a JSON text, by line and column, so that a refusal can point the author of
// a file at the place: a byte offset as a line and column, and the place of every value of a
// well-formed document by its path ("own.course", "targets[1].number", "" for the whole).

#include <QByteArray>
#include <QString>

#include <map>

namespace varmet {

// Line and column, both counted from 1; the column counts characters, not bytes.
struct TextPosition
{
    int Line = 1;
    int Column = 1;
    friend bool operator==(const TextPosition &, const TextPosition &) = default;
};

// The position of byte `offset` of a UTF-8 text (clamped to the text).
TextPosition PositionAt(const QByteArray &utf8, qsizetype offset);

// Every value's position in a document that QJsonDocument accepts; a member's position is that of
// its name. Nothing for a text that is no such document.
std::map<QString, TextPosition> LocateJsonValues(const QByteArray &utf8);

// "строка L, столбец C"
QString PositionText(const TextPosition &position);

} // namespace varmet
