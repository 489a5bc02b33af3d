// What the reason line says about the automatic fix: the link's label, what was done to the
// copy, or why no copy could be made.
#pragma once

#include <QString>

#include "velmora/photo_fix.h"

// The link offered after a rejection the fix is for.
inline const QString kFixActionLabel = QStringLiteral("自动调整");

// The steps actually taken, e.g. "已按标准构图裁剪并旋转"; `original` is the opened photo's check.
QString FixDoneText(const velmora::PhotoFix& fix, const velmora::CheckOutcome& original);

// Why no copy was made, e.g. "无法自动调整：整张照片中检测到 2 张人脸".
QString FixRefusedText(const velmora::PhotoFix& fix);
