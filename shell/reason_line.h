// The strip under the preview that tells, in one or two short lines, what the last command
// found: why a photo failed, that it passed, or where a saved photo went.
#pragma once

#include <QLabel>

enum class ReasonTone { Hint, Success, Warning, Failure };

class CReasonLine : public QLabel {
    Q_OBJECT
public:
    explicit CReasonLine(QWidget* parent);

    // The text is plain; the tone picks its colour. Lines past the strip's frame go to the tooltip.
    void Show(ReasonTone tone, const QString& text);
    // What the window says before anything was opened.
    void ShowHint();
    // Where the photo went: its file name, and its folder shortened in the middle to fit.
    void ShowSaved(const QString& path);

    // Offers an action as a link at the end of the first line; the next Show takes it away.
    void OfferAction(const QString& label);
    QString OfferedAction() const { return m_action; }

    ReasonTone Tone() const { return m_tone; }

signals:
    // The offered action's link was followed.
    void ActionTaken();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FitText();

    ReasonTone m_tone = ReasonTone::Hint;
    QString m_fullText;
    QString m_action;
};
