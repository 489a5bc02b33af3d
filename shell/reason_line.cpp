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
    setOpenExternalLinks(false);
    connect(this, &QLabel::linkActivated, this, [this] {
        if (!m_action.isEmpty())
            emit ActionTaken();
    });
    ShowHint();
}

void CReasonLine::OfferAction(const QString& label)
{
    m_action = label;
    FitText();
}

void CReasonLine::Show(ReasonTone tone, const QString& text)
{
    m_tone = tone;
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, ToneColour(tone));
    setPalette(colours);
    m_fullText = text;
    m_action.clear();
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
    // The action's link ends the last line shown, so that it takes no line of its own.
    const QRect room = contentsRect();
    const auto fits = [&] {
        const int flags = int(alignment()) | Qt::TextWordWrap;
        const QString action = m_action.isEmpty() ? QString() : QLatin1Char(' ') + m_action;
        return fontMetrics().boundingRect(room, flags, lines.join(QLatin1Char('\n')) + action).height() <= room.height();
    };
    while (lines.size() > 1 && !fits())
        lines.removeLast();
    const bool allShown = lines.size() == total && fits();
    if (m_action.isEmpty()) {
        setTextFormat(Qt::PlainText);
        setTextInteractionFlags(Qt::NoTextInteraction);
        setText(lines.join(QLatin1Char('\n')));
    } else {
        // Chinese text breaks between any two characters; word joiners keep the link's label whole.
        QString label;
        for (const QChar c : m_action.toHtmlEscaped())
            label += (label.isEmpty() ? QString() : QString(QChar(0x2060))) + c;
        for (QString& line : lines)
            line = line.toHtmlEscaped();
        lines.back() += QStringLiteral(" <a href=\"action\">%1</a>").arg(label);
        setTextFormat(Qt::RichText);
        setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        setText(lines.join(QStringLiteral("<br>")));
    }
    setToolTip(allShown ? QString() : m_fullText);
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
