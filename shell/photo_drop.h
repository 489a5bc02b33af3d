// What a drop on the window may open: one local photo file, as the Open dialog's filter would
// offer it; and why anything else is refused.
#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

// The wildcard patterns of a file dialog filter: "JPEG Files (*.jpg *.jpeg)" gives *.jpg, *.jpeg.
QStringList FilterPatterns(const QString& filter);

enum class DropRefusal {
    None,          // one photo: opened
    NoLocalFile,   // text, web addresses: not offered to the window at all
    SeveralFiles,
    Folder,
    Gone,          // the file was there when dragged and is not now
    NotAPhoto,     // a file whose name the Open dialog would not offer
};

struct PhotoDrop {
    QString path;  // the photo to open, or the file refused
    DropRefusal refusal = DropRefusal::NoLocalFile;
};

// Opens exactly one URL naming an existing local file whose name matches one of the patterns
// (case-insensitively); says why for anything else.
PhotoDrop ExaminePhotoDrop(const QMimeData& data, const QStringList& patterns);

// The reason line's words for a refused drop of local files; empty for the others.
QString DropRefusalText(const PhotoDrop& drop);
