#include "windowdrag.h"

#include "geometry.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>

namespace kit {

namespace {

// Follows the pointer with the window's position or bottom-right corner until the left button
// goes up. It grabs the mouse so the release is seen wherever the pointer is.
class PointerFollower : public QObject {
public:
    PointerFollower(QWidget *topLevel, DragKind kind)
        : m_window(topLevel)
        , m_kind(kind)
        , m_startPointer(QCursor::pos())
        , m_startGeometry(topLevel->geometry())
    {
        s_active = this;
        qApp->installEventFilter(this);
        topLevel->grabMouse(kind == DragKind::Move ? topLevel->cursor() : QCursor(Qt::SizeFDiagCursor));
    }

    ~PointerFollower() override
    {
        if (s_active == this)
            s_active = nullptr;
        if (m_window)
            m_window->releaseMouse();
    }

    static inline PointerFollower *s_active = nullptr;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseMove: {
            auto *me = static_cast<QMouseEvent *>(event);
            if (!(me->buttons() & Qt::LeftButton)) {
                finish();
                return true;
            }
            follow(me->globalPosition().toPoint());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto *me = static_cast<QMouseEvent *>(event);
            follow(me->globalPosition().toPoint());
            if (me->button() == Qt::LeftButton)
                finish();
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }

private:
    void follow(QPoint pointer)
    {
        if (!m_window)
            return;
        const QPoint delta = pointer - m_startPointer;
        if (m_kind == DragKind::Move) {
            m_window->move(m_startGeometry.topLeft() + delta);
        } else {
            const int w = std::max(1, limitExtent(m_startGeometry.width() + delta.x()));
            const int h = std::max(1, limitExtent(m_startGeometry.height() + delta.y()));
            m_window->resize(w, h);
        }
    }

    void finish()
    {
        qApp->removeEventFilter(this);
        deleteLater();
        if (m_window)
            m_window->releaseMouse();
        s_active = nullptr;
    }

    QPointer<QWidget> m_window;
    DragKind m_kind;
    QPoint m_startPointer;
    QRect m_startGeometry;
};

} // namespace

void beginWindowDrag(QWidget *topLevel, DragKind kind)
{
    if (!topLevel || !(QGuiApplication::mouseButtons() & Qt::LeftButton) || PointerFollower::s_active)
        return;
    if (QWindow *handle = topLevel->windowHandle()) {
        const bool started = kind == DragKind::Move ? handle->startSystemMove()
                                                    : handle->startSystemResize(Qt::BottomEdge | Qt::RightEdge);
        if (started)
            return;
    }
    new PointerFollower(topLevel, kind);
}

bool ownDragActive() { return PointerFollower::s_active != nullptr; }

} // namespace kit
