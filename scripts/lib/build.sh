# Configuring and building with the presets of CMakePresets.json. Sourced by scripts/run and
# scripts/test; expects BIGTEXT_ROOT to be the source tree.

# Two jobs at most: the machines this runs on have two cores.
BIGTEXT_JOBS=${BIGTEXT_JOBS:-2}

# bigtext_build PRESET [TARGET...]
bigtext_build() {
    local preset=$1
    shift
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    (cd "$BIGTEXT_ROOT" &&
        cmake --preset "$preset" &&
        cmake --build --preset "$preset" --parallel "$BIGTEXT_JOBS" "${targets[@]}")
}
