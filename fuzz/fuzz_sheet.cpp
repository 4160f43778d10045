// Sheet bytes are stored in the catalogue by any writer. Reading them must
// never crash, and what a save writes must load back as the same cells.

#include "FuzzSupport.h"

#include "components/data/Cp936.h"
#include "viewer/SheetFormat.h"

namespace {

const QString crLf = QStringLiteral("\r\n");

// Whether the format carries a cell unchanged. A cell holding CR LF is
// quoted, its CR LF written as LF, so it cannot hold a lone LF (which comes
// back as CR LF) or a CR just before a CR LF (which writes a CR LF and splits
// the line). Any other cell is written as it stands, so it cannot hold a TAB.
bool carried(const QString &cell)
{
    if (cell.contains(crLf)) {
        return cell.count(QLatin1Char('\n')) == cell.count(crLf)
               && !cell.contains(QStringLiteral("\r\r\n"));
    }
    return !cell.contains(QLatin1Char('\t'));
}

// An unquoted cell that starts with a quotation mark reads as a quoted cell
// when an LF and a closing mark follow before the line ends, within it or
// in the cell after it; the format cannot tell the two apart.
bool readsAsQuoted(const QString &cell, const QString &rest)
{
    if (cell.contains(crLf) || !cell.startsWith(QLatin1Char('"')))
        return false;
    QString line = cell;
    if (!rest.isNull()) {
        line += QLatin1Char('\t');
        line += rest.contains(crLf) ? QLatin1Char('"') + rest + QLatin1Char('"') : rest;
    }
    return line.contains(QLatin1Char('\n')) && line.lastIndexOf(QLatin1Char('"')) > 0;
}

// The grid holds two columns: shorter rows are padded with empty cells,
// longer ones cut. A cell the format cannot carry is left empty.
QList<QStringList> asGrid(const QList<QStringList> &rows)
{
    QList<QStringList> grid;
    for (QStringList row : rows) {
        row.resize(2);
        for (QString &cell : row) {
            if (!carried(cell))
                cell.clear();
        }
        if (readsAsQuoted(row[0], row[1]))
            row[0].clear();
        if (readsAsQuoted(row[1], QString()))
            row[1].clear();
        grid.append(row);
    }
    return grid;
}

void report(const QList<QStringList> &expected, const QList<QStringList> &actual, const QString &text)
{
    std::fprintf(stderr, "sheet text: %s\n", shown(text).constData());
    for (const QStringList &row : expected)
        std::fprintf(stderr, "expected row: %s\n", shown(row.join(QStringLiteral(" | "))).constData());
    for (const QStringList &row : actual)
        std::fprintf(stderr, "actual row:   %s\n", shown(row.join(QStringLiteral(" | "))).constData());
}

// encode, then decode (and the same through the stored bytes when every
// character has a code page 936 form) must give the grid's cells back.
void checkRoundTrip(const QList<QStringList> &grid)
{
    const QString written = SheetFormat::encode(grid);
    FUZZ_CHECK(written.isEmpty() == grid.isEmpty());
    FUZZ_CHECK(written.isEmpty() || written.endsWith(crLf));
    FUZZ_CHECK(SheetFormat::splitPieces(written, crLf).size() == grid.size());
    const QList<QStringList> reread = asGrid(SheetFormat::decode(written));
    if (reread != grid) {
        report(grid, reread, written);
        FUZZ_CHECK(reread == grid);
    }

    const QByteArray stored = Cp936::encode(written);
    if (Cp936::decode(stored) == written) {
        FUZZ_CHECK(!stored.contains('\0') || written.contains(QChar(0)));
        if (written.contains(QChar(0)))
            return;
        const QList<QStringList> loaded = asGrid(SheetFormat::decode(SheetFormat::textOfBytes(stored)));
        if (loaded != grid) {
            report(grid, loaded, written);
            FUZZ_CHECK(loaded == grid);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);

    // Reading arbitrary bytes: text stops at the first zero byte, one row per
    // line.
    const QString text = SheetFormat::textOfBytes(bytes);
    FUZZ_CHECK(!text.contains(QChar(0)));
    const QList<QStringList> rows = SheetFormat::decode(text);
    FUZZ_CHECK(rows.size() == SheetFormat::splitPieces(text, crLf).size());
    checkRoundTrip(asGrid(rows));

    // Cells typed into the grid can hold anything a loaded sheet cannot (a
    // lone LF beside a CR LF, a TAB beside a CR LF): here byte 0x1E ends a
    // row and 0x1F a cell of the input read as UTF-8.
    QList<QStringList> typed;
    const QString cells = utf8Text(data, size);
    for (const QString &row : cells.split(QChar(0x1E)))
        typed.append(row.split(QChar(0x1F)));
    checkRoundTrip(asGrid(typed));
    return 0;
}
