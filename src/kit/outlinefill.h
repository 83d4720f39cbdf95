#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRegion>

#include <vector>

class QPainter;

namespace kit {

// Fills outlines (non-zero winding, antialiased) in one opaque colour straight into the image a
// painter draws on, with FreeType's rasterizer. Glyphs hundreds of pixels high cost Qt's own
// path filler up to four times what they cost FreeType. (Sharing the rows between two threads
// was tried: waking the second thread cost more than it saved.)
//
// Each outline is filled on its own, in painter coordinates, within clip (also in painter
// coordinates) and the painter's system clip. Returns false, having drawn nothing, where the
// painter's device, transform, composition or the outlines do not allow it; the caller then
// draws them its own way.
bool fillOutlines(QPainter &painter, const std::vector<QPainterPath> &outlines, QColor colour, const QRegion &clip);

} // namespace kit
