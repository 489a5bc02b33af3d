// What a drop on the window may open: one local photo file, as the Open dialog's filter would
// offer it.
#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

// The wildcard patterns of a file dialog filter: "JPEG Files (*.jpg *.jpeg)" gives *.jpg, *.jpeg.
QStringList FilterPatterns(const QString& filter);

// The path of the dropped photo: exactly one URL, naming an existing local file whose name
// matches one of the patterns (case-insensitively). Empty for anything else.
QString DroppedPhotoPath(const QMimeData& data, const QStringList& patterns);
