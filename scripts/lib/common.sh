# Shared by the project's scripts: paths, logging and the CMake builds.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export VYRN_DEPS_DIR=${VYRN_DEPS_DIR:-/var/cache/vyrn/deps}
JOBS=${VYRN_JOBS:-2}

say() { printf '\n== %s\n' "$*"; }

# configure_and_build PRESET: an incremental CMake build of one preset.
configure_and_build() {
  local preset=$1
  (cd "$ROOT" && cmake --preset "$preset" >/dev/null) || return 1
  (cd "$ROOT" && cmake --build "build/$preset" -j "$JOBS")
}

# True when FILE is a 32-bit (PE32, not PE32+) Windows GUI program.
is_pe32_gui() {
  local dump
  dump=$(i686-w64-mingw32-objdump -p "$1" 2>/dev/null) || return 1
  grep -q '^Magic[[:space:]]*010b' <<<"$dump" && grep -q 'Subsystem[[:space:]]*00000002' <<<"$dump"
}
