#include "shell/artwork.h"

#include <QFileInfo>

namespace {

QString DoubledPath(const QString& path)
{
    const QFileInfo info(path);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix();
}

}  // namespace

SharpPixmap LoadSharpPixmap(const QString& path)
{
    SharpPixmap picture{QPixmap(path), QPixmap(DoubledPath(path))};
    // Drawn into a target rectangle either way; the ratio keeps its logical size right elsewhere.
    if (!picture.doubled.isNull())
        picture.doubled.setDevicePixelRatio(2.0);
    return picture;
}

QIcon LoadApplicationIcon()
{
    QIcon icon;
    // QIcon finds each file's "@2x" twin itself.
    for (const char* file : {":/res/velmora-16.png", ":/res/velmora-32.png", ":/res/velmora-48.png"})
        icon.addFile(QString::fromLatin1(file));
    return icon;
}
