#include "runtimeerror.h"

#include <cstdlib>

namespace kit {

namespace {
RuntimeErrorReporter &reporter()
{
    static RuntimeErrorReporter r;
    return r;
}
} // namespace

void setRuntimeErrorReporter(RuntimeErrorReporter r) { reporter() = std::move(r); }

void runtimeError(std::int32_t code, const std::string &message)
{
    if (reporter())
        reporter()(code, message);
    // A reporter must not return; without one there is nobody to tell.
    std::abort();
}

} // namespace kit
