#include "picture.h"

#include <png.h>

#include <algorithm>
#include <cstring>

namespace kit {

QImage decodePng(std::span<const unsigned char> bytes)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return {};
    image.format = PNG_FORMAT_RGBA;
    if (image.width == 0 || image.height == 0 || image.width > 4096 || image.height > 4096) {
        png_image_free(&image);
        return {};
    }
    QImage out(int(image.width), int(image.height), QImage::Format_RGBA8888);
    if (out.isNull()) {
        png_image_free(&image);
        return {};
    }
    if (!png_image_finish_read(&image, nullptr, out.bits(), png_int_32(out.bytesPerLine()), nullptr)) {
        png_image_free(&image);
        return {};
    }
    return out;
}

QImage blendOver(const QImage &rgba, QColor background)
{
    QImage src = rgba.convertToFormat(QImage::Format_RGBA8888);
    QImage out(src.size(), QImage::Format_RGB888);
    const int bg[3] = {background.red(), background.green(), background.blue()};
    for (int y = 0; y < src.height(); ++y) {
        const uchar *s = src.constScanLine(y);
        uchar *d = out.scanLine(y);
        for (int x = 0; x < src.width(); ++x, s += 4, d += 3) {
            const int a = s[3];
            for (int c = 0; c < 3; ++c) {
                if (a == 255) {
                    d[c] = s[c];
                } else {
                    const double f = a / 255.0;
                    const int v = int(f * s[c] + (1.0 - f) * bg[c]);
                    d[c] = uchar(std::clamp(v, 0, 255));
                }
            }
        }
    }
    return out;
}

QRect fitRect(QSize picture, QSize box)
{
    QSize size = picture;
    if (picture.width() > box.width() || picture.height() > box.height()) {
        const double m = std::min(double(box.width()) / picture.width(), double(box.height()) / picture.height());
        size = QSize(int(picture.width() * m), int(picture.height() * m));
    }
    return QRect(QPoint((box.width() - size.width()) / 2, (box.height() - size.height()) / 2), size);
}

} // namespace kit
