#pragma once

#include "app/MainWindow.h"
#include "app/core/MessageService.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

/// Records every message box and answers as the test says (OK unless an
/// answer was queued). Installed for its lifetime.
class RecordingMessageService : public MessageService
{
public:
    struct Shown
    {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    RecordingMessageService();
    ~RecordingMessageService() override;

    Answer show(const QString &text, const QString &caption, Icon icon, Buttons buttons) override;

    QList<Shown> shown;
    QList<Answer> answers;
    /// Texts of every box shown so far, in order.
    QStringList texts() const;
    void reset() { shown.clear(); answers.clear(); }
};

/// A program directory in a temporary folder: config.ini, data/ with a copy
/// of the bundled practice database, photo/ with the template page. The
/// program's paths point at it for the workspace's lifetime.
class TestWorkspace
{
public:
    /// withDatabase false leaves data/ empty (the connect then fails).
    explicit TestWorkspace(bool withDatabase = true);
    ~TestWorkspace();

    QString dir() const;
    QString databasePath() const;
    QString photoDir() const;
    void writeConfig(const QByteArray &bytes) const;
    /// Creates an empty database with only the catalogue table and the
    /// practice table's structure, replacing the bundled copy.
    void useEmptyCatalogue() const;
    /// Copies the example pages that the build generated into photo/.
    void copyGeneratedPages() const;

private:
    QTemporaryDir m_dir;
};

/// How a test answers the connection window.
enum class ConnectChoice { Local, Remote, Close };

/// Creates the main window, answering its connection window as chosen.
std::unique_ptr<MainWindow> openMainWindow(ProgramState &state, ConnectChoice choice);

/// Direct access to a SQLite file, for setting up and checking tests.
namespace TestDb {
bool exec(const QString &path, const QString &sql);
/// Every row of a query as texts (NULL as the empty text).
QList<QStringList> rows(const QString &path, const QString &sql);
/// The first column of the first row, or the empty text.
QString value(const QString &path, const QString &sql);
/// Binary value of the first column of the first row.
QByteArray blob(const QString &path, const QString &sql);
} // namespace TestDb
