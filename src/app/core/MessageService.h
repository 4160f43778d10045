#pragma once

#include <QString>

class QWidget;

/// Every message box of the program goes through here, so tests can record
/// what was shown and answer in the user's place.
class MessageService
{
public:
    enum class Icon { None, Information, Exclamation, Error };
    enum class Buttons { Ok, OkCancel };
    enum class Answer { Ok, Cancel };

    virtual ~MessageService() = default;

    /// Shows a modal box and returns the button that closed it (closing the
    /// box any other way answers Cancel, or Ok for a box with only OK).
    virtual Answer show(const QString &text, const QString &caption = defaultCaption(),
                        Icon icon = Icon::None, Buttons buttons = Buttons::Ok);

    static QString defaultCaption() { return QStringLiteral("信息："); }

    /// The service in use; a QMessageBox-based one unless a test installed another.
    static MessageService &instance();
    /// Installs a replacement (not owned); nullptr restores the default.
    static void install(MessageService *service);
};
