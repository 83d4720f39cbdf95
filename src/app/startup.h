#pragma once

#include "kit/builder.h"

namespace app {

struct Program {
    const kit::Definition &definition;
    kit::HandlerTable handlers;
    kit::ControlFactories factories;
    std::uint32_t startWindowId;
};

// The whole life of the process: initialises the toolkit, loads the start-up window, runs the
// event loop until the window is gone, and returns the exit status (0). A fatal fault goes
// through the runtime error report and never returns.
int run(int argc, char **argv, const Program &program);

} // namespace app
