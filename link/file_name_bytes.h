#pragma once

#include <QByteArray>
#include <QString>

namespace velmora {

// A file name is bytes, not always UTF-8 (a link made under another locale, a name
// copied from a device's serial number). Names pass through these two so that such a
// name is found, mapped and opened as it is: valid UTF-8 is kept as text, every other
// byte as the lone code unit U+DC80 + byte, which no valid text holds (the convention
// of Python's file names). The two are each other's inverse.
QString nameFromBytes(const QByteArray& bytes);
QByteArray bytesOfName(const QString& name);

// Whether a character of such a name stands for a byte that is not UTF-8, and that byte.
bool isEscapedByte(const QString& name, qsizetype at);

} // namespace velmora
