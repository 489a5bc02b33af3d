#include "shell/size_text.h"

namespace {

// One decimal, without a trailing ".0".
QString OneDecimal(double value)
{
    QString text = QString::number(value, 'f', 1);
    if (text.endsWith(QStringLiteral(".0")))
        text.chop(2);
    return text;
}

}  // namespace

QString KibibyteLimitText(long long kib)
{
    // A limit is never rounded: "1.5 MB" for 1500 KiB would promise files the check refuses.
    if (kib >= 1024 && kib % 1024 == 0)
        return QStringLiteral("%1 MB").arg(kib / 1024);
    return QStringLiteral("%1 KB").arg(kib);
}

QString ByteLimitText(std::uintmax_t bytes)
{
    if (bytes > 0 && bytes % 1024 == 0)
        return KibibyteLimitText(static_cast<long long>(bytes / 1024));
    return QStringLiteral("%1 字节").arg(bytes);
}

QString FileSizeText(std::uintmax_t bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    const double kib = static_cast<double>(bytes) / 1024.0;
    if (kib < 1024.0)
        return OneDecimal(kib) + QStringLiteral(" KB");
    return OneDecimal(kib / 1024.0) + QStringLiteral(" MB");
}
