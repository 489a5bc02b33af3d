#include "shell/reason_text.h"

#include "shell/requirements_card.h"

ReasonText DescribeOutcome(const velmora::CheckOutcome& outcome, const velmora::CheckSettings& settings)
{
    using velmora::TipImage;
    if (outcome.accepted)
        return {ReasonTone::Success, QStringLiteral("审核通过，可点击“保存照片”")};
    if (!outcome.tip)
        return {ReasonTone::Failure, QStringLiteral("照片未能检查")};
    switch (*outcome.tip) {
    case TipImage::NotJpeg:
        return {ReasonTone::Failure, QStringLiteral("文件不是 JPEG 照片，请选择 JPG/JPEG 格式的照片")};
    case TipImage::FileSizeOutsideWindow:
        return {ReasonTone::Failure, QStringLiteral("文件大小不在允许范围内，见“照片要求”")};
    case TipImage::BadDimensions:
        return {ReasonTone::Failure, QStringLiteral("照片无法读取、像素过少或不是竖幅，见“照片要求”")};
    case TipImage::BackgroundNotPlain:
        return {ReasonTone::Failure,
                QStringLiteral("背景不是单一纯色：应为%1").arg(BackgroundColoursText(settings))};
    case TipImage::NoSingleFace:
        return {ReasonTone::Failure, QStringLiteral("没有检测到唯一一张正面人脸")};
    case TipImage::FaceBadlyPlaced:
        return {ReasonTone::Failure, QStringLiteral("头部大小或高低位置不合适，请参照示例重拍或裁剪")};
    }
    return {ReasonTone::Failure, QStringLiteral("照片未通过审核")};
}
