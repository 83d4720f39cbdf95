#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

#include <span>

namespace kit {

// Decodes a PNG with libpng into 8-bit RGBA (QImage::Format_RGBA8888); a null image on failure.
QImage decodePng(std::span<const unsigned char> bytes);

// Every pixel whose alpha is below 255 blended over the background, channel by channel and
// truncated; the result is opaque.
QImage blendOver(const QImage &rgba, QColor background);

// Where a picture goes in a box in fit mode: natural size if it fits, else scaled down to fit
// (never enlarged), centred in both cases, every value truncated.
QRect fitRect(QSize picture, QSize box);

} // namespace kit
