#include "outlinefill.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <limits>

namespace kit {

namespace {

// Beyond this the rasterizer's fixed-point coordinates run out.
constexpr qreal CoordinateLimit = 32000;

// A FreeType library of the thread's own: a library must not be used by two threads at once.
FT_Library threadLibrary()
{
    struct Library {
        FT_Library handle = nullptr;
        Library()
        {
            if (FT_Init_FreeType(&handle) != 0)
                handle = nullptr;
        }
        ~Library()
        {
            if (handle)
                FT_Done_FreeType(handle);
        }
    };
    thread_local Library library;
    return library.handle;
}

// An outline as FreeType takes it: 26.6 fixed-point points in device pixels, with the tags
// that make curve points cubic controls, and the index of each contour's last point.
struct FtOutline {
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<short> contours;

    FT_Outline view()
    {
        FT_Outline o{};
        o.n_points = short(points.size());
        o.n_contours = short(contours.size());
        o.points = points.data();
        o.tags = tags.data();
        o.contours = contours.data();
        o.flags = FT_OUTLINE_NONE; // non-zero winding
        return o;
    }
};

bool convert(const QPainterPath &path, QPointF offset, FtOutline &out)
{
    const auto fixed = [&](qreal x, qreal y) {
        return FT_Vector{FT_Pos(std::lround((x + offset.x()) * 64)), FT_Pos(std::lround((y + offset.y()) * 64))};
    };
    const auto add = [&](const QPainterPath::Element &e, char tag) {
        out.points.push_back(fixed(e.x, e.y));
        out.tags.push_back(tag);
    };
    const int n = path.elementCount();
    for (int i = 0; i < n; ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            if (!out.points.empty() && (out.contours.empty() || out.contours.back() != short(out.points.size() - 1)))
                out.contours.push_back(short(out.points.size() - 1));
            add(e, FT_CURVE_TAG_ON);
            break;
        case QPainterPath::LineToElement:
            add(e, FT_CURVE_TAG_ON);
            break;
        case QPainterPath::CurveToElement:
            if (i + 2 >= n)
                return false;
            add(e, FT_CURVE_TAG_CUBIC);
            add(path.elementAt(i + 1), FT_CURVE_TAG_CUBIC);
            add(path.elementAt(i + 2), FT_CURVE_TAG_ON);
            i += 2;
            break;
        case QPainterPath::CurveToDataElement:
            return false;
        }
        // FreeType counts points and contours in shorts.
        if (out.points.size() > std::size_t(std::numeric_limits<short>::max()) - 4)
            return false;
    }
    if (!out.points.empty() && (out.contours.empty() || out.contours.back() != short(out.points.size() - 1)))
        out.contours.push_back(short(out.points.size() - 1));
    return true;
}

// Where the spans of one fill go: rows of 32-bit premultiplied pixels, cut to a rectangle.
struct Target {
    uchar *bits;
    qsizetype bytesPerLine;
    QRect rect;
    QRgb colour; // opaque
};

// c × a / 255 on the four channels at once, rounded as the raster engine rounds it.
inline quint32 byteMul(quint32 x, quint32 a)
{
    quint32 t = (x & 0xff00ff) * a;
    t = (t + ((t >> 8) & 0xff00ff) + 0x800080) >> 8;
    t &= 0xff00ff;
    x = ((x >> 8) & 0xff00ff) * a;
    x = x + ((x >> 8) & 0xff00ff) + 0x800080;
    x &= 0xff00ff00;
    return x | t;
}

void blendSpans(int y, int count, const FT_Span *spans, void *user)
{
    const auto *t = static_cast<const Target *>(user);
    if (y < t->rect.top() || y > t->rect.bottom())
        return;
    auto *row = reinterpret_cast<quint32 *>(t->bits + qsizetype(y) * t->bytesPerLine);
    const int left = t->rect.left();
    const int end = t->rect.right() + 1;
    for (int i = 0; i < count; ++i) {
        const int x0 = std::max<int>(spans[i].x, left);
        const int x1 = std::min<int>(spans[i].x + spans[i].len, end);
        if (x0 >= x1)
            continue;
        const unsigned coverage = spans[i].coverage;
        quint32 *p = row + x0;
        if (coverage == 255) {
            // The C library's wide-character fill is its fastest 32-bit fill.
            static_assert(sizeof(wchar_t) == sizeof(quint32));
            std::wmemset(reinterpret_cast<wchar_t *>(p), wchar_t(t->colour), std::size_t(x1 - x0));
        } else {
            const quint32 c = byteMul(t->colour, coverage);
            const quint32 inverse = 255 - coverage;
            for (quint32 *q = p; q < row + x1; ++q)
                *q = c + byteMul(*q, inverse);
        }
    }
}

void render(FT_Library library, std::vector<FtOutline> &outlines, const std::vector<QRect> &rects, Target target)
{
    for (const QRect &r : rects) {
        target.rect = r;
        for (FtOutline &o : outlines) {
            FT_Outline outline = o.view();
            FT_Raster_Params params{};
            params.source = &outline;
            params.flags = FT_RASTER_FLAG_AA | FT_RASTER_FLAG_DIRECT | FT_RASTER_FLAG_CLIP;
            params.gray_spans = blendSpans;
            params.user = &target;
            params.clip_box = {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
            // An outline the rasterizer refuses is left out, as the painter leaves out one it
            // cannot fill.
            FT_Outline_Render(library, &outline, &params);
        }
    }
}

} // namespace

bool fillOutlines(QPainter &painter, const std::vector<QPainterPath> &outlines, QColor colour, const QRegion &clip)
{
    FT_Library library = threadLibrary();
    QPaintEngine *engine = painter.paintEngine();
    if (!library || !engine || engine->type() != QPaintEngine::Raster)
        return false;
    QPaintDevice *device = engine->paintDevice();
    if (!device || device->devType() != QInternal::Image)
        return false;
    auto *image = static_cast<QImage *>(device);
    if (image->format() != QImage::Format_RGB32 && image->format() != QImage::Format_ARGB32_Premultiplied)
        return false;
    if (image->devicePixelRatio() != 1 || colour.alpha() != 255 || painter.opacity() != 1
        || painter.compositionMode() != QPainter::CompositionMode_SourceOver)
        return false;
    // Only a whole-pixel shift from painter to image keeps the outlines exactly where the
    // painter would put them.
    const QTransform t = painter.deviceTransform();
    if (t.type() > QTransform::TxTranslate || t.dx() != std::trunc(t.dx()) || t.dy() != std::trunc(t.dy()))
        return false;
    const QPoint shift(int(t.dx()), int(t.dy()));

    const QRectF limits(-CoordinateLimit, -CoordinateLimit, 2 * CoordinateLimit, 2 * CoordinateLimit);
    std::vector<FtOutline> converted(outlines.size());
    for (std::size_t i = 0; i < outlines.size(); ++i) {
        if (!limits.contains(outlines[i].controlPointRect().translated(shift)))
            return false;
        if (!convert(outlines[i], shift, converted[i]))
            return false;
    }

    QRegion area = clip.translated(shift) & QRect(QPoint(0, 0), image->size());
    if (painter.hasClipping())
        area &= painter.clipRegion().translated(shift);
    const QRegion system = engine->systemClip();
    if (!system.isEmpty())
        area &= system;
    if (area.isEmpty() || converted.empty())
        return true;

    // Written through the image's memory without detaching it: the painter holds it.
    Target target{const_cast<uchar *>(image->constBits()), image->bytesPerLine(), {}, colour.rgba()};

    std::vector<QRect> rects(area.begin(), area.end());
    render(library, converted, rects, target);
    return true;
}

} // namespace kit
