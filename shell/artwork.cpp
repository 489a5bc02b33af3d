#include "shell/artwork.h"

QIcon LoadApplicationIcon()
{
    QIcon icon;
    for (const char* file : {":/res/velmora-16.png", ":/res/velmora-32.png", ":/res/velmora-48.png"})
        icon.addFile(QString::fromLatin1(file));
    return icon;
}
