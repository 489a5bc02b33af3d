// Draws the program's artwork: the six tip pictures, the window background, the sample
// portrait, the three button faces and the application icon, each at exactly the pixel size it
// is shown at and at twice that. Everything is vector drawing with one bundled CJK font, so a
// rerun on the same platform gives the same files byte for byte.
//
// Usage: draw_artwork <repository root>

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <vector>

#include "shell/dialog_units.h"
#include "shell/portrait_geometry.h"
#include "shell/window_layout.h"

namespace {

const QString kFontFamily = QStringLiteral("WenQuanYi Micro Hei");

[[noreturn]] void fail(const QString& message)
{
    std::fprintf(stderr, "draw_artwork: %s\n", qPrintable(message));
    std::exit(EXIT_FAILURE);
}

// ---------------------------------------------------------------------------
// Palette shared by the window, the buttons, the icon and the tips.

namespace colour {
const QColor page(0xF3, 0xF6, 0xFA);
const QColor card(0xFF, 0xFF, 0xFF);
const QColor line(0xD5, 0xDE, 0xEA);
const QColor edge(0x8FA3BD);
const QColor primary(0x25, 0x63, 0xB8);
const QColor primaryDark(0x1A, 0x47, 0x8A);
const QColor primaryTint(0xE8, 0xF0, 0xFB);
const QColor text(0x1F, 0x2D, 0x3D);
const QColor body(0x3A, 0x46, 0x56);
const QColor muted(0x66, 0x72, 0x82);
const QColor ok(0x2E, 0x9E, 0x5B);
const QColor error(0xD6, 0x45, 0x32);
const QColor errorDark(0xB0, 0x2E, 0x1F);
const QColor warning(0xFF, 0xC8, 0x3D);
const QColor slate(0x5B, 0x6B, 0x7F);
const QColor photoBlue(0x43, 0x8E, 0xDB);
const QColor plainWhite(0xFA, 0xFB, 0xFC);
const QColor buttonPanel(0xEA, 0xF0, 0xF8);
const QColor skin(0xF2, 0xC6, 0xA0);
const QColor skinShade(0xE0, 0xA9, 0x82);
const QColor hair(0x2F, 0x2A, 0x28);
const QColor suit(0x2F, 0x3E, 0x55);
}  // namespace colour

// ---------------------------------------------------------------------------
// Text. Only the one CJK font is used, without fallback fonts, and every text is checked
// against the font's glyphs and its box, so a missing font or an overflow stops the run
// instead of producing boxes or clipped words.

QFont uiFont(qreal pixelSize, bool bold = false)
{
    QFont font(kFontFamily);
    font.setPixelSize(qRound(pixelSize));
    font.setBold(bold);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoFontMerging | QFont::PreferAntialias));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void requireFont()
{
    if (!QFontDatabase::families().contains(kFontFamily))
        fail(QStringLiteral("font \"%1\" is not installed (Debian package fonts-wqy-microhei)").arg(kFontFamily));
    const QFontInfo info(uiFont(20));
    if (info.family() != kFontFamily)
        fail(QStringLiteral("font \"%1\" was asked for but \"%2\" was given").arg(kFontFamily, info.family()));
}

void requireGlyphs(const QFont& font, const QString& text)
{
    const QFontMetricsF metrics(font);
    for (const char32_t c : text.toUcs4()) {
        if (c != U' ' && !metrics.inFontUcs4(c))
            fail(QStringLiteral("font has no glyph U+%1 in \"%2\"").arg(uint(c), 4, 16, QLatin1Char('0')).arg(text));
    }
}

// One line of text in a box; the text must fit the box's width.
void drawLine(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& pen,
              Qt::Alignment align = Qt::AlignCenter)
{
    requireGlyphs(font, text);
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(text) > box.width())
        fail(QStringLiteral("\"%1\" is %2 px wide, its box %3 px").arg(text).arg(metrics.horizontalAdvance(text)).arg(box.width()));
    if (metrics.height() > box.height() + 1.0)
        fail(QStringLiteral("\"%1\" is %2 px high, its box %3 px").arg(text).arg(metrics.height()).arg(box.height()));
    p.setFont(font);
    p.setPen(pen);
    p.drawText(box, int(align | Qt::TextSingleLine), text);
}

bool isNoLineStart(QChar c)
{
    return QStringLiteral("，。、；：！？）」』”’》.,;:!?)").contains(c);
}

// Breaks text into lines no wider than width: a Latin word stays whole, CJK characters
// break anywhere, and closing punctuation never starts a line.
QStringList wrapText(const QString& text, const QFont& font, qreal width)
{
    std::vector<QString> tokens;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype j = i + 1;
        if (text[i].unicode() < 0x80 && !text[i].isSpace()) {
            while (j < text.size() && text[j].unicode() < 0x80 && !text[j].isSpace())
                ++j;
        }
        tokens.push_back(text.mid(i, j - i));
        i = j;
    }

    const QFontMetricsF metrics(font);
    QStringList lines;
    std::vector<QString> current;
    auto joined = [](const std::vector<QString>& parts) {
        QString s;
        for (const QString& part : parts)
            s += part;
        return s.trimmed();
    };
    for (const QString& token : tokens) {
        std::vector<QString> trial = current;
        trial.push_back(token);
        if (current.empty() || metrics.horizontalAdvance(joined(trial)) <= width) {
            current = std::move(trial);
            continue;
        }
        std::vector<QString> next{token};
        if (isNoLineStart(token[0]) && current.size() > 1) {
            next.insert(next.begin(), current.back());
            current.pop_back();
        }
        lines << joined(current);
        current = std::move(next);
        if (current.size() == 1 && current[0].trimmed().isEmpty())
            current.clear();
    }
    if (!current.empty())
        lines << joined(current);
    return lines;
}

// A paragraph wrapped into box, lines lineHeight apart; it must fit the box's height.
// A newline forces a break.
void drawParagraph(QPainter& p, const QRectF& box, const QString& text, const QFont& font, const QColor& pen,
                   qreal lineHeight, Qt::Alignment horizontal = Qt::AlignLeft)
{
    QStringList lines;
    for (const QString& part : text.split(QLatin1Char('\n')))
        lines << wrapText(part, font, box.width());
    if (qreal(lines.size()) * lineHeight > box.height() + 1.0)
        fail(QStringLiteral("\"%1\" needs %2 lines, its box holds %3").arg(text).arg(lines.size()).arg(int(box.height() / lineHeight)));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRectF row(box.left(), box.top() + qreal(i) * lineHeight, box.width(), lineHeight);
        drawLine(p, row, lines[i], font, pen, horizontal | Qt::AlignVCenter);
    }
}

// ---------------------------------------------------------------------------
// Shapes shared by several pictures.

void fillPath(QPainter& p, const QPainterPath& path, const QColor& fill)
{
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QPen roundPen(const QColor& c, qreal width)
{
    return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A round verdict badge: a green check for the right way, a red cross for the wrong one.
void drawBadge(QPainter& p, QPointF centre, qreal radius, bool right)
{
    p.setPen(QPen(Qt::white, qMax(1.0, radius * 0.14)));
    p.setBrush(right ? colour::ok : colour::error);
    p.drawEllipse(centre, radius, radius);
    p.setPen(roundPen(Qt::white, qMax(1.2, radius * 0.26)));
    p.setBrush(Qt::NoBrush);
    const qreal r = radius;
    if (right) {
        const QPointF points[] = {centre + QPointF(-0.45 * r, 0.02 * r), centre + QPointF(-0.12 * r, 0.36 * r),
                                  centre + QPointF(0.48 * r, -0.34 * r)};
        p.drawPolyline(points, 3);
    } else {
        p.drawLine(centre + QPointF(-0.38 * r, -0.38 * r), centre + QPointF(0.38 * r, 0.38 * r));
        p.drawLine(centre + QPointF(0.38 * r, -0.38 * r), centre + QPointF(-0.38 * r, 0.38 * r));
    }
}

// A person from the chest up, inside frame (whose clip the caller sets). cx, cy: centre
// of the head as fractions of the frame; head: head width as a fraction of the frame width.
void drawPerson(QPainter& p, const QRectF& frame, qreal cx, qreal cy, qreal head, bool face = true)
{
    const qreal w = frame.width();
    const qreal x = frame.left() + cx * w;
    const qreal y = frame.top() + cy * frame.height();
    const qreal hw = head * w;
    const qreal hh = hw * kDrawnOvalAspect;
    const qreal bottom = frame.bottom() + 2;

    // Shoulders and chest.
    const qreal neckY = y + hh * 0.58;
    const qreal shoulder = hw * 1.45;
    QPainterPath body;
    body.moveTo(x - shoulder, bottom);
    body.lineTo(x - shoulder, neckY + hh * 0.42);
    body.cubicTo(x - shoulder, neckY + hh * 0.08, x - hw * 0.9, neckY, x - hw * 0.42, neckY);
    body.lineTo(x + hw * 0.42, neckY);
    body.cubicTo(x + hw * 0.9, neckY, x + shoulder, neckY + hh * 0.08, x + shoulder, neckY + hh * 0.42);
    body.lineTo(x + shoulder, bottom);
    body.closeSubpath();
    fillPath(p, body, colour::suit);

    // Shirt collar and neck.
    QPainterPath collar;
    collar.moveTo(x - hw * 0.36, neckY - 1);
    collar.lineTo(x + hw * 0.36, neckY - 1);
    collar.lineTo(x, neckY + hh * 0.42);
    collar.closeSubpath();
    fillPath(p, collar, Qt::white);
    QPainterPath neck;
    neck.moveTo(x - hw * 0.2, y + hh * 0.3);
    neck.lineTo(x + hw * 0.2, y + hh * 0.3);
    neck.lineTo(x + hw * 0.2, neckY + hh * 0.06);
    neck.lineTo(x, neckY + hh * 0.22);
    neck.lineTo(x - hw * 0.2, neckY + hh * 0.06);
    neck.closeSubpath();
    fillPath(p, neck, colour::skinShade);

    // Hair behind the head, ears, face, then the fringe on top.
    p.setPen(Qt::NoPen);
    p.setBrush(colour::hair);
    p.drawEllipse(QRectF(x - hw * 0.56, y - hh * 0.6, hw * 1.12, hh * 0.98));
    p.setBrush(colour::skinShade);
    p.drawEllipse(QRectF(x - hw * 0.58, y - hh * 0.04, hw * 0.2, hh * 0.24));
    p.drawEllipse(QRectF(x + hw * 0.38, y - hh * 0.04, hw * 0.2, hh * 0.24));
    p.setBrush(colour::skin);
    p.drawEllipse(QRectF(x - hw * 0.5, y - hh * 0.5, hw, hh));
    QPainterPath fringe;
    const QRectF top(x - hw * 0.53, y - hh * 0.58, hw * 1.06, hh * 0.84);
    fringe.moveTo(top.right(), top.center().y());
    fringe.arcTo(top, 0, 180);
    fringe.cubicTo(x - hw * 0.3, y - hh * 0.28, x + hw * 0.1, y - hh * 0.2, top.right(), top.center().y());
    fillPath(p, fringe, colour::hair);

    if (face) {
        p.setBrush(colour::hair);
        const qreal eye = qMax(0.8, hw * 0.05);
        p.drawEllipse(QPointF(x - hw * 0.18, y + hh * 0.02), eye, eye * 1.2);
        p.drawEllipse(QPointF(x + hw * 0.18, y + hh * 0.02), eye, eye * 1.2);
        p.setPen(roundPen(QColor(0xB5, 0x65, 0x4A), qMax(0.8, hw * 0.035)));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(x - hw * 0.13, y + hh * 0.16, hw * 0.26, hh * 0.12), 200 * 16, 140 * 16);
    }
}

// A person whose head (crown to chin) and crown stand where the geometry puts them, as
// shares of the frame's height, centred at cx of its width.
void drawPortrait(QPainter& p, const QRectF& frame, const PortraitGeometry& geometry, qreal cx = 0.5,
                  bool face = true)
{
    const qreal hh = geometry.headShare * frame.height() / kDrawnHeadPerOval;
    const qreal cy = geometry.crownShare + 0.6 * hh / frame.height();
    drawPerson(p, frame, cx, cy, hh / kDrawnOvalAspect / frame.width(), face);
}

// A photo: a plain or busy background with people, framed by a white mat.
void drawPhoto(QPainter& p, const QRectF& frame, const QColor& background,
               const std::function<void(const QRectF&)>& people, qreal mat = 4)
{
    p.setPen(QPen(colour::line, 1));
    p.setBrush(Qt::white);
    p.drawRect(frame);
    const QRectF inside = frame.adjusted(mat, mat, -mat, -mat);
    p.save();
    p.setClipRect(inside);
    p.fillRect(inside, background);
    people(inside);
    p.restore();
}

// A sheet of paper with a folded corner and a small picture on it.
void drawDocument(QPainter& p, const QRectF& r, const QString& label = {})
{
    const qreal fold = r.width() * 0.28;
    QPainterPath sheet;
    sheet.moveTo(r.topLeft());
    sheet.lineTo(r.right() - fold, r.top());
    sheet.lineTo(r.right(), r.top() + fold);
    sheet.lineTo(r.bottomRight());
    sheet.lineTo(r.bottomLeft());
    sheet.closeSubpath();
    p.setPen(roundPen(QColor(0x9A, 0xA8, 0xBA), 2.5));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    corner.closeSubpath();
    p.setBrush(QColor(0xDD, 0xE4, 0xEE));
    p.drawPath(corner);

    // A landscape glyph: sun and two hills.
    const QRectF pic(r.left() + r.width() * 0.16, r.top() + r.height() * 0.3, r.width() * 0.68, r.height() * 0.34);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xDC, 0xE9, 0xF8));
    p.drawRoundedRect(pic, 3, 3);
    p.setBrush(colour::warning);
    p.drawEllipse(QPointF(pic.left() + pic.width() * 0.72, pic.top() + pic.height() * 0.3), pic.height() * 0.14,
                  pic.height() * 0.14);
    QPolygonF hills;
    hills << QPointF(pic.left(), pic.bottom()) << QPointF(pic.left() + pic.width() * 0.35, pic.top() + pic.height() * 0.35)
          << QPointF(pic.left() + pic.width() * 0.58, pic.top() + pic.height() * 0.7)
          << QPointF(pic.left() + pic.width() * 0.75, pic.top() + pic.height() * 0.5) << QPointF(pic.right(), pic.bottom());
    p.setBrush(QColor(0x6F, 0xA5, 0x5E));
    p.drawPolygon(hills);

    if (label.isEmpty()) {
        p.setPen(roundPen(QColor(0xC5, 0xCF, 0xDC), 3));
        for (int i = 0; i < 2; ++i) {
            const qreal y = r.top() + r.height() * (0.74 + 0.1 * i);
            p.drawLine(QPointF(r.left() + r.width() * 0.16, y), QPointF(r.right() - r.width() * (0.16 + 0.2 * i), y));
        }
    } else {
        const QRectF tag(r.left() + r.width() * 0.16, r.top() + r.height() * 0.7, r.width() * 0.68, r.height() * 0.2);
        p.setBrush(colour::slate);
        p.drawRoundedRect(tag, 3, 3);
        drawLine(p, tag, label, uiFont(tag.height() * 0.72, true), Qt::white);
    }
}

// A warning sign: a yellow triangle with an exclamation mark.
void drawWarningSign(QPainter& p, const QRectF& r)
{
    QPainterPath triangle;
    triangle.moveTo(r.center().x(), r.top());
    triangle.lineTo(r.right(), r.bottom());
    triangle.lineTo(r.left(), r.bottom());
    triangle.closeSubpath();
    p.setPen(roundPen(colour::warning, r.width() * 0.1));
    p.setBrush(colour::warning);
    p.drawPath(triangle);
    p.setPen(roundPen(colour::text, r.width() * 0.11));
    const qreal x = r.center().x();
    p.drawLine(QPointF(x, r.top() + r.height() * 0.36), QPointF(x, r.top() + r.height() * 0.68));
    p.setPen(Qt::NoPen);
    p.setBrush(colour::text);
    p.drawEllipse(QPointF(x, r.top() + r.height() * 0.85), r.width() * 0.065, r.width() * 0.065);
}

// The application's mark: a portrait on a blue tile with a check badge.
void drawAppMark(QPainter& p, const QRectF& r)
{
    const qreal s = r.width();
    p.save();
    p.setPen(Qt::NoPen);
    QLinearGradient tileFill(r.topLeft(), r.bottomLeft());
    tileFill.setColorAt(0, QColor(0x3A, 0x7B, 0xD5));
    tileFill.setColorAt(1, colour::primaryDark);
    QPainterPath tile;
    tile.addRoundedRect(r.adjusted(0, 0, -s * 0.06, -s * 0.06), s * 0.2, s * 0.2);
    p.setBrush(tileFill);
    p.drawPath(tile);
    p.setClipPath(tile);
    p.setBrush(Qt::white);
    const QPointF head(r.left() + s * 0.4, r.top() + s * 0.34);
    p.drawEllipse(head, s * 0.15, s * 0.15);
    p.drawEllipse(QPointF(head.x(), r.top() + s * 0.9), s * 0.3, s * 0.28);
    p.restore();
    drawBadge(p, QPointF(r.left() + s * 0.74, r.top() + s * 0.74), s * 0.24, true);
}

// ---------------------------------------------------------------------------
// Files. Each is written through a temporary file and read back, so a failed run never
// leaves a half-written picture and a wrong size or format stops the run.

void writeImage(const QImage& image, const QString& path, const char* format, int quality = -1)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    QImageWriter writer(&file, format);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        fail(QStringLiteral("cannot encode %1: %2").arg(path, writer.errorString()));
    if (!file.commit())
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));

    QImageReader reader(path);
    const QImage back = reader.read();
    if (back.isNull() || back.size() != image.size())
        fail(QStringLiteral("%1 does not read back at %2 x %3").arg(path).arg(image.width()).arg(image.height()));
    if (back.isGrayscale())
        fail(QStringLiteral("%1 reads back as grey").arg(path));
    std::printf("wrote %s (%d x %d)\n", qPrintable(QDir::toNativeSeparators(path)), image.width(), image.height());
}

void beginPainting(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// ---------------------------------------------------------------------------
// Tip pictures: designed at the size of the normalised photo, drawn at the frame's.

constexpr int kTipWidth = 295;
constexpr int kTipHeight = 413;

struct Tip {
    int number;
    QString headline;
    QString explanation;
    std::function<void(QPainter&, const QRectF&)> pictogram;
};

// A wrong example and a right one side by side, each with its badge.
void drawWrongAndRight(QPainter& p, const QRectF& area, qreal frameHeight,
                       const std::function<void(const QRectF&)>& wrong, const std::function<void(const QRectF&)>& right)
{
    const qreal frameWidth = frameHeight * 295.0 / 413.0;
    const qreal gap = area.width() - 2 * frameWidth;
    const QRectF left(area.left() + gap / 3, area.top() + 6, frameWidth, frameHeight);
    const QRectF rightFrame(area.right() - gap / 3 - frameWidth, area.top() + 6, frameWidth, frameHeight);
    wrong(left);
    right(rightFrame);
    drawBadge(p, QPointF(left.right() - 4, left.bottom() - 4), 17, false);
    drawBadge(p, QPointF(rightFrame.right() - 4, rightFrame.bottom() - 4), 17, true);
}

void pictogramNotJpeg(QPainter& p, const QRectF& area)
{
    const QRectF doc(area.center().x() - 56, area.top() + 4, 112, 140);
    drawDocument(p, doc);
    drawBadge(p, QPointF(doc.right() - 4, doc.bottom() - 10), 26, false);
    const QRectF chip(area.center().x() - 86, doc.bottom() + 18, 172, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE6, 0xF4, 0xEC));
    p.drawRoundedRect(chip, 14, 14);
    drawBadge(p, QPointF(chip.left() + 16, chip.center().y()), 10, true);
    drawLine(p, chip.adjusted(30, 0, -8, 0), QStringLiteral("JPG / JPEG"), uiFont(17, true), colour::ok);
}

void pictogramFileSize(QPainter& p, const QRectF& area)
{
    const QRectF doc(area.center().x() - 48, area.top() + 6, 96, 120);
    drawDocument(p, doc, QStringLiteral("KB"));

    // A gauge whose middle is the allowed window; the pointers sit outside it.
    const qreal top = doc.bottom() + 34;
    const QRectF bar(area.left() + 18, top, area.width() - 36, 16);
    const qreal third = bar.width() / 3;
    p.setPen(Qt::NoPen);
    QPainterPath whole;
    whole.addRoundedRect(bar, 8, 8);
    p.save();
    p.setClipPath(whole);
    p.fillRect(QRectF(bar.left(), bar.top(), third, bar.height()), colour::error);
    p.fillRect(QRectF(bar.left() + third, bar.top(), third, bar.height()), colour::ok);
    p.fillRect(QRectF(bar.left() + 2 * third, bar.top(), third, bar.height()), colour::error);
    p.restore();
    for (const qreal x : {bar.left() + third * 0.5, bar.left() + third * 2.5}) {
        QPolygonF pointer;
        pointer << QPointF(x - 9, top - 20) << QPointF(x + 9, top - 20) << QPointF(x, top - 4);
        p.setBrush(colour::text);
        p.drawPolygon(pointer);
    }
    const QFont font = uiFont(17, true);
    const QString labels[] = {QStringLiteral("过小"), QStringLiteral("合适"), QStringLiteral("过大")};
    const QColor pens[] = {colour::errorDark, colour::ok, colour::errorDark};
    for (int i = 0; i < 3; ++i)
        drawLine(p, QRectF(bar.left() + third * i, bar.bottom() + 4, third, 24), labels[i], font, pens[i]);
}

void pictogramDimensions(QPainter& p, const QRectF& area)
{
    auto onePerson = [&p](const QRectF& inside) { drawPortrait(p, inside, kStandardPortrait); };
    auto landscape = [&p](const QRectF& inside) { drawPerson(p, inside, 0.5, 0.42, 0.2); };

    // Wrong: a landscape photo and a tiny one; right: an upright photo of full size.
    const QRectF wide(area.left() + 4, area.top() + 14, 118, 82);
    drawPhoto(p, wide, colour::photoBlue, landscape, 3);
    drawBadge(p, QPointF(wide.right() - 4, wide.bottom() - 4), 15, false);
    const QRectF tiny(area.left() + 44, wide.bottom() + 30, 38, 53);
    drawPhoto(p, tiny, colour::photoBlue, onePerson, 2);
    drawBadge(p, QPointF(tiny.right() - 2, tiny.bottom() - 4), 13, false);

    const QRectF tall(area.right() - 8 - 110, area.top() + 6, 110, 154);
    drawPhoto(p, tall, colour::photoBlue, onePerson);
    drawBadge(p, QPointF(tall.right() - 4, tall.bottom() - 4), 17, true);

    // Dimension arrows: the right photo is higher than wide.
    p.setPen(roundPen(colour::muted, 1.5));
    auto arrow = [&p](QPointF a, QPointF b) {
        p.drawLine(a, b);
        const QPointF d = (b - a) / std::hypot((b - a).x(), (b - a).y());
        const QPointF n(-d.y(), d.x());
        for (const QPointF end : {a, b}) {
            const QPointF inward = end == a ? d : -d;
            p.drawLine(end, end + inward * 6 + n * 4);
            p.drawLine(end, end + inward * 6 - n * 4);
        }
    };
    arrow(QPointF(tall.left(), tall.bottom() + 12), QPointF(tall.right(), tall.bottom() + 12));
    arrow(QPointF(tall.left() - 12, tall.top()), QPointF(tall.left() - 12, tall.bottom()));
}

void pictogramBackground(QPainter& p, const QRectF& area)
{
    auto busy = [&p](const QRectF& r) {
        p.fillRect(r, QColor(0xBF, 0xE0, 0xF5));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x8C, 0xC0, 0x6A));
        p.drawRect(QRectF(r.left(), r.top() + r.height() * 0.62, r.width(), r.height() * 0.38));
        p.setBrush(QColor(0x8A, 0x5A, 0x3B));
        p.drawRect(QRectF(r.left() + r.width() * 0.08, r.top() + r.height() * 0.3, r.width() * 0.07, r.height() * 0.4));
        p.setBrush(QColor(0x4E, 0x9A, 0x4A));
        p.drawEllipse(QPointF(r.left() + r.width() * 0.11, r.top() + r.height() * 0.25), r.width() * 0.16, r.width() * 0.16);
        p.setBrush(QColor(0xE9, 0x8B, 0x3A));
        p.drawRect(QRectF(r.left() + r.width() * 0.72, r.top() + r.height() * 0.08, r.width() * 0.24, r.height() * 0.3));
        p.setBrush(colour::warning);
        p.drawEllipse(QPointF(r.left() + r.width() * 0.84, r.top() + r.height() * 0.5), r.width() * 0.08, r.width() * 0.08);
        drawPortrait(p, r, kStandardPortrait);
    };
    auto plain = [&p](const QRectF& r) { drawPortrait(p, r, kStandardPortrait); };
    // Which colours are allowed depends on the settings, so the right example is white, which
    // every setting accepts, and the window's reason line names the colours.
    drawWrongAndRight(
        p, area, 150, [&](const QRectF& f) { drawPhoto(p, f, QColor(0xBF, 0xE0, 0xF5), busy); },
        [&](const QRectF& f) { drawPhoto(p, f, colour::plainWhite, plain); });

    const QRectF chip(area.center().x() - 86, area.top() + 6 + 150 + 8, 172, 28);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xE6, 0xF4, 0xEC));
    p.drawRoundedRect(chip, 14, 14);
    drawBadge(p, QPointF(chip.left() + 16, chip.center().y()), 10, true);
    drawLine(p, chip.adjusted(30, 0, -8, 0), QStringLiteral("单一纯色背景"), uiFont(17, true), colour::ok);
}

void pictogramFaceCount(QPainter& p, const QRectF& area)
{
    drawWrongAndRight(
        p, area, 172,
        [&](const QRectF& f) {
            drawPhoto(p, f, colour::photoBlue, [&p](const QRectF& r) {
                drawPerson(p, r, 0.27, 0.42, 0.3);
                drawPerson(p, r, 0.75, 0.36, 0.3);
            });
        },
        [&](const QRectF& f) {
            drawPhoto(p, f, colour::photoBlue, [&p](const QRectF& r) { drawPortrait(p, r, kStandardPortrait); });
        });
}

void pictogramFacePosition(QPainter& p, const QRectF& area)
{
    drawWrongAndRight(
        p, area, 172,
        [&](const QRectF& f) {
            drawPhoto(p, f, colour::photoBlue, [&p](const QRectF& r) { drawPortrait(p, r, kTooLargePortrait); });
        },
        [&](const QRectF& f) {
            drawPhoto(p, f, colour::photoBlue, [&p](const QRectF& r) {
                drawPortrait(p, r, kStandardPortrait);
                // Guides at the top of the hair and at the chin.
                QPen guide(Qt::white, 1.2, Qt::DashLine);
                p.setPen(guide);
                const qreal crown = r.top() + kStandardPortrait.crownShare * r.height();
                const qreal chin = crown + kStandardPortrait.headShare * r.height();
                p.drawLine(QPointF(r.left(), crown), QPointF(r.right(), crown));
                p.drawLine(QPointF(r.left(), chin), QPointF(r.right(), chin));
            });
        });
}

// Draws the tip in its 295 x 413 design; the caller's scale fits it to any picture size.
void paintTip(QPainter& p, const Tip& tip)
{
    p.fillRect(QRectF(0, 0, kTipWidth, kTipHeight), Qt::white);

    // Header band.
    const QRectF band(0, 0, kTipWidth, 58);
    p.fillRect(band, colour::error);
    drawWarningSign(p, QRectF(16, 12, 38, 33));
    drawLine(p, QRectF(66, 0, kTipWidth - 76, band.height()), QStringLiteral("照片审核未通过"), uiFont(23, true),
             Qt::white, Qt::AlignLeft | Qt::AlignVCenter);

    drawLine(p, QRectF(8, 70, kTipWidth - 16, 42), tip.headline, uiFont(30, true), colour::errorDark);
    drawParagraph(p, QRectF(14, 114, kTipWidth - 28, 52), tip.explanation, uiFont(19), colour::body, 25,
                  Qt::AlignHCenter);

    tip.pictogram(p, QRectF(12, 170, kTipWidth - 24, 204));

    const QRectF footer(0, kTipHeight - 36, kTipWidth, 36);
    p.fillRect(footer, QColor(0xF1, 0xF3, 0xF6));
    p.fillRect(QRectF(0, footer.top(), kTipWidth, 1), colour::line);
    drawLine(p, footer, QStringLiteral("请更换照片后重新打开"), uiFont(18), colour::muted);
}

// ---------------------------------------------------------------------------
// Window background, drawn around the rectangles the window places its controls on.

// The base units of the 9-point dialog font at 96 dots per inch, where one artwork pixel is
// one screen pixel.
constexpr DialogBaseUnits kArtworkBaseUnits{7, 14};

QRectF artworkRect(const QRect& dialogUnits) { return QRectF(DialogUnitsToPixels(dialogUnits, kArtworkBaseUnits)); }

void drawCard(QPainter& p, const QRectF& r, const QColor& fill, qreal radius = 8)
{
    p.setPen(QPen(colour::line, 1));
    p.setBrush(fill);
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

// A small heading with an accent bar, used above the frames.
void drawHeading(QPainter& p, const QRectF& r, const QString& text)
{
    p.fillRect(QRectF(r.left(), r.top() + 4, 4, r.height() - 8), colour::primary);
    drawLine(p, r.adjusted(10, 0, 0, 0), text, uiFont(15, true), colour::text, Qt::AlignLeft | Qt::AlignVCenter);
}

void paintBackground(QPainter& p)
{
    const qreal W = kArtworkSize.width();
    const qreal H = kArtworkSize.height();
    p.fillRect(QRectF(0, 0, W, H), colour::page);

    // Title band.
    QLinearGradient bandFill(0, 0, W, 0);
    bandFill.setColorAt(0, colour::primaryDark);
    bandFill.setColorAt(1, colour::primary);
    p.fillRect(QRectF(0, 0, W, 48), bandFill);
    drawAppMark(p, QRectF(18, 8, 32, 32));
    drawLine(p, QRectF(60, 0, 260, 48), QStringLiteral("报名照片审核工具"), uiFont(24, true), Qt::white,
             Qt::AlignLeft | Qt::AlignVCenter);
    drawLine(p, QRectF(330, 0, W - 350, 48), QStringLiteral("格式 · 大小 · 尺寸 · 背景 · 人脸  逐项检测"), uiFont(14),
             QColor(0xD6, 0xE4, 0xF7), Qt::AlignRight | Qt::AlignVCenter);

    // Three cards. The first one's lines come from the loaded settings: the window writes them.
    struct Paragraph {
        QString heading;
        QString text;
    };
    const Paragraph paragraphs[] = {
        {QStringLiteral("照片要求"), QString()},
        {QStringLiteral("使用方法"),
         QStringLiteral("点击“打开照片”或拖入照片；\n审核通过后，点击“保存照片”\n即可保存到本机。")},
        {QStringLiteral("责任说明"),
         QStringLiteral("照片质量由报名者本人负责。\n提交前请确认照片真实、清晰。")},
    };
    const qreal margin = 20;
    const qreal gap = 12;
    const qreal cardWidth = (W - 2 * margin - 2 * gap) / 3;
    for (int i = 0; i < 3; ++i) {
        const QRectF card(margin + i * (cardWidth + gap), 56, cardWidth, 89);
        drawCard(p, card, colour::card);
        const QPointF number(card.left() + 20, card.top() + 17);
        p.setPen(Qt::NoPen);
        p.setBrush(colour::primary);
        p.drawEllipse(number, 9, 9);
        drawLine(p, QRectF(number.x() - 9, number.y() - 9, 18, 18), QString::number(i + 1), uiFont(13, true),
                 Qt::white);
        drawLine(p, QRectF(card.left() + 36, card.top() + 6, card.width() - 48, 22), paragraphs[i].heading,
                 uiFont(15, true), colour::primaryDark, Qt::AlignLeft | Qt::AlignVCenter);
        if (i == 0 && !card.contains(QRectF(kRequirementLinesPixels)))
            fail(QStringLiteral("the requirement lines do not lie inside their card"));
        if (!paragraphs[i].text.isEmpty())
            drawParagraph(p, QRectF(card.left() + 12, card.top() + 31, card.width() - 24, 52), paragraphs[i].text,
                          uiFont(13), colour::body, 17);
    }

    // The display area: the picture control covers exactly this rectangle.
    const QRectF display = artworkRect(kPictureUnits);

    // The sample portrait, the same size as the display area; the window fills its backdrop
    // with a colour the settings accept and draws the portrait over it.
    const QRectF sample(kSamplePortraitPixels);
    if (sample.top() != display.top() || sample.size() != display.size())
        fail(QStringLiteral("the sample portrait is not level with the display area"));
    drawHeading(p, QRectF(sample.left() - 3, 150, 160, 20), QStringLiteral("标准照片示例"));
    p.setPen(QPen(colour::line, 1));
    p.setBrush(Qt::white);
    p.drawRect(sample.adjusted(-3.5, -3.5, 3.5, 3.5));
    p.fillRect(sample, colour::plainWhite);

    drawHeading(p, QRectF(display.left() - 3, 150, 160, 20), QStringLiteral("照片显示区"));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(display.adjusted(-2, -2, 2, 2));
    p.setPen(QPen(colour::primary, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(display.adjusted(-3, -3, 3, 3));

    // The strip under both frames where the window tells why a photo passed or failed.
    const QRectF reasons = artworkRect(kReasonLineUnits);
    if (reasons.top() < display.bottom() + 4 || reasons.left() > sample.left() || reasons.right() < display.right())
        fail(QStringLiteral("the reason line does not lie under both frames"));
    drawCard(p, reasons, colour::primaryTint, 6);

    // A calm panel behind the three buttons.
    const QRectF open = artworkRect(kOpenButtonUnits);
    const QRectF exit = artworkRect(kExitButtonUnits);
    const QRectF panel(open.left() - 14, open.top() - 14, exit.right() - open.left() + 26, exit.bottom() - open.top() + 28);
    drawCard(p, panel, colour::buttonPanel, 12);

    // Footer; its right end is left plain for the version text the window draws there.
    const qreal footerTop = H - 30;
    p.fillRect(QRectF(0, footerTop, W, 1), colour::line);
    drawLine(p, QRectF(margin, footerTop, 400, 30), QStringLiteral("本工具在本机离线运行，照片不会上传"), uiFont(12),
             colour::muted, Qt::AlignLeft | Qt::AlignVCenter);
    const QRectF version = artworkRect(kVersionTextUnits);
    if (version.top() < footerTop || panel.bottom() > footerTop || reasons.bottom() > footerTop)
        fail(QStringLiteral("background layout overlaps its footer"));

    // The window has no border of its own.
    p.setPen(QPen(colour::edge, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, W - 1, H - 1));
}

// The sample portrait without its backdrop, transparent around the person.
void paintSamplePortrait(QPainter& p)
{
    const QRectF frame(QPointF(0, 0), QSizeF(kSamplePortraitPixels.size()));
    p.save();
    p.setClipRect(frame);
    drawPortrait(p, frame, kStandardPortrait);
    p.restore();
    drawBadge(p, QPointF(frame.right() - 18, frame.bottom() - 18), 14, true);
}

// ---------------------------------------------------------------------------
// Button faces.

void drawOpenIcon(QPainter& p, const QRectF& r, const QColor& base)
{
    // Folder back, a photo sticking out, folder front.
    QPainterPath back;
    back.moveTo(r.left(), r.top() + r.height() * 0.18);
    back.lineTo(r.left() + r.width() * 0.36, r.top() + r.height() * 0.18);
    back.lineTo(r.left() + r.width() * 0.44, r.top() + r.height() * 0.3);
    back.lineTo(r.right(), r.top() + r.height() * 0.3);
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    fillPath(p, back, mix(base, Qt::white, 0.5));
    p.save();
    p.translate(r.left() + r.width() * 0.62, r.top() + r.height() * 0.36);
    p.rotate(-10);
    const QRectF photo(-r.width() * 0.24, -r.height() * 0.3, r.width() * 0.48, r.height() * 0.5);
    p.setPen(QPen(base, 1.5));
    p.setBrush(Qt::white);
    p.drawRect(photo);
    p.setPen(Qt::NoPen);
    p.setBrush(base);
    p.drawEllipse(QPointF(photo.center().x(), photo.top() + photo.height() * 0.4), photo.width() * 0.11, photo.width() * 0.11);
    p.drawEllipse(QPointF(photo.center().x(), photo.bottom() + photo.height() * 0.12), photo.width() * 0.24,
                  photo.height() * 0.36);
    p.restore();
    QPainterPath front;
    front.moveTo(r.left(), r.top() + r.height() * 0.48);
    front.lineTo(r.right(), r.top() + r.height() * 0.48);
    front.lineTo(r.right() - r.width() * 0.04, r.bottom());
    front.lineTo(r.left() + r.width() * 0.04, r.bottom());
    front.closeSubpath();
    fillPath(p, front, Qt::white);
}

void drawSaveIcon(QPainter& p, const QRectF& r, const QColor& base)
{
    QPainterPath disk;
    const qreal cut = r.width() * 0.2;
    disk.moveTo(r.left() + 3, r.top());
    disk.lineTo(r.right() - cut, r.top());
    disk.lineTo(r.right(), r.top() + cut);
    disk.lineTo(r.right(), r.bottom() - 3);
    disk.quadTo(r.right(), r.bottom(), r.right() - 3, r.bottom());
    disk.lineTo(r.left() + 3, r.bottom());
    disk.quadTo(r.left(), r.bottom(), r.left(), r.bottom() - 3);
    disk.lineTo(r.left(), r.top() + 3);
    disk.quadTo(r.left(), r.top(), r.left() + 3, r.top());
    fillPath(p, disk, Qt::white);
    p.setBrush(base);
    p.drawRect(QRectF(r.left() + r.width() * 0.24, r.top() + 3, r.width() * 0.44, r.height() * 0.3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(r.left() + r.width() * 0.52, r.top() + 6, r.width() * 0.1, r.height() * 0.2));
    p.setBrush(mix(base, Qt::white, 0.7));
    p.drawRoundedRect(QRectF(r.left() + r.width() * 0.16, r.top() + r.height() * 0.52, r.width() * 0.68, r.height() * 0.38), 2, 2);
}

void drawExitIcon(QPainter& p, const QRectF& r, const QColor&)
{
    // A door frame open on the right, with an arrow leaving through it.
    p.setPen(roundPen(Qt::white, 3.2));
    p.setBrush(Qt::NoBrush);
    const qreal doorRight = r.left() + r.width() * 0.58;
    QPainterPath door;
    door.moveTo(doorRight, r.top() + r.height() * 0.3);
    door.lineTo(doorRight, r.top());
    door.lineTo(r.left(), r.top());
    door.lineTo(r.left(), r.bottom());
    door.lineTo(doorRight, r.bottom());
    door.lineTo(doorRight, r.top() + r.height() * 0.7);
    p.drawPath(door);
    const qreal y = r.center().y();
    p.drawLine(QPointF(r.left() + r.width() * 0.3, y), QPointF(r.right(), y));
    p.drawLine(QPointF(r.right(), y), QPointF(r.right() - r.width() * 0.22, y - r.height() * 0.22));
    p.drawLine(QPointF(r.right(), y), QPointF(r.right() - r.width() * 0.22, y + r.height() * 0.22));
}

// A face of exactly its button's size, so that nothing is stretched on screen.
void paintButton(QPainter& p, QSize size, const QString& label, const QColor& base,
                 void (*icon)(QPainter&, const QRectF&, const QColor&))
{
    const qreal w = size.width();
    const qreal h = size.height();
    // The corners show the panel the buttons stand on.
    p.fillRect(QRectF(0, 0, w, h), colour::buttonPanel);
    const QRectF face(1, 1, w - 2, h - 2);
    p.setPen(QPen(base.darker(125), 1));
    p.setBrush(base);
    p.drawRoundedRect(face.adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 46));
    p.drawEllipse(QPointF(40, h / 2.0), 23, 23);
    icon(p, QRectF(25, h / 2.0 - 14, 30, 28), base);
    drawLine(p, QRectF(70, 0, w - 84, h), label, uiFont(25, true), Qt::white);
}

// ---------------------------------------------------------------------------
// Pictures at the size they are shown and at twice it: Qt picks "name@2x.png" on a screen of
// twice the density, so a scaled display shows drawn pixels rather than stretched ones.

using Painting = std::function<void(QPainter&)>;

QImage render(QSize logical, int scale, bool opaque, const Painting& paint)
{
    QImage image(logical * scale, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    image.fill(opaque ? QColor(Qt::white) : QColor(Qt::transparent));
    QPainter p(&image);
    beginPainting(p);
    p.scale(scale, scale);
    paint(p);
    p.end();
    // Opaque pictures are stored as 24-bit colour, the others with their alpha channel.
    return image.convertToFormat(opaque ? QImage::Format_RGB888 : QImage::Format_ARGB32);
}

// Writes base.png at the logical size and base@2x.png at twice it.
void writeScaled(const QString& base, QSize logical, bool opaque, const Painting& paint)
{
    writeImage(render(logical, 1, opaque, paint), base + QStringLiteral(".png"), "png");
    writeImage(render(logical, 2, opaque, paint), base + QStringLiteral("@2x.png"), "png");
}

// The Windows icon file: one PNG-compressed entry per size, which Windows reads since Vista.
void writeIcon(const QString& path, std::initializer_list<int> sizes)
{
    QByteArray header, images;
    const auto put16 = [](QByteArray& out, int value) {
        out.append(char(value & 0xff)).append(char((value >> 8) & 0xff));
    };
    const auto put32 = [&](QByteArray& out, qsizetype value) {
        put16(out, int(value & 0xffff));
        put16(out, int((value >> 16) & 0xffff));
    };
    put16(header, 0);  // reserved
    put16(header, 1);  // an icon, not a cursor
    put16(header, int(sizes.size()));
    const qsizetype dataStart = 6 + 16 * qsizetype(sizes.size());
    for (const int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!render(QSize(size, size), 1, false, [size](QPainter& p) { drawAppMark(p, QRectF(0, 0, size, size)); })
                 .save(&buffer, "png"))
            fail(QStringLiteral("cannot encode the %1-pixel icon").arg(size));
        header.append(char(size >= 256 ? 0 : size)).append(char(size >= 256 ? 0 : size));  // 0 means 256
        header.append(char(0)).append(char(0));  // no palette, reserved
        put16(header, 1);   // colour planes
        put16(header, 32);  // bits per pixel
        put32(header, png.size());
        put32(header, dataStart + images.size());
        images += png;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header + images) != header.size() + images.size() ||
        !file.commit())
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
    std::printf("wrote %s (%d sizes)\n", qPrintable(QDir::toNativeSeparators(path)), int(sizes.size()));
}

}  // namespace

int main(int argc, char* argv[])
{
    // No display is needed: everything is painted into images.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (argc != 2) {
        std::fprintf(stderr, "usage: draw_artwork <repository root>\n");
        return EXIT_FAILURE;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    if (!QFileInfo(root.filePath(QStringLiteral("CMakeLists.txt"))).isFile() ||
        !QFileInfo(root.filePath(QStringLiteral("data"))).isDir())
        fail(QStringLiteral("%1 is not the repository root").arg(root.absolutePath()));
    requireFont();
    if (!root.mkpath(QStringLiteral("data/tips")))
        fail(QStringLiteral("cannot create data/tips under %1").arg(root.absolutePath()));
    if (DialogUnitsToPixels(kMainDialogUnits, kArtworkBaseUnits).size() != kArtworkSize)
        fail(QStringLiteral("the window template is not the artwork's size"));

    const Tip tips[] = {
        {1, QStringLiteral("文件格式错误"), QStringLiteral("请选择 JPG/JPEG 格式的照片"), pictogramNotJpeg},
        {3, QStringLiteral("文件大小不符合要求"), QStringLiteral("请调整照片文件大小"), pictogramFileSize},
        {4, QStringLiteral("照片尺寸不符合要求"), QStringLiteral("像素过小或宽高比例不对"), pictogramDimensions},
        {6, QStringLiteral("照片背景不符合要求"), QStringLiteral("请使用单一纯色背景\n允许的颜色见下方说明"), pictogramBackground},
        {7, QStringLiteral("未检测到单个人脸"), QStringLiteral("照片中须有且仅有一张正面人脸"), pictogramFaceCount},
        {8, QStringLiteral("人脸位置不符合要求"), QStringLiteral("头部过大、过小或位置过高过低"), pictogramFacePosition},
    };
    // The tips are data the program reads from its tips/ folder, so that they can be replaced
    // where it is installed. They are drawn at twice the picture frame: the window shrinks them
    // at 100 % and shows them pixel for pixel at 200 %, never stretching them up.
    const QSize frame = DialogUnitsToPixels(kPictureUnits, kArtworkBaseUnits).size();
    for (const Tip& tip : tips) {
        writeImage(render(frame, 2, true,
                          [&](QPainter& p) {
                              p.scale(qreal(frame.width()) / kTipWidth, qreal(frame.height()) / kTipHeight);
                              paintTip(p, tip);
                          }),
                   root.filePath(QStringLiteral("data/tips/state%1.jpg").arg(tip.number)), "jpeg", 90);
    }

    writeScaled(root.filePath(QStringLiteral("res/background")), kArtworkSize, true, paintBackground);
    writeScaled(root.filePath(QStringLiteral("res/sample")), kSamplePortraitPixels.size(), false, paintSamplePortrait);
    struct Button {
        const char* file;
        QRect units;
        QString label;
        QColor base;
        void (*icon)(QPainter&, const QRectF&, const QColor&);
    };
    const Button buttons[] = {
        {"open", kOpenButtonUnits, QStringLiteral("打开照片"), colour::primary, drawOpenIcon},
        {"save", kSaveButtonUnits, QStringLiteral("保存照片"), colour::ok, drawSaveIcon},
        {"exit", kExitButtonUnits, QStringLiteral("关闭退出"), colour::slate, drawExitIcon},
    };
    for (const Button& button : buttons) {
        const QSize size = DialogUnitsToPixels(button.units, kArtworkBaseUnits).size();
        writeScaled(root.filePath(QStringLiteral("res/%1").arg(QLatin1String(button.file))), size, true,
                    [&](QPainter& p) { paintButton(p, size, button.label, button.base, button.icon); });
    }

    for (const int size : {16, 32, 48})
        writeScaled(root.filePath(QStringLiteral("res/velmora-%1").arg(size)), QSize(size, size), false,
                    [size](QPainter& p) { drawAppMark(p, QRectF(0, 0, size, size)); });
    writeIcon(root.filePath(QStringLiteral("res/velmora.ico")), {16, 24, 32, 48, 64, 256});
    return EXIT_SUCCESS;
}
