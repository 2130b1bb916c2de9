#!/usr/bin/env bash
# Installs the library to a temporary prefix, checks what was installed, and builds and runs the
# examples out of tree twice: once with find_package(Mojiwa) and once with pkg-config.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake -S . -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOJIWA_BUILD_TESTS=OFF \
      -DMOJIWA_BUILD_EXAMPLES=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
cmake --build "$work/build" >/dev/null
cmake --install "$work/build" >/dev/null
libdir=$(find "$prefix" -name 'libmojiwa.so.1.0.0' -printf '%h\n' | head -n 1)

echo "-- installed library and headers"
test -L "$libdir/libmojiwa.so.1" && test -f "$libdir/libmojiwa.so.1.0.0"
objdump -p "$libdir/libmojiwa.so.1.0.0" | grep -q 'SONAME *libmojiwa.so.1$'
cmake -DLIBRARY="$libdir/libmojiwa.so.1.0.0" -P tests/interface/CheckExports.cmake
for header in Kanji.h KanjiHash.h; do
  echo "#include <mojiwa/$header>" | g++ -std=c++11 -Wall -Wextra -Wpedantic -Werror \
    -I"$prefix/include" -x c++ -fsyntax-only -
done

run_examples() {  # folder with the built examples
  local bin=$1
  "$bin/detect_code" "$root/examples/data/sample.conf" | grep -q ASCII
  "$bin/convert_file" euc "$root/examples/data/sample.conf" | grep -q 'name = mojiwa'
  printf 'abc 123\n' | "$bin/reshape" | grep -q 'ABC 123'
  "$bin/read_config" "$root/examples/data/sample.conf" | grep -q "^level is 3$"
  "$bin/memory_limit" | grep -q 'CKanji::GrowBuffer'
}

echo "-- examples with find_package(Mojiwa)"
cmake -S examples -B "$work/ex-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/ex-cmake" >/dev/null
run_examples "$work/ex-cmake"

echo "-- examples with pkg-config"
mkdir -p "$work/ex-pc"
export PKG_CONFIG_PATH="$libdir/pkgconfig"
for source in examples/*.cpp; do
  name=$(basename "$source" .cpp)
  # shellcheck disable=SC2046
  g++ -std=c++11 -Wall -Wextra -Wpedantic -o "$work/ex-pc/$name" "$source" \
    $(pkg-config --cflags --libs mojiwa) -Wl,-rpath,"$libdir"
done
run_examples "$work/ex-pc"
echo "consumer test passed"
