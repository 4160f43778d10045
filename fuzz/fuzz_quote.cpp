// quoteSqlText puts user text into SQL; a single stray quote would end the
// string literal early and let the rest run as SQL.

#include "FuzzSupport.h"

#include "app/core/SqlText.h"

namespace {

void checkQuoted(const QString &text)
{
    const QString quoted = quoteSqlText(text);
    FUZZ_CHECK(quoted.size() >= 2);
    FUZZ_CHECK(quoted.front() == QLatin1Char('\''));
    FUZZ_CHECK(quoted.back() == QLatin1Char('\''));
    FUZZ_CHECK(quoted.size() == text.size() + 2 + text.count(QLatin1Char('\'')));

    // Inside the enclosing pair every quote comes doubled, so the literal
    // cannot end early; taking one of each pair gives the text back.
    QString undoubled;
    const qsizetype end = quoted.size() - 1;
    for (qsizetype i = 1; i < end; ++i) {
        const QChar c = quoted.at(i);
        if (c == QLatin1Char('\'')) {
            FUZZ_CHECK(i + 1 < end && quoted.at(i + 1) == QLatin1Char('\''));
            ++i;
        }
        undoubled += c;
    }
    if (undoubled != text) {
        std::fprintf(stderr, "text:   %s\nquoted: %s\n", shown(text).constData(), shown(quoted).constData());
        FUZZ_CHECK(undoubled == text);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkQuoted(utf8Text(data, size));
    checkQuoted(utf16Text(data, size));
    return 0;
}
