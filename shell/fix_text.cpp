#include "shell/fix_text.h"

using velmora::FixRefusal;

QString FixDoneText(const velmora::PhotoFix& fix, const velmora::CheckOutcome& original)
{
    QString text;
    if (fix.crop && fix.turnedBy)
        text = QStringLiteral("已按标准构图裁剪并旋转");
    else if (fix.crop)
        text = QStringLiteral("已按标准构图裁剪");
    else if (fix.turnedBy)
        text = QStringLiteral("已旋转");
    // Every copy is encoded anew; it is worth a word only where the file size was the fault.
    if (original.stage == velmora::CheckStage::FileSize)
        text += text.isEmpty() ? QStringLiteral("已重新压缩以符合文件大小要求")
                               : QStringLiteral("，并重新压缩以符合文件大小要求");
    if (text.isEmpty())
        text = QStringLiteral("已按标准尺寸重新保存");
    return text;
}

QString FixRefusedText(const velmora::PhotoFix& fix)
{
    const QString prefix = QStringLiteral("无法自动调整：");
    switch (fix.refusal) {
    case FixRefusal::NoFace:
        return prefix + QStringLiteral("整张照片中没有检测到人脸");
    case FixRefusal::SeveralFaces:
        return prefix + QStringLiteral("整张照片中检测到 %1 张人脸，只能有一人").arg(fix.faces);
    case FixRefusal::HeadAtEdge:
        return prefix + QStringLiteral("头部离照片边缘太近，无法按标准构图裁剪");
    case FixRefusal::TooSmall:
        return prefix + QStringLiteral("照片太小，按标准构图裁剪后需要放大，请换一张更清晰的照片");
    case FixRefusal::FileWindow:
        return prefix + QStringLiteral("无法把照片压缩到允许的文件大小");
    case FixRefusal::Undecodable:
        return prefix + QStringLiteral("照片无法读取或解码");
    case FixRefusal::NotOffered:
    case FixRefusal::DetectorUnavailable:
    case FixRefusal::None:
        break;
    }
    return QStringLiteral("无法自动调整这张照片");
}
