#pragma once

#include <QImage>
#include <QRect>

#include <functional>

namespace e2e {

// The largest difference between two colours in any of red, green and blue.
int channelDistance(QRgb a, QRgb b);

// How many pixels of the area pass the test.
int countPixels(const QImage &image, const QRect &area, const std::function<bool(QRgb)> &test);

// The grip picture (a 32 x 32 PNG with alpha) as the program should show it: blended over the
// face colour, then reduced to 16 x 16 by averaging each 2 x 2 block. Null if it cannot be read.
QImage expectedGrip(const QString &pngPath, QRgb face);

} // namespace e2e
