#pragma once

// A check the JSON library does not make: a name given twice in one object. The library keeps
// the last and says nothing, so a file could mean one thing to a reader that keeps the first.

#include <QByteArray>
#include <QString>

#include <optional>

namespace varmet {

// The first name that an object of the (already well-formed) JSON text `json` gives twice, with
// the names of the objects around it ("own.course"); none when every name is unique.
std::optional<QString> DuplicateJsonKey(const QByteArray &json);

} // namespace varmet
