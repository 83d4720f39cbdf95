#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRegion>

#include <vector>

class QPainter;

namespace kit {

// Fills outlines (non-zero winding, antialiased) in one opaque colour straight into the image a
// painter draws on. Glyphs hundreds of pixels high cost Qt's own path filler several times what
// they cost here, and FreeType's rasterizer, which keeps each row's cells in a sorted list and
// walks the whole outline again for every band of rows, about twice. (Sharing the rows between
// two threads was tried: waking the second thread cost more than it saved.)
//
// Coverage is the exact area of each pixel inside the outline, as with both of those; curves are
// cut into lines within 1/16 pixel, so edge pixels differ from the painter's by a few levels.
//
// Each outline is filled on its own, in painter coordinates, within clip (also in painter
// coordinates) and the painter's system clip. Returns false, having drawn nothing, where the
// painter's device, transform, composition or the outlines do not allow it; the caller then
// draws them its own way.
bool fillOutlines(QPainter &painter, const std::vector<QPainterPath> &outlines, QColor colour, const QRegion &clip);

} // namespace kit
