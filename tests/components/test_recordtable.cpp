// The record set's storage of texts and binary values: every value reads
// back as stored whatever its size, across block ends and in blocks of
// their own, and a value's block outlives the table for whoever keeps it.
#include "components/data/RecordTable.h"

#include <QtTest>

#include <memory>

namespace {

QByteArray valueOf(int index, qsizetype size)
{
    QByteArray value(size, char('a' + index % 26));
    if (size > 0)
        value[size - 1] = char('0' + index % 10);
    return value;
}

} // namespace

class TestRecordTable : public QObject
{
    Q_OBJECT

private slots:
    void valuesReadBackAsStored_data();
    void valuesReadBackAsStored();
    void blockOutlivesTable();
};

void TestRecordTable::valuesReadBackAsStored_data()
{
    QTest::addColumn<qsizetype>("size");
    const qsizetype block = 2 * 1024 * 1024;
    QTest::newRow("empty") << qsizetype(0);
    QTest::newRow("one byte") << qsizetype(1);
    QTest::newRow("a remark") << qsizetype(120);
    QTest::newRow("longest in a shared block") << block - 2;
    QTest::newRow("first in a block of its own") << block - 1;
    QTest::newRow("a block") << block;
    QTest::newRow("several blocks") << 5 * block + 3;
}

// Values of one size between small ones, in a text and a binary column.
void TestRecordTable::valuesReadBackAsStored()
{
    QFETCH(qsizetype, size);
    RecordTable table;
    table.addColumn(QStringLiteral("text"));
    table.addColumn(QStringLiteral("blob"));
    QList<QByteArray> texts;
    QList<QByteArray> blobs;
    for (int row = 0; row < 12; ++row) {
        texts.append(row % 3 == 1 ? valueOf(row, size) : valueOf(row, 1 + row * 7919 % 3000));
        blobs.append(row % 4 == 2 ? valueOf(row + 5, size) : valueOf(row + 5, row));
        table.appendText(0, texts.last().constData(), texts.last().size());
        table.appendBlob(1, blobs.last().constData(), blobs.last().size());
        table.finishRow();
    }
    // A value replaced later goes to the end of the storage.
    texts[4] = valueOf(99, size);
    table.setText(4, 0, texts[4]);

    for (int row = 0; row < 12; ++row) {
        QCOMPARE(table.kind(row, 0), CellKind::Text);
        QCOMPARE(table.kind(row, 1), CellKind::Blob);
        QVERIFY2(table.bytes(row, 0) == texts[row], qPrintable(QStringLiteral("text of row %1").arg(row)));
        QVERIFY2(table.bytes(row, 1) == blobs[row], qPrintable(QStringLiteral("blob of row %1").arg(row)));
        // The owner's block holds the bytes.
        const char *start = table.bytesOwner(row, 0).get();
        QVERIFY(start && start <= table.bytes(row, 0).data());
    }
}

void TestRecordTable::blockOutlivesTable()
{
    std::shared_ptr<const char> kept;
    QByteArrayView view;
    {
        RecordTable table;
        table.addColumn(QStringLiteral("name"));
        table.addColumn(QStringLiteral("n"));
        table.appendText(0, "学生42", qsizetype(qstrlen("学生42")));
        table.appendInteger(1, 42);
        table.finishRow();
        QVERIFY(!table.bytesOwner(0, 1)); // no bytes behind an integer
        kept = table.bytesOwner(0, 0);
        view = table.bytes(0, 0);
    }
    QCOMPARE(QString::fromUtf8(view), QStringLiteral("学生42"));
}

QTEST_APPLESS_MAIN(TestRecordTable)
#include "test_recordtable.moc"
