#include "shell/image_convert.h"

#include <opencv2/core.hpp>

QImage ToQImage(const velmora::Image& image)
{
    if (image.empty() || image.type() != CV_8UC3)
        return {};
    // The wrapper borrows the matrix's pixels, honouring its row stride; the copy owns them.
    return QImage(image.data, image.cols, image.rows, static_cast<qsizetype>(image.step),
                  QImage::Format_BGR888)
        .copy();
}
