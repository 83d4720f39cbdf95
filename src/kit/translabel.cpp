#include "controls.h"

#include "controlwidgets_p.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

namespace kit {

namespace {

class TransLabelWidget : public PressKeeper<QWidget> {
public:
    TransLabelWidget(const TransLabelSettings &s, QWidget *parent)
        : PressKeeper<QWidget>(parent)
        , m_text(fromUtf8(s.text))
        , m_color(s.textColor)
        , m_flags(int(alignment(s.hAlign, s.vAlign)) | (s.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine))
    {
    }

    QString m_text;
    ColorValue m_color;
    int m_points = -1; // no size set yet: the default font as it is
    int m_flags;

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (m_text.isEmpty())
            return;
        QPainter p(this);
        p.setFont(font());
        p.setPen(toQColor(m_color));
        p.drawText(rect(), m_flags, m_text);
    }
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
