#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// The text form of an example sheet: one line per row ending in CR LF, the
/// cells of a row separated by TAB. A cell holding CR LF is written in
/// quotation marks, its CR LF as LF and its quotation marks doubled.
namespace SheetFormat {

/// Splits at every separator; the piece after the last separator counts only
/// when it is not empty, and an empty text gives no pieces.
QStringList splitPieces(const QString &text, const QString &separator);

/// One cell as it is written.
QString encodeCell(const QString &cell);
/// A sheet's text from its rows of cells.
QString encode(const QList<QStringList> &rows);

/// The cells of one stored line. A quoted cell (one that starts with a
/// quotation mark, holds an LF and closes with a quotation mark before a TAB
/// or the line's end) comes back as it was before saving: quotes undoubled,
/// LF back to CR LF, a TAB inside it kept. Any other cell is taken as written.
QStringList decodeLine(const QString &line);
/// The rows of a sheet text.
QList<QStringList> decode(const QString &text);

/// The text of stored sheet bytes: code page 936, up to the first zero byte.
QString textOfBytes(const QByteArray &bytes);

} // namespace SheetFormat
