#include "controls.h"

#include "controlwidgets_p.h"
#include "outlinefill.h"

#include <QApplication>
#include <QGlyphRun>
#include <QHash>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

namespace kit {

namespace {

// What one line of QPainter::drawText(Qt::TextSingleLine) makes of the characters that would
// otherwise start a new line or a tab stop: spaces. The paragraph and line separators are taken
// the same way, so that nothing the user types breaks the line.
QString singleLine(const QString &text)
{
    QString s = text;
    for (QChar &c : s) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\t' || u == QChar::LineSeparator || u == QChar::ParagraphSeparator)
            c = u' ';
    }
    return s;
}

// A font's glyph outline bounds at a fixed size, filled in as glyphs are drawn.
struct ReferenceFont {
    QRawFont font;
    QHash<quint32, QRectF> bounds;
};

// Glyphs of one font in the order QPainter::drawText fills them, with their positions relative to
// the line's top left and the bounds of their outlines (filled in when first needed).
struct Run {
    QRawFont font;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    std::vector<QRectF> bounds;
    std::vector<bool> haveBounds;
    ReferenceFont *reference = nullptr;
};

struct Line {
    qreal width = 0;
    qreal ascent = 0;
    qreal descent = 0;
    std::vector<Run> runs;
};

// Lays the text out as one line exactly as QPainter::drawText does for a single line: the same
// text engine, trailing spaces counted, the painter's layout direction. Without glyphs only the
// line's measures are taken.
Line layOut(const QString &text, const QFont &font, const QPaintDevice *device, Qt::LayoutDirection direction,
            bool withGlyphs = true)
{
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setTextDirection(direction);
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    Line line;
    if (!textLine.isValid()) {
        layout.endLayout();
        return line;
    }
    textLine.setLineWidth(0x01000000);
    textLine.setPosition(QPointF(0, 0));
    layout.endLayout();
    line.width = textLine.horizontalAdvance();
    line.ascent = textLine.ascent();
    line.descent = textLine.descent();
    if (!withGlyphs)
        return line;
    for (const QGlyphRun &g : textLine.glyphRuns()) {
        Run run{g.rawFont(), g.glyphIndexes(), g.positions(), {}, {}};
        run.bounds.resize(std::size_t(run.glyphs.size()));
        run.haveBounds.assign(std::size_t(run.glyphs.size()), false);
        line.runs.push_back(std::move(run));
    }
    return line;
}

// A long text is never laid out whole: only the stretch around the visible part is, placed where
// the whole line would put it. Where that is comes from widths of the text in pieces, measured
// once per text and font at a reference size without hinting and scaled to the size drawn. The
// place is then exact to within the difference between hinted and unhinted widths (a fraction of
// a percent of the line's length); the stretch itself is laid out exactly.
constexpr qsizetype WholeLineLimit = 512; // characters laid out as one line
constexpr qsizetype PieceLength = 16;
constexpr qreal ReferencePixelSize = 256;
constexpr qreal BoundsPixelSize = 1024;
constexpr qreal SeparateFillPixelSize = 256;

struct Pieces {
    std::vector<qsizetype> starts; // of each piece, then the text's length
    std::vector<qreal> offsets;    // left end of each piece at the reference size, then the width
    qreal ascent = 0;
    qreal descent = 0;
};

Pieces measurePieces(const QString &text, QFont font, const QPaintDevice *device, Qt::LayoutDirection direction)
{
    font.setPixelSize(int(ReferencePixelSize));
    font.setHintingPreference(QFont::PreferNoHinting);
    Pieces pieces;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    pieces.offsets.push_back(0);
    while (start < text.size()) {
        qsizetype end = std::min(text.size(), start + PieceLength);
        graphemes.setPosition(end);
        if (end < text.size() && !graphemes.isAtBoundary())
            end = std::max(graphemes.toNextBoundary(), start + 1);
        const Line piece = layOut(text.mid(start, end - start), font, device, direction, false);
        pieces.starts.push_back(start);
        pieces.offsets.push_back(pieces.offsets.back() + piece.width);
        pieces.ascent = std::max(pieces.ascent, piece.ascent);
        pieces.descent = std::max(pieces.descent, piece.descent);
        start = end;
    }
    pieces.starts.push_back(text.size());
    return pieces;
}

qreal pixelSizeOf(const QFont &font, const QPaintDevice *device)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    return font.pointSizeF() * device->logicalDpiY() / 72.0;
}

class TransLabelWidget : public PressKeeper<QWidget> {
public:
    TransLabelWidget(const TransLabelSettings &s, QWidget *parent)
        : PressKeeper<QWidget>(parent)
        , m_text(fromUtf8(s.text))
        , m_color(s.textColor)
        , m_align(alignment(s.hAlign, s.vAlign))
        , m_wordWrap(s.wordWrap)
        , m_display(singleLine(m_text))
    {
    }

    QString m_text;
    ColorValue m_color;
    int m_points = -1; // no size set yet: the default font as it is

protected:
    void paintEvent(QPaintEvent *e) override
    {
        if (m_text.isEmpty())
            return;
        QPainter p(this);
        p.setFont(font());
        p.setPen(toQColor(m_color));
        if (m_wordWrap) {
            p.drawText(rect(), int(m_align) | Qt::TextWordWrap, m_text);
            return;
        }
        drawLine(p, e->region() & rect());
    }

    void changeEvent(QEvent *e) override
    {
        if (e->type() == QEvent::FontChange || e->type() == QEvent::LayoutDirectionChange)
            m_lineValid = false;
        PressKeeper<QWidget>::changeEvent(e);
    }

public:
    void textChanged()
    {
        m_display = singleLine(m_text);
        m_lineValid = false;
        m_piecesValid = false;
    }

private:
    // Draws the line's glyphs that reach into the exposed area and nothing else. The painter
    // fills a text item's outlines as one path; filling apart glyphs whose pixels cannot meet
    // gives the very same pixels, and keeps each fill small: the rasterizer's cost grows faster
    // than the outline it fills. Large glyphs go to the kit's own outline filler where the
    // painter's image allows it, which fills them in a fraction of the time.
    void drawLine(QPainter &p, const QRegion &exposed)
    {
        const QRect visible = exposed.boundingRect();
        const QString &text = m_display;
        qreal lineWidth, ascent, descent, left;
        Line *line;
        if (text.size() <= WholeLineLimit) {
            line = &wholeLine(text);
            lineWidth = line->width;
            ascent = line->ascent;
            descent = line->descent;
            left = offsetX(lineWidth);
        } else {
            const Pieces &pieces = measuredPieces(text);
            const qreal scale = pixelSizeOf(font(), this) / ReferencePixelSize;
            lineWidth = pieces.offsets.back() * scale;
            ascent = pieces.ascent * scale;
            descent = pieces.descent * scale;
            const qreal lineLeft = offsetX(lineWidth);
            // The pieces that reach into the visible part, with a margin for glyphs that reach
            // beyond their advance and for the estimate.
            const qreal margin = 2 * pixelSizeOf(font(), this) + 2;
            const qreal from = (visible.left() - margin - lineLeft) / scale;
            const qreal to = (visible.right() + 1 + margin - lineLeft) / scale;
            const auto &off = pieces.offsets;
            std::size_t first = std::size_t(std::upper_bound(off.begin(), off.end() - 1, from) - off.begin());
            first = first > 0 ? first - 1 : 0;
            std::size_t last = std::size_t(std::lower_bound(off.begin(), off.end() - 1, to) - off.begin());
            last = std::clamp<std::size_t>(last, first + 1, pieces.starts.size() - 1);
            line = &stretch(text, pieces.starts[first], pieces.starts[last]);
            left = lineLeft + off[first] * scale;
            // Every stretch sits on the baseline of the whole line.
            ascent = std::max(ascent, line->ascent);
        }
        const qreal top = offsetY(ascent + descent);
        // drawText puts the line where its own fixed-point arithmetic (1/64 pixel, cut toward
        // zero) puts it; the glyph positions are added to that.
        const auto fixed = [](qreal v) { return std::trunc(v * 64) / 64; };
        const QPointF origin(fixed(left), fixed(top) + ascent - line->ascent);

        const QRectF area(visible);
        // Large glyphs are filled straight into the painter's image where it allows that; the
        // same glyphs as runs are kept for where it does not.
        const bool antialiased = !(font().styleStrategy() & QFont::NoAntialias);
        std::vector<QPainterPath> outlines;
        std::vector<QGlyphRun> outlineRuns;
        std::vector<int> picked;
        QList<quint32> glyphs;
        QList<QPointF> positions;
        for (Run &run : line->runs) {
            // Glyphs of this run whose outline reaches into the visible area, left to right.
            picked.clear();
            for (qsizetype i = 0; i < run.glyphs.size(); ++i) {
                const QRectF b = outlineBounds(run, i);
                if (!b.isEmpty() && b.translated(origin + run.positions[i]).intersects(area))
                    picked.push_back(int(i));
            }
            std::sort(picked.begin(), picked.end(), [&](int a, int b) {
                return run.bounds[a].left() + run.positions[a].x() < run.bounds[b].left() + run.positions[b].x();
            });
            // Groups of glyphs whose pixels may touch are filled together; the groups apart. Small
            // glyphs gain nothing from that, so they are filled in one go.
            const bool apart = run.font.pixelSize() > SeparateFillPixelSize;
            std::size_t k = 0;
            while (k < picked.size()) {
                std::vector<int> group{picked[k]};
                qreal right = std::ceil(run.bounds[picked[k]].right() + run.positions[picked[k]].x()) + 1;
                for (++k; k < picked.size(); ++k) {
                    const int g = picked[k];
                    if (apart && std::floor(run.bounds[g].left() + run.positions[g].x()) - 1 > right)
                        break;
                    group.push_back(g);
                    right = std::max(right, std::ceil(run.bounds[g].right() + run.positions[g].x()) + 1);
                }
                std::sort(group.begin(), group.end()); // the run's own order within a fill
                glyphs.clear();
                positions.clear();
                for (int g : group) {
                    glyphs.append(run.glyphs[g]);
                    positions.append(run.positions[g]);
                }
                QGlyphRun part;
                part.setRawFont(run.font);
                part.setGlyphIndexes(glyphs);
                part.setPositions(positions);
                if (apart && antialiased) {
                    // One outline for the group, so that where its glyphs overlap they are
                    // filled once, as the painter fills a text item.
                    QPainterPath outline;
                    outline.setFillRule(Qt::WindingFill);
                    for (qsizetype i = 0; i < glyphs.size(); ++i)
                        outline.addPath(run.font.pathForGlyph(glyphs[i]).translated(origin + positions[i]));
                    outlines.push_back(std::move(outline));
                    outlineRuns.push_back(std::move(part));
                } else {
                    p.drawGlyphRun(origin, part);
                }
            }
        }
        if (!outlines.empty() && !fillOutlines(p, outlines, p.pen().color(), exposed)) {
            for (const QGlyphRun &part : outlineRuns)
                p.drawGlyphRun(origin, part);
        }
    }

    qreal offsetX(qreal lineWidth) const
    {
        if (m_align & Qt::AlignLeft)
            return 0;
        if (m_align & Qt::AlignRight)
            return width() - lineWidth;
        return (width() - lineWidth) / 2;
    }

    qreal offsetY(qreal lineHeight) const
    {
        if (m_align & Qt::AlignTop)
            return 0;
        if (m_align & Qt::AlignBottom)
            return height() - lineHeight;
        return (height() - lineHeight) / 2;
    }

    // Where a glyph's outline may reach, around its position. Loading a hinted outline at these
    // sizes costs more than filling it, so the bounds come from the outline at a fixed size,
    // scaled, with room for what hinting may move; a glyph is only ever given more room than it
    // takes, which costs a fill at most and never changes a pixel.
    QRectF outlineBounds(Run &run, qsizetype i)
    {
        const auto k = std::size_t(i);
        if (!run.haveBounds[k]) {
            if (!run.reference)
                run.reference = &referenceFor(run.font);
            auto ref = run.reference->bounds.find(run.glyphs[i]);
            if (ref == run.reference->bounds.end())
                ref = run.reference->bounds.insert(run.glyphs[i],
                                                   run.reference->font.pathForGlyph(run.glyphs[i]).controlPointRect());
            if (!ref->isEmpty()) {
                const qreal size = run.font.pixelSize();
                const qreal scale = size / BoundsPixelSize;
                const qreal room = 2 + size / 50;
                run.bounds[k] = QRectF(ref->topLeft() * scale, ref->size() * scale).adjusted(-room, -room, room, room);
            }
            run.haveBounds[k] = true;
        }
        return run.bounds[k];
    }

    ReferenceFont &referenceFor(const QRawFont &font)
    {
        const QString key = font.familyName() + u'\n' + font.styleName();
        auto it = m_referenceFonts.find(key);
        if (it == m_referenceFonts.end()) {
            QRawFont ref = font;
            ref.setPixelSize(BoundsPixelSize);
            it = m_referenceFonts.emplace(key, ReferenceFont{ref, {}}).first;
        }
        return it->second;
    }

    Line &wholeLine(const QString &text) { return stretch(text, 0, text.size()); }

    Line &stretch(const QString &text, qsizetype from, qsizetype to)
    {
        if (!m_lineValid || m_lineFrom != from || m_lineTo != to) {
            m_line = layOut(text.mid(from, to - from), font(), this, layoutDirection());
            m_lineFrom = from;
            m_lineTo = to;
            m_lineValid = true;
        }
        return m_line;
    }

    // The pieces' widths do not depend on the font's size, so a resize measures nothing again.
    const Pieces &measuredPieces(const QString &text)
    {
        QFont key = font();
        key.setPixelSize(int(ReferencePixelSize));
        if (!m_piecesValid || key != m_piecesFont || layoutDirection() != m_piecesDirection) {
            m_pieces = measurePieces(text, font(), this, layoutDirection());
            m_piecesFont = key;
            m_piecesDirection = layoutDirection();
            m_piecesValid = true;
        }
        return m_pieces;
    }

    Qt::Alignment m_align;
    bool m_wordWrap;

    // The text as drawn, and what is known of its layout.
    QString m_display;
    Line m_line;
    qsizetype m_lineFrom = 0;
    qsizetype m_lineTo = 0;
    bool m_lineValid = false;
    Pieces m_pieces;
    QFont m_piecesFont;
    // Outline bounds of the glyphs drawn so far, at the reference size, by font.
    std::map<QString, ReferenceFont> m_referenceFonts;
    Qt::LayoutDirection m_piecesDirection = Qt::LeftToRight;
    bool m_piecesValid = false;
};

} // namespace

TransLabel::TransLabel(const ControlDef &def, Window &window, QWidget *parent)
    : Control(def, window)
{
    setWidget(new TransLabelWidget(std::get<TransLabelSettings>(def.settings), parent));
}

static TransLabelWidget *labelWidget(QWidget *w) { return static_cast<TransLabelWidget *>(w); }

std::string TransLabel::text() const { return widget() ? toUtf8(labelWidget(widget())->m_text) : std::string(); }

void TransLabel::setText(const std::string &text)
{
    if (auto *w = labelWidget(widget())) {
        w->m_text = fromUtf8(text);
        w->textChanged();
        w->update();
    }
}

ColorValue TransLabel::textColor() const { return widget() ? labelWidget(widget())->m_color : 0; }

void TransLabel::setTextColor(ColorValue color)
{
    if (auto *w = labelWidget(widget())) {
        w->m_color = color;
        w->update();
    }
}

int TransLabel::fontSize() const
{
    if (!widget())
        return 0;
    const int points = labelWidget(widget())->m_points;
    return points < 0 ? 0 : points;
}

void TransLabel::setFontSize(int points)
{
    auto *w = labelWidget(widget());
    if (!w)
        return;
    points = std::max(points, 0);
    w->m_points = points;
    // Family, weight and style stay those of the default interface font; only the height changes.
    QFont f = QApplication::font();
    if (points > 0)
        f.setPixelSize(std::max(1, int(std::lround(points * w->logicalDpiY() / 72.0))));
    w->setFont(f);
    w->update();
}

QFont TransLabel::font() const { return widget() ? widget()->font() : QApplication::font(); }

} // namespace kit
