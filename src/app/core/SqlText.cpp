#include "SqlText.h"

#include <cmath>
#include <cstdio>

QString quoteSqlText(const QString &text)
{
    QString quoted;
    quoted.reserve(text.size() + 2);
    quoted += QLatin1Char('\'');
    for (const QChar c : text) {
        quoted += c;
        if (c == QLatin1Char('\''))
            quoted += QLatin1Char('\'');
    }
    quoted += QLatin1Char('\'');
    return quoted;
}

QString formatNumber13(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return QString::fromLatin1(buffer);
}
