#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// Conversions between the program's text and the code page 936 bytes of
/// sheets, pages and config.ini. Decoding uses GB18030 (a superset that maps
/// every GBK byte pair the way Windows does, A1 AA to the em dash "—");
/// encoding uses GBK, so what we write is plain code page 936.
namespace Cp936 {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

/// True when the bytes are well-formed UTF-8 (an empty array is).
bool isValidUtf8(const QByteArray &bytes);

/// UTF-8 when the bytes are valid UTF-8 (a leading BOM is dropped), code page 936 otherwise.
QString decodeUtf8OrCp936(const QByteArray &bytes);

} // namespace Cp936
