#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// The program-wide record: the selected catalogue item, the connection
/// mode, the config.ini values and the work lists. Created before the first
/// window, released by the exit routine.
struct ProgramState
{
    QString currentItemId;
    QString currentItemName;
    QString currentSql;
    QString currentMode;
    QByteArray currentSheetBytes;
    int sqlServerMode = 0;
    QStringList sheetLines;
    QStringList sheetCells;
    QStringList tableNames;
    int accessMode = 0;
    QByteArray pendingSheetBytes;
    QString currentTableName;
    QString lastQuerySql;
    QStringList columnNames;
    QStringList columnTypes;
    QList<int> columnLengths;
    QString serverAddress;
    QString serverUser;
    QString serverPassword;

    /// The exit routine: releases every text, buffer and list.
    void release() { *this = ProgramState(); }
};
