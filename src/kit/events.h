#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace kit {

// Modifier bits of a press.
inline constexpr std::uint32_t KeyCtrl = 1, KeyShift = 2, KeyAlt = 4;

struct EventArgs {
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    std::uint32_t keys = 0;
};

class Control;

// A handler gets the control that raised the event (from which it reaches the window).
using Handler = std::function<void(Control &sender, const EventArgs &args)>;
using HandlerTable = std::map<std::string, Handler>;

// While the count is above zero no bound handler runs: during creation of a window, and for
// good once a fatal error report has begun.
class EventGate {
public:
    static void raise() { ++s_count; }
    static void lower()
    {
        if (s_count > 0)
            --s_count;
    }
    static bool open() { return s_count == 0; }
    static int count() { return s_count; }

private:
    static inline int s_count = 0;
};

} // namespace kit
