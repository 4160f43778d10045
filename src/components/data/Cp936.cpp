#include "Cp936.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

namespace {

// Runs iconv over the whole input. An input sequence that cannot be
// converted is replaced (one byte or character at a time) instead of ending
// the conversion, so broken bytes never lose the text that follows them.
// What a unit that cannot be converted becomes instead of the replacement;
// an empty result keeps the replacement.
using Fallback = QByteArray (*)(const char *unit, size_t size);

QByteArray convert(const char *to, const char *from, const QByteArray &in, const QByteArray &replacement,
                   Fallback fallback = nullptr)
{
    QByteArray out;
    if (in.isEmpty())
        return out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return out;

    out.reserve(in.size() * 2);
    char *inPtr = const_cast<char *>(in.constData());
    size_t inLeft = static_cast<size_t>(in.size());
    std::vector<char> buffer(4096);
    const size_t step = std::string_view(from) == "UTF-32LE" ? 4 : 1;

    while (inLeft > 0) {
        char *outPtr = buffer.data();
        size_t outLeft = buffer.size();
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), static_cast<qsizetype>(buffer.size() - outLeft));
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: skip the offending unit and mark it.
        const size_t skip = std::min(step, inLeft);
        const QByteArray instead = fallback ? fallback(inPtr, skip) : QByteArray();
        out.append(instead.isEmpty() ? replacement : instead);
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush any shift state.
    char *outPtr = buffer.data();
    size_t outLeft = buffer.size();
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer.data(), static_cast<qsizetype>(buffer.size() - outLeft));
    iconv_close(cd);
    return out;
}

// A character iconv's GBK lacks: the user-defined areas of code page 936,
// which GB18030 decoding reads as private-use characters. GB18030 writes
// them as the same byte pairs; its four-byte forms are not code page 936.
QByteArray gb18030Pair(const char *unit, size_t size)
{
    // Opened once per thread: opening a descriptor costs far more than the
    // conversion of a character, and a text may hold many such characters.
    struct Descriptor
    {
        iconv_t cd = iconv_open("GB18030", "UTF-32LE");
        ~Descriptor()
        {
            if (cd != reinterpret_cast<iconv_t>(-1))
                iconv_close(cd);
        }
    };
    thread_local Descriptor writer;
    const iconv_t cd = writer.cd;
    QByteArray pair;
    if (cd == reinterpret_cast<iconv_t>(-1))
        return pair;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *inPtr = const_cast<char *>(unit);
    size_t inLeft = size;
    char bytes[8];
    char *outPtr = bytes;
    size_t outLeft = sizeof bytes;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0
        && sizeof bytes - outLeft == 2)
        pair = QByteArray(bytes, 2);
    return pair;
}

// Byte 0x80 is the euro sign in code page 936 (and GBK writes the sign so)
// but is no character in GB18030.
QByteArray euroByte(const char *unit, size_t size)
{
    if (size == 1 && static_cast<unsigned char>(*unit) == 0x80)
        return QByteArrayLiteral("\xE2\x82\xAC");
    return {};
}

} // namespace

namespace Cp936 {

QByteArray encode(const QString &text)
{
    if (text.isEmpty())
        return {};
    // UTF-32 keeps one unit per character, so a character with no code
    // page 936 form is replaced by exactly one "?".
    const QList<uint> ucs4 = text.toUcs4();
    const QByteArray in(reinterpret_cast<const char *>(ucs4.constData()), ucs4.size() * 4);
    return convert("GBK", "UTF-32LE", in, QByteArrayLiteral("?"), gb18030Pair);
}

QString decode(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    const QByteArray utf8 = convert("UTF-8", "GB18030", bytes, QByteArrayLiteral("\xEF\xBF\xBD"), euroByte);
    return QString::fromUtf8(utf8);
}

bool isValidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned min;
        unsigned cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1;
            min = 0x80;
            cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2;
            min = 0x800;
            cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3;
            min = 0x10000;
            cp = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n)
                return false;
            const unsigned char cc = p[i + k];
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString decodeUtf8OrCp936(const QByteArray &bytes)
{
    if (isValidUtf8(bytes)) {
        QByteArray b = bytes;
        if (b.startsWith("\xEF\xBB\xBF"))
            b.remove(0, 3);
        return QString::fromUtf8(b);
    }
    return decode(bytes);
}

} // namespace Cp936
