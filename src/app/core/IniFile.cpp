#include "IniFile.h"

#include "components/data/Cp936.h"

#include <QFile>
#include <QFileInfo>

namespace IniFile {

QString readValueFromBytes(const QByteArray &bytes, const QString &section, const QString &key)
{
    const QString text = Cp936::decodeUtf8OrCp936(bytes);
    bool inSection = false;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        QString line = text.mid(start, end - start);
        start = end + 1;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            const QString name = (close < 0 ? line.mid(1) : line.mid(1, close - 1)).trimmed();
            inSection = name.compare(section, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        if (line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2
            && ((value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
                || (value.startsWith(QLatin1Char('\'')) && value.endsWith(QLatin1Char('\''))))) {
            value = value.mid(1, value.size() - 2);
        }
        value.remove(QChar(0));
        return value;
    }
    return {};
}

QString readValue(const QString &path, const QString &section, const QString &key)
{
    // A named pipe or a device would keep the start-up waiting: only a
    // regular file is read.
    if (!QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    // A config file is a few lines; anything past 1 MiB is not one.
    return readValueFromBytes(file.read(1 << 20), section, key);
}

} // namespace IniFile
