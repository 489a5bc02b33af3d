#include "shell/reason_line.h"

#include <QDir>
#include <QFileInfo>

namespace {

QColor ToneColour(ReasonTone tone)
{
    switch (tone) {
    case ReasonTone::Success:
        return {0x1E, 0x7A, 0x45};
    case ReasonTone::Warning:
        return {0x9A, 0x5B, 0x00};
    case ReasonTone::Failure:
        return {0xB0, 0x2E, 0x1F};
    case ReasonTone::Hint:
        break;
    }
    return {0x1A, 0x47, 0x8A};
}

}  // namespace

CReasonLine::CReasonLine(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setAlignment(Qt::AlignCenter);
    setContentsMargins(8, 1, 8, 1);
    QFont lineFont = font();
    lineFont.setPointSize(10);
    setFont(lineFont);
    ShowHint();
}

void CReasonLine::Show(ReasonTone tone, const QString& text)
{
    m_tone = tone;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ToneColour(tone));
    setPalette(colours);
    m_fullText = text;
    FitText();
}

void CReasonLine::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    FitText();
}

void CReasonLine::FitText()
{
    // Whole lines are dropped from the end rather than cut through by the frame; the first line,
    // the most important, always stays, and the tooltip keeps everything whenever less is seen.
    QStringList lines = m_fullText.split(QLatin1Char('\n'));
    const qsizetype total = lines.size();
    const QRect room = contentsRect();
    const auto fits = [&] {
        const int flags = int(alignment()) | Qt::TextWordWrap;
        return fontMetrics().boundingRect(room, flags, lines.join(QLatin1Char('\n'))).height() <= room.height();
    };
    while (lines.size() > 1 && !fits())
        lines.removeLast();
    setText(lines.join(QLatin1Char('\n')));
    setToolTip(lines.size() == total && fits() ? QString() : m_fullText);
}

void CReasonLine::ShowHint()
{
    Show(ReasonTone::Hint, QStringLiteral("打开或拖入一张照片即开始审核，结果和原因显示在这里"));
}

void CReasonLine::ShowSaved(const QString& path)
{
    const QFileInfo saved(path);
    const QString first = QStringLiteral("照片已保存为“%1”").arg(saved.fileName());
    const QString prefix = QStringLiteral("位置：");
    // A path has no place to wrap; its middle goes, keeping the root and the nearest folders.
    const int room = contentsRect().width() - fontMetrics().horizontalAdvance(prefix);
    const QString folder = fontMetrics().elidedText(QDir::toNativeSeparators(saved.absolutePath()), Qt::ElideMiddle, room);
    Show(ReasonTone::Success, first + QLatin1Char('\n') + prefix + folder);
    setToolTip(QDir::toNativeSeparators(saved.absoluteFilePath()));
}
