#pragma once

#include <QString>

// Text rules shared by the status query and the update check. All are pure
// functions: no state, nothing process-wide touched, safe on any thread.
namespace naxo {

// Part of a text with clamped bounds; positions count UTF-16 units from 1.
QString CopyText(const QString &text, int start, int count);

// A build text such as "v1.2.3-45" to a number where larger means newer.
double BuildInfoToNumber(const QString &buildInfo);

// Backslashes to slashes, trailing slashes removed, blanks to "%20".
QString ToUrlPath(const QString &text);

// The integer reading used for build parts, status members and sizes:
// leading blanks and one sign; a text that is wholly a (decimal, or "$"/"x"/
// "0x" hexadecimal) number gives its value; otherwise the value of the
// decimal digits after the blanks and the sign (sign dropped), 0 if none.
// Values beyond the range saturate at its limits instead of wrapping.
qint32 TextToInt32(const QString &text);
qint64 TextToInt64(const QString &text);

} // namespace naxo
