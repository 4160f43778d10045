#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

/// A property that must hold for every input. A broken one prints what was
/// expected and aborts, so libFuzzer keeps the input as a crash artifact.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzzFail(#condition, __FILE__, __LINE__);                                              \
    } while (false)

[[noreturn]] inline void fuzzFail(const char *what, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: property failed: %s\n", file, line, what);
    std::abort();
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

/// The input read as UTF-8 (broken sequences become U+FFFD), which keeps the
/// seed files readable.
inline QString utf8Text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
}

/// The input read as raw UTF-16 units, so every QChar can occur, lone
/// surrogates and NUL included.
inline QString utf16Text(const uint8_t *data, size_t size)
{
    QString text(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[static_cast<qsizetype>(i / 2)] = QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

/// A readable form of a text for failure reports: escapes for controls and
/// everything beyond ASCII.
inline QByteArray shown(const QString &text)
{
    QByteArray out;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x20 && u < 0x7F && u != '\\')
            out += char(u);
        else
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
    }
    return out;
}
