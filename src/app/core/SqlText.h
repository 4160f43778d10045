#pragma once

#include <QString>

/// Text that goes into SQL: every single quote doubled, the whole enclosed
/// in single quotes. Used for every text the user typed.
QString quoteSqlText(const QString &text);

/// Plain decimal digits of a number as SQL and messages print it: at most
/// 13 significant digits, no trailing zeros (3.0 prints as 3).
QString formatNumber13(double value);
