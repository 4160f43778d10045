// config.ini is a file anyone can edit by hand: any bytes must give a
// one-line value or the empty text, never a crash.

#include "FuzzSupport.h"

#include "app/core/IniFile.h"
#include "components/data/Cp936.h"

namespace {

const QString keys[] = {QStringLiteral("ip"), QStringLiteral("用户名"), QStringLiteral("密码")};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);
    const QString text = Cp936::decodeUtf8OrCp936(bytes);
    for (const QString &key : keys) {
        const QString value = IniFile::readValueFromBytes(bytes, QStringLiteral("config"), key);
        FUZZ_CHECK(!value.contains(QLatin1Char('\n')));
        FUZZ_CHECK(!value.contains(QChar(0)));
        FUZZ_CHECK(value.size() <= text.size());
        // Names match without regard to case.
        FUZZ_CHECK(IniFile::readValueFromBytes(bytes, QStringLiteral("CONFIG"), key.toUpper()) == value);
    }

    // The first of duplicate keys wins: behind a section that already gives
    // the key, nothing the bytes hold can change its value.
    QByteArray framed = QByteArrayLiteral("[config]\nip=  \"10.0.0.1\"  \r\n");
    framed += bytes;
    FUZZ_CHECK(IniFile::readValueFromBytes(framed, QStringLiteral("config"), keys[0]) == QStringLiteral("10.0.0.1"));
    return 0;
}
