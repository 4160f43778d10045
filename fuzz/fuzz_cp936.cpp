// Code page 936 bytes come from sheets, pages and config.ini written by any
// program. Broken bytes must not lose the text around them, and what the
// program writes back must read back the same.

#include "FuzzSupport.h"

#include "components/data/Cp936.h"

#include <QStringDecoder>

namespace {

const QChar replacement(0xFFFD);

// True when the bytes are code page 936 only: single bytes below 0x80, the
// euro sign 0x80 and two-byte pairs. The four-byte GB18030 forms (second
// byte a digit) reach characters that code page 936 has no bytes for.
bool onlyCp936Pairs(const QByteArray &bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto lead = static_cast<unsigned char>(bytes.at(i));
        if (lead <= 0x80)
            continue;
        if (lead == 0xFF || i + 1 >= bytes.size())
            return false;
        const auto trail = static_cast<unsigned char>(bytes.at(i + 1));
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF)
            return false;
        ++i;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = bytesOf(data, size);

    const QString text = Cp936::decode(bytes);
    FUZZ_CHECK(text.isEmpty() == bytes.isEmpty());
    // Every byte gives at most one character: nothing is invented.
    FUZZ_CHECK(text.size() <= bytes.size());
    FUZZ_CHECK(text.isValidUtf16());

    const QByteArray written = Cp936::encode(text);
    // Every character gives one or two bytes, or one "?" when the code page
    // lacks it; four-byte forms never appear in what we write.
    const qsizetype characters = text.toUcs4().size();
    FUZZ_CHECK(written.size() >= characters && written.size() <= 2 * characters);
    FUZZ_CHECK(onlyCp936Pairs(written));

    if (!text.contains(replacement) && onlyCp936Pairs(bytes)) {
        const QString reread = Cp936::decode(written);
        if (reread != text) {
            std::fprintf(stderr, "bytes:   %s\ntext:    %s\nwritten: %s\nreread:  %s\n",
                         bytes.toHex(' ').constData(), shown(text).constData(),
                         written.toHex(' ').constData(), shown(reread).constData());
            FUZZ_CHECK(reread == text);
        }
    }

    // The UTF-8 test agrees with Qt's decoder: valid exactly when decoding
    // (a BOM kept as a character) and encoding again gives the same bytes.
    const bool valid = Cp936::isValidUtf8(bytes);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::ConvertInitialBom);
    const QString exact = utf8.decode(bytes);
    FUZZ_CHECK(valid == (exact.toUtf8() == bytes));

    // Valid UTF-8 is read as such, one leading BOM dropped; anything else as
    // code page 936.
    const QByteArray bom = QByteArrayLiteral("\xEF\xBB\xBF");
    const QString either = Cp936::decodeUtf8OrCp936(bytes);
    if (valid)
        FUZZ_CHECK(either == QString::fromUtf8(bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes));
    else
        FUZZ_CHECK(either == text);
    return 0;
}
