#!/bin/sh
# Builds the library at -O0 (CMAKE_BUILD_TYPE=Debug) with a program of its
# own that calls RunOnValues and then SharpBounds, and runs it: with two
# types of one fully qualified name in the two libraries, the linker keeps
# one of their destructors for both and the run aborts.
#   debug_consumer.sh BUILD_DIR SOURCE_DIR
set -eu
build=$1/debug-consumer
source=$2
cmake -S "$source/tests/install/debug_consumer" -B "$build" \
  -DCMAKE_BUILD_TYPE=Debug -DUNIONBOUND_SOURCE_DIR="$source" >/dev/null
cmake --build "$build" -j 2 --target debug_consumer >/dev/null
"$build/debug_consumer"
