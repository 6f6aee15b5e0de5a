#!/bin/sh
# tools/check_layers.sh on copies of src/ with one fault planted each: an
# include up the companion's wings, a circle inside one wing, a file beside
# the wings, and an include up the top layers. Each must fail, naming the
# fault; the copy as it is must pass.
#   check_layers_test.sh SOURCE_DIR
set -eu
source=$1
check="$source/tools/check_layers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fresh() {
  rm -rf "$work/src"
  cp -r "$source/src" "$work/src"
}

# expect_failure WHAT PATTERN: the check on $work/src fails and its report
# matches PATTERN.
expect_failure() {
  if sh "$check" "$work/src" >"$work/out" 2>&1; then
    echo "check_layers passed with $1 planted" >&2
    exit 1
  fi
  if ! grep -q "$2" "$work/out"; then
    echo "check_layers failed with $1 planted, but did not say so:" >&2
    cat "$work/out" >&2
    exit 1
  fi
}

fresh
sh "$check" "$work/src" >/dev/null

fresh
printf '#include "sharp/app/command.h"\n' >>"$work/src/sharp/exact/rational.cc"
expect_failure "an upward include between wings" \
  "sharp/exact/rational.cc includes sharp/app/command.h"

fresh
printf '#include "sharp/moments/sharp_bound.h"\n' \
  >>"$work/src/sharp/moments/grid_program.h"
expect_failure "a circle inside a wing" "in a circle"

fresh
printf '// stray\n' >"$work/src/sharp/stray.h"
expect_failure "a file beside the wings" "sharp/stray.h: folder sharp holds wings"

fresh
printf '#include "sharp/data/exact_data.h"\n' >>"$work/src/input/data_check.cc"
expect_failure "an include of the companion from below" \
  "input/data_check.cc includes sharp/data/exact_data.h"

echo "check_layers caught every planted fault"
