#include "pixels.h"

#include <algorithm>
#include <cstdlib>

namespace e2e {

int channelDistance(QRgb a, QRgb b)
{
    return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

int countPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &test)
{
    const QRect inside = area.intersected(image.rect());
    int n = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            n += test(image.pixel(x, y));
    return n;
}

QImage expectedGrip(const QString &pngPath, QRgb face)
{
    const QImage picture = QImage(pngPath).convertToFormat(QImage::Format_ARGB32);
    if (picture.size() != QSize(32, 32))
        return {};
    QImage blended(32, 32, QImage::Format_RGB32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb p = picture.pixel(x, y);
            const int a = qAlpha(p);
            auto mix = [a](int c, int f) { return a == 255 ? c : int(a / 255.0 * c + (1 - a / 255.0) * f); };
            blended.setPixel(x, y, qRgb(mix(qRed(p), qRed(face)), mix(qGreen(p), qGreen(face)), mix(qBlue(p), qBlue(face))));
        }
    QImage half(16, 16, QImage::Format_RGB32);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            int r = 0, g = 0, b = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const QRgb p = blended.pixel(2 * x + dx, 2 * y + dy);
                    r += qRed(p), g += qGreen(p), b += qBlue(p);
                }
            half.setPixel(x, y, qRgb(r / 4, g / 4, b / 4));
        }
    return half;
}

} // namespace e2e
