#pragma once

#include <QWidget>

class QLabel;

/// The main window's status bar: two text parts side by side.
class StatusBar : public QWidget
{
public:
    explicit StatusBar(QWidget *parent = nullptr);

    void setPartText(int part, const QString &text);
    /// The part's text; empty for a part that does not exist.
    QString partText(int part) const;

private:
    QLabel *m_parts[2];
};
