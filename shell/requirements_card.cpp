#include "shell/requirements_card.h"

#include <algorithm>

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include "shell/size_text.h"

namespace {

QString FormatLine(const velmora::CheckSettings& settings)
{
    const QString format = QStringLiteral("格式：JPG/JPEG");
    const long long low = std::max(settings.pic_min_size, 0);
    const bool bounded = settings.pic_max_size >= 0;  // a negative maximum means no upper limit
    if (low > 0 && bounded)
        return QStringLiteral("%1，%2–%3").arg(format, KibibyteLimitText(low), KibibyteLimitText(settings.pic_max_size));
    if (low > 0)
        return QStringLiteral("%1，不小于 %2").arg(format, KibibyteLimitText(low));
    if (bounded)
        return QStringLiteral("%1，不超过 %2").arg(format, KibibyteLimitText(settings.pic_max_size));
    return format;
}

QString PixelLine(const velmora::CheckSettings& settings)
{
    // The check wants more pixels than the minimum, and a photo higher than wide.
    const int width = std::max(settings.min_width, 0) + 1;
    const int height = std::max(settings.min_height, 0) + 1;
    return QStringLiteral("尺寸：竖幅，至少 %1 × %2 像素").arg(width).arg(height);
}

QString OutputLine(const velmora::CheckSettings& settings)
{
    return QStringLiteral("通过后保存为 %1 × %2 像素").arg(settings.dst_width).arg(settings.dst_height);
}

QFont CardFont(int pixelSize)
{
    // The artwork's own face; fontconfig substitutes another CJK font where it is missing.
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    return font;
}

}  // namespace

QString BackgroundColoursText(const velmora::CheckSettings& settings)
{
    // bgc 1 lets white pass as well as red and blue; any other value allows white only.
    return settings.RedOrBlueAllowed() ? QStringLiteral("白、蓝或红色") : QStringLiteral("白色");
}

QStringList RequirementLines(const velmora::CheckSettings& settings)
{
    if (settings.NormaliseOnly()) {
        // These settings only resize the photo: nothing but the format is checked.
        return {QStringLiteral("格式：JPG/JPEG"), QStringLiteral("只调整尺寸，不检查其他项目"), OutputLine(settings)};
    }
    const QString background = QStringLiteral("背景：纯色，%1").arg(BackgroundColoursText(settings));
    // The face intervals are calibrated for one frontal head of about two thirds of the height.
    const QString head = QStringLiteral("人像：仅一人、正面，头部约占高度 2/3");
    return {background, FormatLine(settings), PixelLine(settings), head, OutputLine(settings)};
}

void PaintRequirementLines(QPainter& painter, const QRectF& box, const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    const qreal rowHeight = std::min<qreal>(box.height() / qreal(lines.size()), 15.0);
    int pixelSize = 12;
    for (; pixelSize > 9; --pixelSize) {
        const QFontMetricsF metrics(CardFont(pixelSize));
        const bool fits = std::ranges::all_of(lines, [&](const QString& line) {
            return metrics.horizontalAdvance(line) <= box.width();
        });
        if (fits)
            break;
    }
    const QFont font = CardFont(pixelSize);
    const QFontMetricsF metrics(font);
    painter.save();
    painter.setFont(font);
    painter.setPen(QColor(0x3A, 0x46, 0x56));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRectF row(box.left(), box.top() + qreal(i) * rowHeight, box.width(), rowHeight);
        painter.drawText(row, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(lines[i], Qt::ElideRight, box.width()));
    }
    painter.restore();
}
