#include "shell/reason_text.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include <QStringList>

#include "shell/requirements_card.h"
#include "shell/size_text.h"

using velmora::CheckOutcome;
using velmora::CheckSettings;
using velmora::DecodeFailure;
using velmora::Finding;
using velmora::Reason;

namespace {

// A share as a percentage to one decimal, without a trailing ".0": "62%", "33.3%".
QString Percent(double share)
{
    QString text = QString::number(share * 100.0, 'f', 1);
    if (text.endsWith(QStringLiteral(".0")))
        text.chop(2);
    return text + QLatin1Char('%');
}

QString Size(const CheckOutcome& outcome)
{
    if (!outcome.storedSize)
        return {};
    return QStringLiteral("%1 × %2").arg(outcome.storedSize->width).arg(outcome.storedSize->height);
}

// Orientation tags 5 to 8 turn the picture a quarter: viewers show it the other way round
// from how the check, which reads the pixels as stored, sees it.
bool TurnedByTag(const CheckOutcome& outcome)
{
    return outcome.orientation && *outcome.orientation >= 5 && *outcome.orientation <= 8;
}

QString RangeText(const QString& low, const QString& high)
{
    return QStringLiteral("应在 %1–%2 之间").arg(low, high);
}

QString FileSize(const Reason& reason, const CheckOutcome&, const CheckSettings&)
{
    const auto limit = [](double bytes) { return ByteLimitText(static_cast<std::uintmax_t>(bytes)); };
    const bool tooSmall = reason.finding == Finding::FileTooSmall;
    QString range;
    if (reason.low && *reason.low > 0 && reason.high)
        range = RangeText(limit(*reason.low), limit(*reason.high));
    else if (reason.high)
        range = QStringLiteral("应不超过 %1").arg(limit(*reason.high));
    else
        range = QStringLiteral("应至少 %1").arg(limit(reason.low.value_or(0)));

    const auto bytes = static_cast<std::uintmax_t>(reason.measured);
    QString measured = FileSizeText(bytes);
    // Rounded to one decimal, a size just past a limit would read as the limit itself.
    const double bound = tooSmall ? reason.low.value_or(0) : reason.high.value_or(0);
    if (measured == limit(bound)) {
        measured = QStringLiteral("%1 字节").arg(bytes);
        range += QStringLiteral("（%1 字节）").arg(static_cast<std::uintmax_t>(bound));
    }
    return QStringLiteral("文件过%1：%2，%3").arg(tooSmall ? QStringLiteral("小") : QStringLiteral("大"), measured, range);
}

QString Undecodable(const Reason&, const CheckOutcome& outcome, const CheckSettings&)
{
    switch (outcome.decodeFailure) {
    case DecodeFailure::TooManyBytes:
        return QStringLiteral("文件过大，无法读取，请压缩后另存再打开");
    case DecodeFailure::Truncated:
        return QStringLiteral("照片文件不完整（可能复制或下载中断），请重新导出");
    case DecodeFailure::TooManyPixels:
        return QStringLiteral("照片像素过多（超过 1 亿），请缩小后另存再打开");
    case DecodeFailure::TooManyScans:
    case DecodeFailure::Unsupported:
        return QStringLiteral("无法读取这种 JPEG 编码，请用看图软件另存为普通 JPEG 再打开");
    case DecodeFailure::TooMuchMemory:
        return QStringLiteral("照片过大，读取所需内存超出限制，请缩小后另存再打开");
    case DecodeFailure::Damaged:
    case DecodeFailure::None:
        break;
    }
    return QStringLiteral("照片数据已损坏，无法读取");
}

bool Found(const CheckOutcome& outcome, Finding finding)
{
    const auto is = [finding](const Reason& r) { return r.finding == finding; };
    return std::ranges::any_of(outcome.reasons, is) || std::ranges::any_of(outcome.further, is);
}

QString TooFewPixels(const Reason&, const CheckOutcome& outcome, const CheckSettings& settings)
{
    // Width and height are worded together: a photo short of both needs one sentence. They are
    // either the verdict's reasons or further findings, never split between the two.
    const bool narrow = Found(outcome, Finding::TooNarrow);
    const bool low = Found(outcome, Finding::TooShort);
    const int width = std::max(settings.min_width, 0) + 1;
    const int height = std::max(settings.min_height, 0) + 1;
    QString wanted;
    if (narrow && low)
        wanted = QStringLiteral("应至少 %1 × %2 像素").arg(width).arg(height);
    else if (narrow)
        wanted = QStringLiteral("宽应至少 %1 像素").arg(width);
    else
        wanted = QStringLiteral("高应至少 %1 像素").arg(height);
    return QStringLiteral("像素过少：照片 %1，%2").arg(Size(outcome), wanted);
}

QString NotUpright(const Reason& reason, const CheckOutcome& outcome, const CheckSettings&)
{
    const QString shape = reason.measured >= 1.0 ? QStringLiteral("正方形") : QStringLiteral("横向");
    if (TurnedByTag(outcome))
        return QStringLiteral("照片为%1 %2（带旋转标记，看图软件会竖着显示），请旋转后另存再打开").arg(shape, Size(outcome));
    return QStringLiteral("照片为%1 %2，应为竖幅（高大于宽）").arg(shape, Size(outcome));
}

QString TooElongated(const Reason& reason, const CheckOutcome& outcome, const CheckSettings&)
{
    const QString turned = TurnedByTag(outcome) ? QStringLiteral("（带旋转标记，看图软件会横着显示）") : QString();
    return QStringLiteral("照片过于细长：%1%2，高宽比 %3，应小于 2")
        .arg(Size(outcome), turned, QString::number(reason.measured, 'f', 2));
}

// A figure of 0..1 to two decimals, or three where two would read as the limit itself.
QString Fraction(double value, double limit)
{
    QString text = QString::number(value, 'f', 2);
    if (text == QString::number(limit, 'f', 2))
        text = QString::number(value, 'f', 3);
    return text;
}

// How much of the corner fails, so that a speck is told apart from a whole wall.
QString CornerShare(const velmora::BackgroundFault& fault)
{
    if (fault.stripPixels <= 0)
        return {};
    if (fault.failingPixels >= fault.stripPixels)
        return QStringLiteral("整片");
    if (fault.failingPixels * 100 < fault.stripPixels)
        return QStringLiteral("个别像素");
    return QStringLiteral("约 %1% ").arg(std::min(99L, std::lround(100.0 * fault.failingPixels / fault.stripPixels)));
}

// What fails in the corner, in the words of the rule in force, short enough for one line of the
// strip: "背景：左上角约 40% 偏暗（亮度 0.62，白色背景需高于 0.70）".
QString BackgroundFaultText(const velmora::BackgroundFault& fault)
{
    using velmora::BackgroundTest;
    const QString corner = fault.side == velmora::Strip::Left ? QStringLiteral("左上角") : QStringLiteral("右上角");
    const QString limit = QString::number(fault.limit, 'f', 2);
    QString what;
    switch (fault.test) {
    case BackgroundTest::TooDark:
        what = QStringLiteral("偏暗（亮度 %1，白色背景需高于 %2）").arg(Fraction(fault.measured, fault.limit), limit);
        break;
    case BackgroundTest::Tinted:
        what = QStringLiteral("偏色（饱和度 %1，白色背景需低于 %2）").arg(Fraction(fault.measured, fault.limit), limit);
        break;
    case BackgroundTest::ColourTooDark:
        what = QStringLiteral("颜色过暗（亮度 %1，蓝色或红色背景需高于 %2）").arg(Fraction(fault.measured, fault.limit), limit);
        break;
    case BackgroundTest::HueOutsideBands: {
        const auto degrees = [](double value) { return QString::number(std::lround(value)); };
        what = QStringLiteral("既不是蓝色也不是红色（色相 %1°，蓝色需 %2°–%3°，红色需不超过 %4°）")
                   .arg(degrees(fault.measured), degrees(fault.bands.blueFrom), degrees(fault.bands.blueTo),
                        degrees(fault.bands.redUpTo));
        break;
    }
    }
    return QStringLiteral("背景：") + corner + CornerShare(fault) + what;
}

QString Background(const Reason&, const CheckOutcome& outcome, const CheckSettings& settings)
{
    if (outcome.backgroundFault)
        return BackgroundFaultText(*outcome.backgroundFault);
    const QString colours = BackgroundColoursText(settings);
    if (!outcome.backgroundFailure)
        return QStringLiteral("背景不是单一纯色，应为%1").arg(colours);
    const velmora::BackgroundPixel& pixel = *outcome.backgroundFailure;
    // The right strip is counted from the photo's right edge, as people look for it.
    const QString where = pixel.strip == velmora::Strip::Left
                              ? QStringLiteral("左上角第 %1 行第 %2 列").arg(pixel.row + 1).arg(pixel.column + 1)
                              : QStringLiteral("右上角第 %1 行倒数第 %2 列").arg(pixel.row + 1).arg(settings.dst_width - pixel.column);
    return QStringLiteral("背景：%1不是%2").arg(where, colours);
}

QString Faces(const Reason& reason, const CheckOutcome&, const CheckSettings&)
{
    if (reason.finding == Finding::NoFace)
        return QStringLiteral("没有检测到人脸，请使用正面、免冠、五官清晰的照片");
    return QStringLiteral("检测到 %1 张人脸，照片中只能有一个人").arg(std::lround(reason.measured));
}

QString FaceHeight(const Reason& reason, const CheckOutcome&, const CheckSettings&)
{
    const bool tooLow = reason.finding == Finding::FaceTooLow;
    return QStringLiteral("头部过%1：下巴以下占照片高度 %2，%3")
        .arg(tooLow ? QStringLiteral("低") : QStringLiteral("高"), Percent(reason.measured),
             RangeText(Percent(reason.low.value_or(0)), Percent(reason.high.value_or(1))));
}

QString FaceWidth(const Reason& reason, const CheckOutcome&, const CheckSettings&)
{
    // The rule measures the width the face leaves free; people think of the width it takes.
    const bool tooLarge = reason.finding == Finding::FaceTooLarge;
    return QStringLiteral("头部过%1：人脸宽度占照片 %2，%3")
        .arg(tooLarge ? QStringLiteral("大") : QStringLiteral("小"), Percent(1.0 - reason.measured),
             RangeText(Percent(1.0 - reason.high.value_or(1)), Percent(1.0 - reason.low.value_or(0))));
}

QString Stretched(const Reason& reason, const CheckOutcome&, const CheckSettings& settings)
{
    // measured: how much taller the saved photo is than the photo's own proportions.
    const bool taller = reason.measured > 1.0;
    const double change = taller ? reason.measured - 1.0 : 1.0 / reason.measured - 1.0;
    return QStringLiteral("注意：比例与 %1 × %2 不同，保存时会%3拉伸 %4")
        .arg(settings.dst_width)
        .arg(settings.dst_height)
        .arg(taller ? QStringLiteral("纵向") : QStringLiteral("横向"), Percent(change));
}

QString Fixed(const Reason& reason, const CheckOutcome&, const CheckSettings& settings)
{
    switch (reason.finding) {
    case Finding::Accepted:
        return QStringLiteral("审核通过，可点击“保存照片”");
    case Finding::AcceptedStamped:
        return QStringLiteral("此照片已审核通过（带审核标记），可点击“保存照片”");
    case Finding::AcceptedNormalised:
        return QStringLiteral("已调整为 %1 × %2 像素（当前设置不做检查），可点击“保存照片”")
            .arg(settings.dst_width)
            .arg(settings.dst_height);
    case Finding::StampIgnored:
        return QStringLiteral("已忽略审核标记，照片已完整检查");
    default:
        break;
    }
    return QStringLiteral("文件不是 JPEG 格式，请选择 JPG/JPEG 照片");
}

// A further finding in a few words, for the line that names them all: "头部过小", "检测到 2 张人脸".
QString FurtherName(const Reason& reason, const CheckOutcome& outcome)
{
    using velmora::BackgroundTest;
    switch (reason.finding) {
    case Finding::TooNarrow:
    case Finding::TooShort:
        return QStringLiteral("像素过少");
    case Finding::NotUpright:
        return reason.measured >= 1.0 ? QStringLiteral("照片为正方形") : QStringLiteral("照片为横向");
    case Finding::TooElongated:
        return QStringLiteral("照片过于细长");
    case Finding::BackgroundNotPlain:
        if (!outcome.backgroundFault)
            return QStringLiteral("背景不是单一纯色");
        switch (outcome.backgroundFault->test) {
        case BackgroundTest::TooDark:
            return QStringLiteral("背景偏暗");
        case BackgroundTest::Tinted:
            return QStringLiteral("背景偏色");
        case BackgroundTest::ColourTooDark:
            return QStringLiteral("背景颜色过暗");
        case BackgroundTest::HueOutsideBands:
            return QStringLiteral("背景不是蓝色或红色");
        }
        break;
    case Finding::NoFace:
        return QStringLiteral("没有检测到人脸");
    case Finding::SeveralFaces:
        return QStringLiteral("检测到 %1 张人脸").arg(std::lround(reason.measured));
    case Finding::FaceTooLow:
        return QStringLiteral("头部过低");
    case Finding::FaceTooHigh:
        return QStringLiteral("头部过高");
    case Finding::FaceTooLarge:
        return QStringLiteral("头部过大");
    case Finding::FaceTooSmall:
        return QStringLiteral("头部过小");
    default:
        break;
    }
    return {};
}

using Wording = QString (*)(const Reason&, const CheckOutcome&, const CheckSettings&);

struct FindingWording {
    Finding finding;
    Wording word;
};

constexpr FindingWording kWordings[] = {
    {Finding::Accepted, Fixed},
    {Finding::AcceptedStamped, Fixed},
    {Finding::AcceptedNormalised, Fixed},
    {Finding::StretchedOnSave, Stretched},
    {Finding::StampIgnored, Fixed},
    {Finding::NotJpeg, Fixed},
    {Finding::FileTooSmall, FileSize},
    {Finding::FileTooLarge, FileSize},
    {Finding::Undecodable, Undecodable},
    {Finding::TooNarrow, TooFewPixels},
    {Finding::TooShort, TooFewPixels},
    {Finding::NotUpright, NotUpright},
    {Finding::TooElongated, TooElongated},
    {Finding::BackgroundNotPlain, Background},
    {Finding::NoFace, Faces},
    {Finding::SeveralFaces, Faces},
    {Finding::FaceTooLow, FaceHeight},
    {Finding::FaceTooHigh, FaceHeight},
    {Finding::FaceTooLarge, FaceWidth},
    {Finding::FaceTooSmall, FaceWidth},
};

}  // namespace

QString WordReason(const Reason& reason, const CheckOutcome& outcome, const CheckSettings& settings)
{
    const auto entry = std::ranges::find(kWordings, reason.finding, &FindingWording::finding);
    return entry == std::end(kWordings) ? QString() : entry->word(reason, outcome, settings);
}

AdvisoryWords WordAdvisory(const velmora::Advisory& a)
{
    using velmora::AdvisoryKind;
    const QString measured = QString::number(a.measured, 'f', 1);
    const QString bound = QString::number(a.threshold, 'g', 3);
    switch (a.kind) {
    case AdvisoryKind::Blurred:
        return {QStringLiteral("面部不够清晰"), QStringLiteral("细节 %1，应至少 %2").arg(Percent(a.measured), Percent(a.threshold)),
                QStringLiteral("请对准双眼对焦，拿稳相机")};
    case AdvisoryKind::FaceTooDark:
        return {QStringLiteral("面部偏暗"), QStringLiteral("亮部 %1，应至少 %2").arg(measured, bound),
                QStringLiteral("请加强照明或增加曝光")};
    case AdvisoryKind::FaceTooBright:
        return {QStringLiteral("面部过亮"), QStringLiteral("亮部 %1，应低于 %2").arg(measured, bound),
                QStringLiteral("请减弱照明或降低曝光")};
    case AdvisoryKind::HighlightsClipped:
        return {QStringLiteral("面部有过曝白斑"), QStringLiteral("占 %1，应不超过 %2").arg(Percent(a.measured), Percent(a.threshold)),
                QStringLiteral("请避免闪光灯直射和反光")};
    case AdvisoryKind::HeadTilted:
        return {QStringLiteral("头部歪斜"),
                QStringLiteral("双眼连线倾斜 %1°，应不超过 %2°").arg(QString::number(std::abs(a.measured), 'f', 1), bound),
                QStringLiteral("请摆正头部")};
    case AdvisoryKind::CrownAtTop:
        return {QStringLiteral("头顶贴近或超出上边"),
                QStringLiteral("头顶留白 %1，应至少 %2").arg(Percent(a.measured), Percent(a.threshold)),
                QStringLiteral("请在头顶上方留出空间")};
    case AdvisoryKind::FaceNearSide:
        return {QStringLiteral("脸部贴近侧边"), QStringLiteral("侧边留白 %1，应至少 %2").arg(Percent(a.measured), Percent(a.threshold)),
                QStringLiteral("请让头部居中")};
    case AdvisoryKind::BusyBackground:
        return {QStringLiteral("头部周围背景杂乱"),
                QStringLiteral("%1 有明显轮廓，应不超过 %2").arg(Percent(a.measured), Percent(a.threshold)),
                QStringLiteral("请在纯色墙前拍摄")};
    }
    return {};
}

ReasonText DescribeOutcome(const CheckOutcome& outcome, const CheckSettings& settings)
{
    switch (outcome.error) {
    case velmora::CheckError::FileUnreadable:
        return {ReasonTone::Warning, QStringLiteral("无法读取这个文件：它不存在、没有读取权限或正被其他程序占用")};
    case velmora::CheckError::DetectorUnavailable:
        return {ReasonTone::Warning, QStringLiteral("人脸检测模型无法加载，照片未能检查完")};
    case velmora::CheckError::None:
        break;
    }

    // A photo stored sideways under a rotation tag is told first to turn it: that one step is what
    // its owner has to do, whatever else its stored size fails.
    std::vector<Reason> reasons = outcome.reasons;
    if (TurnedByTag(outcome))
        std::ranges::stable_partition(reasons, [](const Reason& r) { return r.finding == Finding::NotUpright; });

    // Two lines at most: the first reason, and the next one that says something new.
    QStringList lines;
    bool stretched = false;
    for (const Reason& reason : reasons) {
        const QString line = WordReason(reason, outcome, settings);
        if (line.isEmpty() || lines.contains(line))
            continue;
        stretched = stretched || reason.finding == Finding::StretchedOnSave;
        lines << line;
        if (lines.size() == 2)
            break;
    }
    if (lines.isEmpty())
        lines << (outcome.accepted ? QStringLiteral("审核通过，可点击“保存照片”") : QStringLiteral("照片未通过审核"));
    // What the later stages found once the verdict was fixed, so that the applicant can put
    // everything right at once: named on one line after the deciding finding, where the strip
    // still shows it, then each with its figures (in the tooltip when the strip is full).
    QStringList furtherNames;
    QStringList furtherLines;
    for (const Reason& reason : outcome.further) {
        const QString words = WordReason(reason, outcome, settings);
        if (words.isEmpty() || furtherLines.contains(words) || lines.contains(words))
            continue;
        furtherLines << words;
        const QString name = FurtherName(reason, outcome);
        if (!furtherNames.contains(name))
            furtherNames << (name.isEmpty() ? words : name);
    }
    if (!furtherLines.isEmpty())
        lines << QStringLiteral("另外：") + furtherNames.join(QStringLiteral("、")) << furtherLines;
    // What the rules do not judge follows the verdict and changes neither it nor the tip. On an
    // accepted photo the first line names every advisory, so that the strip shows them all; the
    // figures and the advice follow, one line each, in the tooltip when the strip is full.
    QStringList names;
    for (const velmora::Advisory& advisory : outcome.advisories) {
        const AdvisoryWords words = WordAdvisory(advisory);
        names << words.name;
        const QString detail = words.figures + QStringLiteral("，") + words.advice;
        lines << (outcome.accepted ? detail : QStringLiteral("注意：%1（%2）").arg(words.name, detail));
    }
    if (outcome.accepted && !names.isEmpty())
        lines.front() = QStringLiteral("审核通过，但请注意：") + names.join(QStringLiteral("、"));
    const bool warned = stretched || !outcome.advisories.empty();
    const ReasonTone tone = !outcome.accepted ? ReasonTone::Failure : warned ? ReasonTone::Warning : ReasonTone::Success;
    return {tone, lines.join(QLatin1Char('\n'))};
}
