#include "MessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageService *g_installed = nullptr;
}

MessageService::Answer MessageService::show(const QString &text, const QString &caption, Icon icon,
                                            Buttons buttons)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    if (buttons == Buttons::OkCancel) {
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    const int result = box.exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return result == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

MessageService &MessageService::instance()
{
    static MessageService fallback;
    return g_installed ? *g_installed : fallback;
}

void MessageService::install(MessageService *service)
{
    g_installed = service;
}
