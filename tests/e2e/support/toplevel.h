#pragma once

#include "xconnection.h"

#include <QMargins>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace e2e {

// _MOTIF_WM_HINTS: what the window asks of the window manager's decoration and functions.
struct MotifHints {
    enum Flag : unsigned long { Functions = 1, Decorations = 2 };
    enum Function : unsigned long { FuncAll = 1, FuncResize = 2, FuncMove = 4, FuncMinimize = 8, FuncMaximize = 16, FuncClose = 32 };
    unsigned long flags = 0;
    unsigned long functions = 0;
    unsigned long decorations = 0;
};

// The parts of WM_HINTS the tests look at.
struct WmHints {
    bool hasInput = false;
    bool input = false;
    bool hasInitialState = false;
    int initialState = 0; // 1 normal, 3 iconic
};

// A top-level window managed by the window manager, as another X client sees it.
class TopLevel {
public:
    TopLevel(const XConnection &x, WindowId id)
        : m_x(&x)
        , m_id(id)
    {
    }

    // The window manager's client windows (_NET_CLIENT_LIST) that belong to a process; without a
    // window manager, its top-level windows that are not pop-ups.
    static std::vector<TopLevel> ofProcess(const XConnection &x, qint64 pid);
    // Waits until a viewable client window of the process satisfies accept (any, when empty).
    static std::optional<TopLevel> waitFor(const XConnection &x, qint64 pid, int timeoutMs = 10000,
                                           const std::function<bool(const TopLevel &)> &accept = {});

    WindowId id() const { return m_id; }
    bool exists() const;
    bool isViewable() const;
    bool hasInputFocus() const;

    // The window's own area in root coordinates.
    QRect geometry() const;
    // The outermost ancestor below the root, which is the window manager's frame when it
    // reparented the window, else the window itself.
    WindowId frame() const;
    QRect frameGeometry() const;
    // _NET_FRAME_EXTENTS as the window manager set it.
    std::optional<QMargins> frameExtents() const;

    std::optional<qint64> pid() const;
    QString wmName() const;    // WM_NAME
    QString netWmName() const; // _NET_WM_NAME
    std::optional<QString> netWmNameIfSet() const;
    QStringList wmClass() const;     // instance and class
    QStringList windowTypes() const; // _NET_WM_WINDOW_TYPE atom names
    QStringList states() const;      // _NET_WM_STATE atom names
    QStringList allowedActions() const;
    WindowId transientFor() const; // WM_TRANSIENT_FOR, or 0
    std::optional<WmHints> wmHints() const;
    std::optional<MotifHints> motifHints() const;
    // The sizes of the images in _NET_WM_ICON, in the order the window lists them.
    std::vector<QSize> iconSizes() const;

    // What the screen shows where the window is.
    QImage grab() const;

    // Asks the window manager to close the window, as a pager or taskbar does.
    void requestClose() const;
    // Asks the window manager to activate the window, as a pager or taskbar does.
    void requestActivate() const;

private:
    static std::vector<TopLevel> unmanagedOfProcess(const XConnection &x, qint64 pid);
    std::vector<unsigned long> cardinals(const char *property, const char *type) const;
    QStringList atomNames(const char *property) const;

    const XConnection *m_x;
    WindowId m_id;
};

} // namespace e2e
