#include "palettepopup.h"

#include "colordialog.h"
#include "kit/controls.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QToolTip>
#include <qdrawutil.h>

namespace colorpicker {

namespace {

int customEntryHeight(const QFont &font)
{
    return qMax(PaletteModel::DefaultCustomHeight, QFontMetrics(font).height() + 8);
}

} // namespace

PalettePopup::PalettePopup(kit::ColorValue opening, QWidget *dialogParent)
    : QWidget(dialogParent, Qt::Popup | Qt::FramelessWindowHint)
    , m_model(opening, customEntryHeight(QApplication::font()))
    , m_dialogParent(dialogParent)
{
    // A press outside ends the palette and nothing more: Qt must not hand it on to the widget
    // beneath once the palette has closed.
    setAttribute(Qt::WA_NoMouseReplay);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFont(QApplication::font());
    QPalette pal = QApplication::palette(this);
    pal.setColor(QPalette::Window, kit::faceColor());
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedSize(m_model.size());

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        // Losing the activation to another application cancels, unless the colour dialog has it.
        if (state != Qt::ApplicationActive && m_model.state() == PaletteModel::State::Open)
            end(false);
    });
}

void PalettePopup::popup(QPoint topLeft)
{
    QScreen *screen = QGuiApplication::screenAt(topLeft);
    if (!screen)
        screen = m_dialogParent ? m_dialogParent->screen() : QGuiApplication::primaryScreen();
    move(placePalette(topLeft, size(), screen->geometry()));
    show();
    setFocus(Qt::PopupFocusReason);
}

void PalettePopup::setHot(int item)
{
    const int before = m_model.hot();
    if (!m_model.setHot(item))
        return;
    update(m_model.itemRect(before).adjusted(-1, -1, 1, 1));
    update(m_model.itemRect(item).adjusted(-1, -1, 1, 1));
}

bool PalettePopup::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(e);
        const int item = m_model.itemAt(help->pos());
        if (item >= 0 && item < CellCount) {
            QToolTip::showText(help->globalPos(), QString::fromUtf8(namedColors()[item].name), this,
                               m_model.cellRect(item));
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QWidget::event(e);
}

void PalettePopup::paintItemEdge(QPainter &p, const QRect &r, int item)
{
    // The selected item is drawn sunken, the hot one raised; the hot look wins.
    if (item == m_model.hot())
        qDrawWinPanel(&p, r, palette(), false);
    else if (item == m_model.selected())
        qDrawWinPanel(&p, r, palette(), true);
}

void PalettePopup::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    qDrawWinPanel(&p, rect(), palette(), false);

    const QColor outline = palette().color(QPalette::Shadow);
    for (int i = 0; i < CellCount; ++i) {
        const QRect cell = m_model.cellRect(i);
        paintItemEdge(p, cell, i);
        const QRect swatch = cell.adjusted(3, 3, -3, -3);
        p.fillRect(swatch, kit::toQColor(namedColors()[i].value));
        p.setPen(outline);
        p.drawRect(swatch.adjusted(0, 0, -1, -1));
    }

    qDrawShadeLine(&p, m_model.separatorRect().topLeft(), m_model.separatorRect().topRight(), palette(), true, 1, 0);

    const QRect custom = m_model.customRect();
    paintItemEdge(p, custom, CustomItem);
    p.setPen(palette().color(QPalette::ButtonText));
    p.drawText(custom, Qt::AlignCenter, QStringLiteral("其它颜色..."));
}

void PalettePopup::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint pos = e->position().toPoint();
    if (!rect().contains(pos)) {
        end(false);
        return;
    }
    m_pressedInside = true;
    setHot(m_model.itemAt(pos));
}

void PalettePopup::mouseReleaseEvent(QMouseEvent *e)
{
    // Only the end of a click that began in the palette counts; a click is decided by where it
    // is released.
    if (e->button() != Qt::LeftButton || !m_pressedInside)
        return;
    m_pressedInside = false;
    const QPoint pos = e->position().toPoint();
    if (rect().contains(pos))
        setHot(m_model.itemAt(pos));
    end(rect().contains(pos));
}

void PalettePopup::mouseMoveEvent(QMouseEvent *e)
{
    setHot(m_model.itemAt(e->position().toPoint()));
}

void PalettePopup::keyPressEvent(QKeyEvent *e)
{
    // Every key stays here, Esc included: none reaches the window beneath while the palette is open.
    e->accept();
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int before = m_model.hot();
        const Arrow arrow = e->key() == Qt::Key_Left ? Arrow::Left
            : e->key() == Qt::Key_Right              ? Arrow::Right
            : e->key() == Qt::Key_Up                 ? Arrow::Up
                                                     : Arrow::Down;
        if (m_model.move(arrow)) {
            update(m_model.itemRect(before).adjusted(-1, -1, 1, 1));
            update(m_model.itemRect(m_model.hot()).adjusted(-1, -1, 1, 1));
        }
        break;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        end(true);
        break;
    case Qt::Key_Escape:
        end(false);
        break;
    default:
        break;
    }
}

void PalettePopup::closeEvent(QCloseEvent *e)
{
    // Closed from outside (the window system, another pop-up or dialog taking over): a cancel.
    if (m_model.state() == PaletteModel::State::Open) {
        m_model.cancel();
        finish();
    }
    e->accept();
}

void PalettePopup::end(bool ok)
{
    if (m_model.state() != PaletteModel::State::Open)
        return;
    if (!ok) {
        m_model.cancel();
    } else if (m_model.accept() == PaletteModel::State::AskingColor) {
        QPointer<PalettePopup> self = this;
        stayVisibleBehindDialog();
        const std::optional<kit::ColorValue> chosen = askColor(m_dialogParent, m_model.dialogInitial());
        if (!self)
            return;
        if (chosen)
            m_model.colorChosen(*chosen);
        else
            m_model.cancel();
    }
    finish();
}

void PalettePopup::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    QPointer<PalettePopup> self = this;
    Q_EMIT finished(m_model.state() == PaletteModel::State::Accepted, m_model.pending());
    if (self)
        hide();
}

// A pop-up takes all input for as long as it is shown, so the modal dialog could get none, and
// Qt closes pop-ups when a modal dialog opens. For the dialog's time the palette becomes an
// ordinary borderless window in the same place, one that the dialog blocks like the main window.
void PalettePopup::stayVisibleBehindDialog()
{
    const QPoint at = pos();
    m_pressedInside = false;
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    move(at);
    show();
}

} // namespace colorpicker
