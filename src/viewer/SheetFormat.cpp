#include "SheetFormat.h"

#include "components/data/Cp936.h"

namespace SheetFormat {

QStringList splitPieces(const QString &text, const QString &separator)
{
    QStringList pieces;
    if (text.isEmpty() || separator.isEmpty())
        return text.isEmpty() ? pieces : QStringList{text};
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            break;
        pieces.append(text.mid(start, at - start));
        start = at + separator.size();
    }
    if (start < text.size())
        pieces.append(text.mid(start));
    return pieces;
}

QString encodeCell(const QString &cell)
{
    if (!cell.contains(QLatin1String("\r\n")))
        return cell;
    QString inner = cell;
    inner.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    inner.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

QString encode(const QList<QStringList> &rows)
{
    QString text;
    for (const QStringList &row : rows) {
        for (qsizetype j = 0; j < row.size(); ++j) {
            text += encodeCell(row.at(j));
            if (j + 1 < row.size())
                text += QLatin1Char('\t');
        }
        text += QLatin1String("\r\n");
    }
    return text;
}

namespace {

// Reads a quoted cell starting at pos (which holds the opening quotation
// mark). Returns the position just after the closing mark, or -1 when the
// text there is not a quoted cell written by encodeCell.
qsizetype readQuoted(const QString &line, qsizetype pos, QString &cell)
{
    QString inner;
    qsizetype i = pos + 1;
    while (i < line.size()) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"')) {
            if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                inner += c;
                i += 2;
                continue;
            }
            // Closing mark: it must end the cell.
            if (i + 1 < line.size() && line.at(i + 1) != QLatin1Char('\t'))
                return -1;
            if (!inner.contains(QLatin1Char('\n')))
                return -1;
            inner.replace(QLatin1String("\n"), QLatin1String("\r\n"));
            cell = inner;
            return i + 1;
        }
        inner += c;
        ++i;
    }
    return -1;
}

} // namespace

QStringList decodeLine(const QString &line)
{
    QStringList cells;
    if (line.isEmpty())
        return cells;
    qsizetype pos = 0;
    for (;;) {
        QString cell;
        qsizetype next = -1;
        if (pos < line.size() && line.at(pos) == QLatin1Char('"'))
            next = readQuoted(line, pos, cell);
        if (next < 0) {
            qsizetype tab = line.indexOf(QLatin1Char('\t'), pos);
            if (tab < 0)
                tab = line.size();
            cell = line.mid(pos, tab - pos);
            next = tab;
        }
        // Like the splitting of a line at TAB, an empty last piece adds no cell.
        if (next < line.size() || !cell.isEmpty())
            cells.append(cell);
        if (next >= line.size())
            break;
        pos = next + 1; // over the TAB
        if (pos >= line.size())
            break;
    }
    return cells;
}

QList<QStringList> decode(const QString &text)
{
    QList<QStringList> rows;
    const QStringList lines = splitPieces(text, QStringLiteral("\r\n"));
    rows.reserve(lines.size());
    for (const QString &line : lines)
        rows.append(decodeLine(line));
    return rows;
}

QString textOfBytes(const QByteArray &bytes)
{
    const qsizetype zero = bytes.indexOf('\0');
    return Cp936::decode(zero < 0 ? bytes : bytes.left(zero));
}

} // namespace SheetFormat
