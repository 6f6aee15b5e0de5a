#!/bin/sh
# Installs the build to a temporary prefix, checks that the programs, man
# pages, README and package are where they belong, and builds and runs a
# program of its own with find_package(unionbound) on the bundled example.
#   install_and_consume.sh BUILD_DIR SOURCE_DIR VERSION
set -eu
build=$1
source=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for file in bin/unionbound bin/unionbound-generate share/man/man1/unionbound.1 \
  share/doc/unionbound/README.md include/unionbound/unionbound.h \
  share/doc/unionbound/unionbound.schema.json; do
  [ -f "$work/prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
"$work/prefix/bin/unionbound" --version | grep -qx "unionbound $version"

cmake -S "$source/tests/install/consumer" -B "$work/consumer" \
  -DCMAKE_PREFIX_PATH="$work/prefix" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/consumer" >/dev/null
out=$("$work/consumer/consumer" "$source/examples/prob.txt" 12 3)
expected="$version 0.752333333333333 3 0.866000000000000 5"
# A library built with the companion installs it and gives its bounds too.
if [ -x "$work/prefix/bin/unionbound-sharp" ]; then
  expected="$expected
sharp 0.79160000000000000 3 0.86600000000000000 3"
fi
if [ "$out" != "$expected" ]; then
  echo "consumer printed '$out', expected '$expected'" >&2
  exit 1
fi
echo "installed and used: $out"
