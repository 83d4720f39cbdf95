#include "outlinefill.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cwchar>

namespace kit {

namespace {

// Outlines reaching beyond this are left to the painter.
constexpr qreal CoordinateLimit = 32000;
// How far a flattened curve may stray from the true one, in pixels.
constexpr double FlatnessTolerance = 1.0 / 16;
// A curve is cut into at most this many lines, however large.
constexpr int MaxCurveSegments = 1024;

// What one edge leaves in one pixel cell: the height it crosses there (signed by direction)
// and that height times the sum of its two distances from the cell's left edge. From these
// two the sweep gets the cell's own coverage and the winding carried to the cells on its right.
struct Cell {
    int x;
    int y;
    float cover;
    float area;
};

// Where the spans of a fill go: rows of 32-bit premultiplied pixels, and the colour they get.
struct Target {
    uchar *bits;
    qsizetype bytesPerLine;
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

// Accumulated area (a winding number, 1 for a covered pixel) as 8-bit coverage under the
// non-zero rule, scaled and cut as the raster engine's rasterizer does.
inline unsigned coverageOf(float winding)
{
    const float v = std::fabs(winding) * 256;
    return v >= 255 ? 255u : unsigned(v);
}

// Scan conversion of one outline within one rectangle of the image, by exact area coverage:
// the outline's edges, flattened into lines and cut to the rectangle, leave cells in the pixels
// they pass through; the cells are gathered by row, sorted along it, and one sweep per row
// turns them into spans. Edges left of the rectangle still count for the winding inside it, so
// their parts there run down its left side; parts right of it, above or below it are dropped.
class Rasterizer {
public:
    void reset(const QRect &clip)
    {
        m_left = clip.left();
        m_top = clip.top();
        m_right = clip.right() + 1;
        m_bottom = clip.bottom() + 1;
        m_cells.clear();
        m_current = Cell{0, 0, 0, 0};
        m_hasCurrent = false;
    }

    // An outline given as a painter path, shifted by whole pixels into the image.
    bool addPath(const QPainterPath &path, QPointF shift)
    {
        const int n = path.elementCount();
        QPointF start, last;
        bool open = false;
        for (int i = 0; i < n; ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            const QPointF to = QPointF(e.x, e.y) + shift;
            switch (e.type) {
            case QPainterPath::MoveToElement:
                if (open)
                    line(last, start);
                start = last = to;
                open = true;
                break;
            case QPainterPath::LineToElement:
                if (!open)
                    return false;
                line(last, to);
                last = to;
                break;
            case QPainterPath::CurveToElement: {
                if (!open || i + 2 >= n || path.elementAt(i + 1).type != QPainterPath::CurveToDataElement
                    || path.elementAt(i + 2).type != QPainterPath::CurveToDataElement)
                    return false;
                const QPointF c2 = QPointF(path.elementAt(i + 1).x, path.elementAt(i + 1).y) + shift;
                const QPointF end = QPointF(path.elementAt(i + 2).x, path.elementAt(i + 2).y) + shift;
                cubic(last, to, c2, end);
                last = end;
                i += 2;
                break;
            }
            case QPainterPath::CurveToDataElement:
                return false;
            }
        }
        if (open)
            line(last, start);
        flushCell();
        return true;
    }

    void fill(const Target &target)
    {
        if (m_cells.empty())
            return;
        // Cells by row (a counting sort), then along each row.
        const int rows = m_bottom - m_top;
        m_rowStart.assign(std::size_t(rows) + 1, 0);
        for (const Cell &c : m_cells)
            ++m_rowStart[std::size_t(c.y - m_top) + 1];
        for (int r = 0; r < rows; ++r)
            m_rowStart[std::size_t(r) + 1] += m_rowStart[std::size_t(r)];
        m_sorted.resize(m_cells.size());
        m_next.assign(m_rowStart.begin(), m_rowStart.end() - 1);
        for (const Cell &c : m_cells)
            m_sorted[m_next[std::size_t(c.y - m_top)]++] = c;

        for (int r = 0; r < rows; ++r) {
            Cell *begin = m_sorted.data() + m_rowStart[std::size_t(r)];
            Cell *end = m_sorted.data() + m_rowStart[std::size_t(r) + 1];
            if (begin == end)
                continue;
            std::sort(begin, end, [](const Cell &a, const Cell &b) { return a.x < b.x; });
            sweepRow(target, r + m_top, begin, end);
        }
    }

private:
    void sweepRow(const Target &target, int y, const Cell *c, const Cell *end) const
    {
        auto *row = reinterpret_cast<quint32 *>(target.bits + qsizetype(y) * target.bytesPerLine);
        float winding = 0;
        while (c != end) {
            const int x = c->x;
            float cover = 0, area = 0;
            for (; c != end && c->x == x; ++c) {
                cover += c->cover;
                area += c->area;
            }
            winding += cover;
            blend(target, row + x, 1, coverageOf(winding - area / 2));
            // Up to the next cell the winding is the same all along.
            const int next = c != end ? c->x : m_right;
            if (next > x + 1)
                blend(target, row + x + 1, next - x - 1, coverageOf(winding));
        }
    }

    static void blend(const Target &target, quint32 *p, int count, unsigned coverage)
    {
        if (coverage == 0)
            return;
        if (coverage == 255) {
            // The C library's wide-character fill is its fastest 32-bit fill.
            static_assert(sizeof(wchar_t) == sizeof(quint32));
            std::wmemset(reinterpret_cast<wchar_t *>(p), wchar_t(target.colour), std::size_t(count));
            return;
        }
        const quint32 c = byteMul(target.colour, coverage);
        const quint32 inverse = 255 - coverage;
        for (quint32 *q = p; q < p + count; ++q)
            *q = c + byteMul(*q, inverse);
    }

    // A cubic Bézier as lines, as many as keep the flattened curve within the tolerance: with
    // n equal steps in t a cubic strays at most |second derivative| / (8 n²) from its chords.
    void cubic(QPointF p0, QPointF p1, QPointF p2, QPointF p3)
    {
        const double top = std::min({p0.y(), p1.y(), p2.y(), p3.y()});
        const double bottom = std::max({p0.y(), p1.y(), p2.y(), p3.y()});
        const double left = std::min({p0.x(), p1.x(), p2.x(), p3.x()});
        const double right = std::max({p0.x(), p1.x(), p2.x(), p3.x()});
        // A curve wholly above, below, left or right of the rectangle leaves the same cells as
        // the line between its ends: none, or the same height down the left side.
        if (bottom <= m_top || top >= m_bottom || right <= m_left || left >= m_right) {
            line(p0, p3);
            return;
        }
        const QPointF d1 = p0 - 2 * p1 + p2;
        const QPointF d2 = p1 - 2 * p2 + p3;
        const double dd = std::sqrt(std::max(QPointF::dotProduct(d1, d1), QPointF::dotProduct(d2, d2)));
        const int n = std::clamp(int(std::ceil(std::sqrt(0.75 * dd / FlatnessTolerance))), 1, MaxCurveSegments);
        QPointF from = p0;
        for (int i = 1; i < n; ++i) {
            const double t = double(i) / n, u = 1 - t;
            const QPointF to = u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
            line(from, to);
            from = to;
        }
        line(from, p3);
    }

    // One line of an edge, cut to the rectangle's rows and folded into its columns.
    void line(QPointF a, QPointF b)
    {
        double x0 = a.x(), y0 = a.y(), x1 = b.x(), y1 = b.y();
        if (y0 == y1)
            return; // a level line crosses no height
        float sign = 1;
        if (y0 > y1) {
            std::swap(x0, x1);
            std::swap(y0, y1);
            sign = -1;
        }
        if (y1 <= m_top || y0 >= m_bottom)
            return;
        const double dxdy = (x1 - x0) / (y1 - y0);
        if (y0 < m_top) {
            x0 += (m_top - y0) * dxdy;
            y0 = m_top;
        }
        if (y1 > m_bottom) {
            x1 = x0 + (m_bottom - y0) * dxdy;
            y1 = m_bottom;
        }
        if (x0 >= m_right && x1 >= m_right)
            return;
        // Cut where the line crosses the left and right sides; what lies left runs down the left
        // side, what lies right is dropped.
        const double l = m_left, r = m_right;
        double ys[4] = {y0, 0, 0, y1};
        int cuts = 1;
        const auto cutAt = [&](double x) {
            if ((x0 < x && x < x1) || (x1 < x && x < x0))
                ys[cuts++] = y0 + (x - x0) / dxdy;
        };
        cutAt(l);
        cutAt(r);
        if (cuts == 3 && ys[1] > ys[2])
            std::swap(ys[1], ys[2]);
        ys[cuts] = y1;
        double ya = y0, xa = x0;
        for (int k = 1; k <= cuts; ++k) {
            const double yb = ys[k];
            const double xb = k == cuts ? x1 : x0 + (yb - y0) * dxdy;
            const double mid = (xa + xb) / 2;
            if (mid < r)
                clippedLine(std::clamp(xa, l, r), ya, std::clamp(xb, l, r), yb, sign);
            ya = yb;
            xa = xb;
        }
    }

    // A line within the rectangle, going down (ya < yb), row by row.
    void clippedLine(double xa, double ya, double xb, double yb, float sign)
    {
        if (ya >= yb)
            return;
        const double dxdy = (xb - xa) / (yb - ya);
        double y = ya, x = xa;
        for (int row = int(std::floor(ya)); y < yb; ++row) {
            const double ny = std::min(yb, double(row + 1));
            const double nx = ny == yb ? xb : xa + (ny - ya) * dxdy;
            rowPiece(row, x, y, nx, ny, sign);
            y = ny;
            x = nx;
        }
    }

    // The part of a line within one row, cell by cell.
    void rowPiece(int row, double xa, double ya, double xb, double yb, float sign)
    {
        const double dy = yb - ya;
        if (dy <= 0)
            return;
        const double fa = std::floor(xa), fb = std::floor(xb);
        if (fa == fb) {
            const int cx = int(fa);
            addCell(cx, row, float(sign * dy), float(sign * dy * (xa + xb - 2 * fa)));
            return;
        }
        const double dydx = dy / (xb - xa);
        double x = xa, y = ya;
        if (xa < xb) {
            for (int cx = int(fa);; ++cx) {
                const double nx = std::min(xb, double(cx + 1));
                const double ny = nx == xb ? yb : ya + (nx - xa) * dydx;
                addCell(cx, row, float(sign * (ny - y)), float(sign * (ny - y) * (x + nx - 2.0 * cx)));
                x = nx;
                y = ny;
                if (nx == xb)
                    break;
            }
        } else {
            for (int cx = int(fa);; --cx) {
                const double nx = std::max(xb, double(cx));
                const double ny = nx == xb ? yb : ya + (nx - xa) * dydx;
                if (ny > y)
                    addCell(cx, row, float(sign * (ny - y)), float(sign * (ny - y) * (x + nx - 2.0 * cx)));
                x = nx;
                y = ny;
                if (nx == xb)
                    break;
            }
        }
    }

    void addCell(int x, int y, float cover, float area)
    {
        if (x >= m_right || y < m_top || y >= m_bottom)
            return; // a vertical run down the right side, or rounding at an end
        if (m_hasCurrent && m_current.x == x && m_current.y == y) {
            m_current.cover += cover;
            m_current.area += area;
            return;
        }
        flushCell();
        m_current = Cell{x, y, cover, area};
        m_hasCurrent = true;
    }

    void flushCell()
    {
        if (m_hasCurrent && (m_current.cover != 0 || m_current.area != 0))
            m_cells.push_back(m_current);
        m_hasCurrent = false;
    }

    int m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    std::vector<Cell> m_cells, m_sorted;
    std::vector<std::size_t> m_rowStart, m_next;
    Cell m_current{0, 0, 0, 0};
    bool m_hasCurrent = false;
};

} // namespace

bool fillOutlines(QPainter &painter, const std::vector<QPainterPath> &outlines, QColor colour, const QRegion &clip)
{
    QPaintEngine *engine = painter.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster)
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
    std::vector<QRectF> bounds;
    bounds.reserve(outlines.size());
    for (const QPainterPath &o : outlines) {
        const QRectF b = o.controlPointRect().translated(shift);
        if (o.fillRule() != Qt::WindingFill || !limits.contains(b))
            return false;
        bounds.push_back(b);
    }

    QRegion area = clip.translated(shift) & QRect(QPoint(0, 0), image->size());
    if (painter.hasClipping())
        area &= painter.clipRegion().translated(shift);
    const QRegion system = engine->systemClip();
    if (!system.isEmpty())
        area &= system;
    if (area.isEmpty() || outlines.empty())
        return true;

    // Written through the image's memory without detaching it: the painter holds it.
    const Target target{const_cast<uchar *>(image->constBits()), image->bytesPerLine(), colour.rgba()};
    thread_local Rasterizer rasterizer;
    for (const QRect &r : area) {
        for (std::size_t i = 0; i < outlines.size(); ++i) {
            // A closed outline wholly left of the rectangle winds to nothing inside it.
            const QRectF &b = bounds[i];
            if (b.bottom() <= r.top() || b.top() >= r.bottom() + 1 || b.right() <= r.left() || b.left() >= r.right() + 1)
                continue;
            rasterizer.reset(r);
            if (!rasterizer.addPath(outlines[i], shift))
                continue; // a malformed outline is left out, as the painter leaves it out
            rasterizer.fill(target);
        }
    }
    return true;
}

} // namespace kit
