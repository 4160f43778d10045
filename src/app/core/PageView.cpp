#include "PageView.h"

#include "components/data/Cp936.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>

namespace PageView {

namespace {
// A page is documentation: anything larger is shown only up to this size, so
// a stray huge file cannot freeze the window.
constexpr qint64 maxPageBytes = 4 * 1024 * 1024;

bool declaresChinese(const QByteArray &bytes)
{
    static const QRegularExpression charset(QStringLiteral("charset\\s*=\\s*[\"']?\\s*(gb2312|gbk|gb18030)"),
                                            QRegularExpression::CaseInsensitiveOption);
    return charset.match(QString::fromLatin1(bytes.left(4096))).hasMatch();
}
} // namespace

QString readPage(const QString &path)
{
    // Only a regular file is a page: opening a named pipe would wait for a
    // writer, and a folder or device has no page text.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.read(maxPageBytes);
    if (declaresChinese(bytes) || !Cp936::isValidUtf8(bytes))
        return Cp936::decode(bytes);
    return Cp936::decodeUtf8OrCp936(bytes);
}

void showPage(QTextBrowser *view, const QString &path)
{
    if (!view)
        return;
    const QString html = readPage(path);
    if (!path.isEmpty())
        view->document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath() + QLatin1Char('/')));
    view->setHtml(html);
    view->setProperty("pagePath", path);
}

} // namespace PageView
