#include "shell/photo_drop.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

QStringList FilterPatterns(const QString& filter)
{
    const qsizetype open = filter.indexOf(QLatin1Char('('));
    const qsizetype close = filter.lastIndexOf(QLatin1Char(')'));
    if (open < 0 || close < open)
        return {};
    return filter.mid(open + 1, close - open - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

PhotoDrop ExaminePhotoDrop(const QMimeData& data, const QStringList& patterns)
{
    const QList<QUrl> urls = data.urls();
    if (std::ranges::none_of(urls, &QUrl::isLocalFile))
        return {};
    // Several files at once would leave the user unsure which one was checked.
    if (urls.size() != 1)
        return {QString(), DropRefusal::SeveralFiles};
    const QFileInfo file(urls.front().toLocalFile());
    const QString path = file.absoluteFilePath();
    if (file.isDir())
        return {path, DropRefusal::Folder};
    if (!file.isFile())
        return {path, DropRefusal::Gone};
    if (!QDir::match(patterns, file.fileName()))
        return {path, DropRefusal::NotAPhoto};
    return {path, DropRefusal::None};
}

QString DropRefusalText(const PhotoDrop& drop)
{
    const QString name = QFileInfo(drop.path).fileName();
    switch (drop.refusal) {
    case DropRefusal::SeveralFiles:
        return QStringLiteral("一次只能拖入一张照片");
    case DropRefusal::Folder:
        return QStringLiteral("“%1”是文件夹，请拖入一张 JPG/JPEG 照片").arg(name);
    case DropRefusal::Gone:
        return QStringLiteral("找不到“%1”，它可能已被移动或删除").arg(name);
    case DropRefusal::NotAPhoto:
        return QStringLiteral("“%1”不是 JPG/JPEG 照片，请拖入 .jpg、.jpeg 或 .jfif 文件").arg(name);
    case DropRefusal::None:
    case DropRefusal::NoLocalFile:
        break;
    }
    return {};
}
