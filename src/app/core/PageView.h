#pragma once

#include <QString>

class QTextBrowser;

/// Shows an example page in the HTML view. Pages may be UTF-8 or code page
/// 936: a page that declares gb2312, gbk or gb18030, or is not valid UTF-8,
/// is decoded as code page 936. A missing or unreadable file, or an empty
/// path (a name that has no page), shows an empty view.
namespace PageView {

void showPage(QTextBrowser *view, const QString &path);
/// The page's text as it is shown.
QString readPage(const QString &path);

} // namespace PageView
