#pragma once

#include <QByteArray>
#include <QString>

/// Reading of a Windows-style INI file, as private-profile reading does it:
/// section and key names match without regard to case, the first of
/// duplicate keys wins, blanks around names and values are dropped and a
/// value enclosed in matching quotes loses them. The file may be UTF-8 or
/// code page 936 (a file that is not valid UTF-8 is read as code page 936).
namespace IniFile {

/// The value, or the empty text for a missing file, section or key.
QString readValue(const QString &path, const QString &section, const QString &key);
/// The same over the file's bytes.
QString readValueFromBytes(const QByteArray &bytes, const QString &section, const QString &key);

} // namespace IniFile
