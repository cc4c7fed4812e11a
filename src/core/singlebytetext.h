#pragma once

#include <QByteArray>
#include <QString>

// The PC's single-byte code page is Windows-1252 on the Western systems the
// tool is used on; we use it on every platform so results do not depend on
// the machine's locale.
namespace naxo {

// One character per byte.
QString fromSingleByte(QByteArrayView bytes);

// Whether a character survives a round trip through the code page.
bool isSingleByteChar(QChar c);

// The device table's 8-bit text: characters outside the code page become
// "?", and the text is cut to maxLength characters.
QString toTableText(const QString &text, int maxLength);

} // namespace naxo
