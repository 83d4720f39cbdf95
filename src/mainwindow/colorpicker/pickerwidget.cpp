#include "pickerwidget.h"

#include "kit/controls.h"
#include "palettepopup.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace colorpicker {

PickerWidget::PickerWidget(kit::ColorValue color, QWidget *parent)
    : QWidget(parent)
    , m_color(color)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PalettePopup *PickerWidget::palette() const { return m_palette; }

QSize PickerWidget::sizeHint() const { return QSize(56, 24); }

void PickerWidget::setColor(kit::ColorValue color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

int PickerWidget::frameWidth() const
{
    QStyleOptionFrame opt;
    opt.initFrom(this);
    return qMax(1, style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, this));
}

QRect PickerWidget::arrowRect() const
{
    const QRect inner = rect().adjusted(frameWidth(), frameWidth(), -frameWidth(), -frameWidth());
    const int width = qMin(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), inner.width() / 2);
    return QRect(inner.right() - width + 1, inner.top(), width, inner.height());
}

QRect PickerWidget::swatchRect() const
{
    const int fw = frameWidth();
    const QRect inner = rect().adjusted(fw, fw, -fw, -fw);
    return QRect(inner.left(), inner.top(), inner.width() - arrowRect().width(), inner.height()).adjusted(3, 3, -3, -3);
}

// The picker draws in the system's colours, not in those its parent may hand down (a group box's
// caption colour, for one).
QPalette PickerWidget::systemPalette() const
{
    QPalette pal = QApplication::palette(this);
    pal.setCurrentColorGroup(!isEnabled() ? QPalette::Disabled
                                 : isActiveWindow() ? QPalette::Active
                                                    : QPalette::Inactive);
    return pal;
}

void PickerWidget::paintEvent(QPaintEvent *)
{
    QPainter p(this);

    QStyleOptionFrame field;
    field.initFrom(this);
    field.palette = systemPalette();
    field.lineWidth = frameWidth();
    field.midLineWidth = 0;
    field.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    field.state |= QStyle::State_Sunken;
    field.palette.setColor(QPalette::Base, Qt::white);
    p.fillRect(rect(), Qt::white);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &field, &p, this);

    const QRect swatch = swatchRect();
    if (swatch.isValid()) {
        p.fillRect(swatch, kit::toQColor(m_color));
        p.setPen(isEnabled() ? QColor(Qt::black) : kit::faceColor());
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

    // The drop-down arrow, a scroll bar's down button: pushed while the button is held on the
    // picker and while the palette is open.
    QStyleOptionButton button;
    button.initFrom(this);
    button.palette = systemPalette();
    button.rect = arrowRect();
    button.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
    button.state |= isArrowPushed() ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &p, this);
    QStyleOption arrow = button;
    if (isArrowPushed())
        arrow.rect.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &button, this),
                             style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &button, this));
    arrow.rect = arrow.rect.adjusted(2, 2, -2, -2);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);

    // A dotted focus rectangle just inside the swatch, in black or white, whichever shows.
    if (hasFocus() && swatch.width() > 4 && swatch.height() > 4) {
        const QColor c = kit::toQColor(m_color);
        QPen pen(qGray(c.rgb()) < 128 ? Qt::white : Qt::black);
        pen.setDashPattern({1, 1});
        pen.setCosmetic(true);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(swatch.adjusted(2, 2, -3, -3));
    }
}

void PickerWidget::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_pressStarted = true;
    m_pressed = true;
    update();
}

void PickerWidget::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_pressStarted)
        return;
    const bool inside = rect().contains(e->position().toPoint());
    if (inside != m_pressed) {
        m_pressed = inside;
        update();
    }
}

void PickerWidget::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !m_pressStarted)
        return;
    m_pressStarted = false;
    m_pressed = false;
    update();
    if (rect().contains(e->position().toPoint()) && !m_open)
        openPalette();
}

void PickerWidget::focusInEvent(QFocusEvent *e)
{
    update();
    QWidget::focusInEvent(e);
}

void PickerWidget::focusOutEvent(QFocusEvent *e)
{
    update();
    QWidget::focusOutEvent(e);
}

void PickerWidget::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange || e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange)
        update();
    QWidget::changeEvent(e);
}

void PickerWidget::openPalette()
{
    m_open = true;
    m_opening = m_color;
    auto *palette = new PalettePopup(m_opening, this);
    m_palette = palette;
    connect(palette, &PalettePopup::finished, this, &PickerWidget::paletteFinished);
    update();
    palette->popup(mapToGlobal(rect().bottomLeft() + QPoint(0, 1)));
}

void PickerWidget::paletteFinished(bool ok, kit::ColorValue color)
{
    if (m_palette)
        m_palette->deleteLater();
    m_palette = nullptr;
    m_open = false;
    if (ok) {
        m_color = color;
        update();
        Q_EMIT colorAccepted();
    } else {
        m_color = m_opening;
        update();
    }
}

} // namespace colorpicker
