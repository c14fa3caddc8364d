#!/usr/bin/env bash
# TALLIVO's one entry point: installs what is missing, builds, and runs the program, the tests,
# the batch tool or the benchmarks.
#
#   ./tallivo.sh [ARGS...]      build and start the desktop program
#   ./tallivo.sh test           build and run every test with ctest
#   ./tallivo.sh cli ARGS...    build and run tallivo-cli
#   ./tallivo.sh bench [ARGS]   build and run the benchmark programs
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build="$here/build"
jobs=$(nproc 2>/dev/null || echo 2)

install_packages() {
  local wanted=() missing=()
  mapfile -t wanted < <(grep -vE '^\s*(#|$)' "$here/scripts/debian-packages.txt")
  if [ "${1:-}" = test ]; then
    mapfile -t -O "${#wanted[@]}" wanted < <(grep -vE '^\s*(#|$)' "$here/scripts/debian-test-packages.txt")
  fi
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "tallivo: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
  if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$build" -j "$jobs"
}

case "${1:-}" in
  test)
    shift
    install_packages test
    configure_and_build
    cd "$build"
    exec ctest --output-on-failure -j "$jobs" "$@"
    ;;
  cli)
    shift
    install_packages
    configure_and_build >/dev/null
    exec "$build/tallivo-cli" "$@"
    ;;
  bench)
    shift
    install_packages
    configure_and_build
    status=0
    for b in "$build"/*_bench; do
      [ -x "$b" ] || continue
      echo "== $(basename "$b")"
      "$b" "$@" || status=1
    done
    exit $status
    ;;
  *)
    install_packages
    configure_and_build
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
      echo "tallivo: no display available; use the batch tool instead: ./tallivo.sh cli --help"
      exit 1
    fi
    exec "$build/tallivo" "$@"
    ;;
esac
