#pragma once

#include <cstddef>
#include <span>

extern const unsigned char bigtext_grip_png[];
extern const std::size_t bigtext_grip_png_size;

namespace resources {

// The size grip picture: a 32 x 32 RGBA PNG, exactly as shipped.
inline std::span<const unsigned char> gripPicture() { return {bigtext_grip_png, bigtext_grip_png_size}; }

} // namespace resources
