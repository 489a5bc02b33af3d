#include "shell/photo_drop.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

QStringList FilterPatterns(const QString& filter)
{
    const qsizetype open = filter.indexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return {};
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString DroppedPhotoPath(const QMimeData& data, const QStringList& patterns)
{
    // Several files at once would leave the user unsure which one was checked.
    const QList<QUrl> urls = data.urls();
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return {};
    const QFileInfo file(urls.front().toLocalFile());
    if (!file.isFile() || !QDir::match(patterns, file.fileName()))
        return {};
    return file.absoluteFilePath();
}
