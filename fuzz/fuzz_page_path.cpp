// An item's name becomes the file name of its example page; a name must
// never reach a file outside <dir>/photo/.

#include "FuzzSupport.h"

#include "app/core/AppPaths.h"

#include <QDir>
#include <QFile>

namespace {

const QString programDir = QStringLiteral("/tmp/qorvex-fuzz/程序");
const QString photoDir = programDir + QStringLiteral("/photo/");

void checkPagePath(const QString &name)
{
    const QString path = AppPaths::examplePagePath(name);
    FUZZ_CHECK(path.isEmpty() == !AppPaths::isSafePageName(name));
    if (path.isEmpty())
        return;

    // The rule itself: directory, "/photo/", the name unchanged, ".htm".
    FUZZ_CHECK(path == photoDir + name + QStringLiteral(".htm"));

    // The file it names lies directly inside photo/, after any "." or ".."
    // has been resolved.
    const QString cleaned = QDir::cleanPath(path);
    if (!cleaned.startsWith(photoDir)) {
        std::fprintf(stderr, "name: %s\npath: %s\n", shown(name).constData(), shown(cleaned).constData());
        FUZZ_CHECK(cleaned.startsWith(photoDir));
    }
    const QString fileName = cleaned.mid(photoDir.size());
    FUZZ_CHECK(!fileName.isEmpty());
    FUZZ_CHECK(!fileName.contains(QLatin1Char('/')));
    FUZZ_CHECK(!fileName.contains(QLatin1Char('\\')));
    FUZZ_CHECK(fileName != QStringLiteral("..") && fileName != QStringLiteral("."));

    // What the file system is handed: no separator or NUL appears once the
    // name is encoded (lone surrogates included).
    const QByteArray encoded = QFile::encodeName(fileName);
    FUZZ_CHECK(!encoded.contains('/'));
    FUZZ_CHECK(!encoded.contains('\0'));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    AppPaths::setProgramDir(programDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkPagePath(utf8Text(data, size));
    checkPagePath(utf16Text(data, size));
    return 0;
}
