#include "shell/size_text.h"

QString KibibyteLimitText(long long kib)
{
    // A limit is never rounded: "1.5 MB" for 1500 KiB would promise files the check refuses.
    if (kib >= 1024 && kib % 1024 == 0)
        return QStringLiteral("%1 MB").arg(kib / 1024);
    return QStringLiteral("%1 KB").arg(kib);
}
