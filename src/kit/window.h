#pragma once

#include "control.h"

#include <QPoint>

#include <functional>
#include <memory>
#include <vector>

namespace kit {

// Hit-test codes of a non-client press, as the move/resize request carries them.
inline constexpr std::uint32_t WM_NCLBUTTONDOWN = 0xA1;
inline constexpr std::int32_t HTCAPTION = 2;
inline constexpr std::int32_t HTBOTTOMRIGHT = 17;

using NativeHandle = std::uintptr_t;

// A built top-level window: a control in its own right (addressed by its control identifier),
// and the owner of every control in it.
class Window : public Control {
public:
    explicit Window(const WindowDef &def);
    ~Window() override;

    std::uint32_t windowId() const { return m_windowId; }

    Control *find(const std::string &name) const;
    Control *find(std::uint32_t id) const;
    template <class T> T *get(const std::string &name) const { return dynamic_cast<T *>(find(name)); }

    // Outer size and position of the top-level window (it has no frame).
    void setLeft(int v) override;
    void setTop(int v) override;
    void setWidth(int v) override;
    void setHeight(int v) override;

    // Still open: not yet closed and destroyed.
    bool exists() const { return widget() != nullptr; }
    void close();

    NativeHandle nativeHandle() const;
    // Delivers a window message synchronously and returns the window's answer. A left press on
    // the caption starts the window system's interactive move, one on the bottom-right corner its
    // interactive resize; where the platform offers neither, the window follows the pointer
    // itself until the button is released.
    std::int32_t sendMessage(std::uint32_t message, std::int32_t wParam, std::int32_t lParam);

    // The controls that Tab walks: visible, enabled, focusable, by focus order then creation.
    std::vector<Control *> focusCycle() const;

    // The control that a press at this point (window coordinates) goes to: the topmost visible
    // control there that takes presses; the window itself where none does.
    Control *controlAt(QPoint pos) const;

    // Called once the window has been destroyed.
    std::function<void()> onDestroyed;

    // The window a native handle belongs to, among those that exist.
    static Window *fromNativeHandle(NativeHandle handle);

private:
    friend class Builder;
    friend class WindowWidget;
    friend class PressRouter;

    void adopt(std::unique_ptr<Control> control, bool focusable, int focusOrder);
    Control *controlAt(const Control &parent, QPoint posInParent) const;
    void widgetDestroyed();

    std::uint32_t m_windowId;
    bool m_escCloses;
    struct Entry {
        std::unique_ptr<Control> control;
        bool focusable;
        int focusOrder;
    };
    std::vector<Entry> m_controls; // creation order
    class PressRouter *m_router = nullptr;
};

// The platform's message-sending function: delivers the message to the window behind the handle
// and returns its answer, or 0 when no window of the program has that handle.
std::int32_t sendMessageA(NativeHandle handle, std::uint32_t message, std::int32_t wParam, std::int32_t lParam);

} // namespace kit
