#!/usr/bin/env bash
# Installs seqtrace, shared and static, into temporary prefixes. For the shared
# library, checks that it exports exactly exports.txt. Against each install,
# builds and runs a C and a C++ consumer, once through find_package and once
# through pkg-config (--static for the static library).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for kind in shared static; do
  echo "-- $kind library"
  shared=OFF pc_flags=()
  if [[ $kind == shared ]]; then shared=ON; else pc_flags=(--static); fi
  prefix=$work/$kind/prefix
  cmake -S "$root" -B "$work/$kind/build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=$shared -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$work/$kind/build" >/dev/null
  cmake --install "$work/$kind/build" >/dev/null
  test -x "$prefix/bin/scftool"

  libdir=$(dirname "$(find "$prefix" -name 'libseqtrace.*' | head -n 1)")
  if [[ $kind == shared ]]; then
    nm -D --defined-only "$libdir/libseqtrace.so" | awk '{print $3}' | LC_ALL=C sort \
      > "$work/exports"
    if ! diff -u "$here/exports.txt" "$work/exports"; then
      echo "the shared library exports differ from exports.txt" >&2
      exit 1
    fi
    readlink "$libdir/libseqtrace.so" | grep -qx 'libseqtrace.so.0'
    echo "exports: exactly the $(wc -l < "$here/exports.txt") listed symbols"
  fi

  # Through the CMake package.
  cmake -S "$here" -B "$work/$kind/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
  cmake --build "$work/$kind/consumer" >/dev/null
  "$work/$kind/consumer/consumer_c"
  "$work/$kind/consumer/consumer_cpp"

  # Through pkg-config, with the plain compiler drivers.
  export PKG_CONFIG_PATH=$libdir/pkgconfig
  cflags=$(pkg-config --cflags seqtrace)
  libs=$(pkg-config "${pc_flags[@]}" --libs seqtrace)
  # shellcheck disable=SC2086
  cc -std=c99 -Wall -Wextra -pedantic -Werror $cflags "$here/consumer.c" $libs -o "$work/pc_c"
  # shellcheck disable=SC2086
  c++ -std=c++17 -Wall -Wextra -Werror $cflags "$here/consumer.cpp" $libs -o "$work/pc_cpp"
  LD_LIBRARY_PATH=$libdir "$work/pc_c"
  LD_LIBRARY_PATH=$libdir "$work/pc_cpp"
done
echo "package: shared and static installs work through find_package and pkg-config"
