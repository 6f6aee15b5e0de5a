#!/bin/sh
# Fails when an include in src/ runs up the layers, a file sits outside every
# layer, or modules include each other in a circle. Usage:
#   tools/check_layers.sh [SRC_DIR]
#
# Layers nest: a folder may hold wings of its own, ranked among themselves.
# Two files compare at the first folder where their paths part: there the
# includer's folder must rank above the included one's (files of one folder
# include each other freely). A folder with wings holds no files itself.
#
# The layers of src/, top to bottom:
#   api             the public library interface, a run on numbers held in
#                   memory as the program makes it, samples to probabilities
#   driver, sharp,  the two programs and the generator's event systems; none
#   events          includes another
#   cli             the command-line grammar, version, JSON text, exit
#                   statuses and progress line of both programs
#   bounds          bounding procedures, candidates, the pass computation,
#                   the loop over the passes and the best bounds over l
#   optim           inner optimisation, basis families, subset enumeration,
#                   scoring
#   problem         binomial and power moments, support rows
#   input           the reader of probability files
#   numeric         value types, moment labels, solver, moment shift, subset
#                   order
#
# The wings of sharp/ (the companion unionbound-sharp), top to bottom:
#   app             its command line, the table, the CSV file, the JSON
#   analysis        everything computed for one data set, the closed forms,
#                   unionbound's own bounds, the rows every output prints
#   atoms           the full program over atoms: the floating master and its
#                   pricing, the exact certificate and the sharpness proof
#   moments         the moment programs and the exact simplex that solves them
#   data            the numbers as typed, the subset list, the data check
#   exact           rationals, outward rounding, exact linear solves
set -eu

src=${1:-$(dirname "$0")/../src}
cd "$src"

# rank PARENT FOLDER: the rank of FOLDER among the wings of PARENT ("." for
# src/ itself); 0 when it has none.
rank() {
  case $1/$2 in
    ./api) echo 8 ;;
    ./driver | ./sharp | ./events) echo 7 ;;
    ./cli) echo 6 ;;
    ./bounds) echo 5 ;;
    ./optim) echo 4 ;;
    ./problem) echo 3 ;;
    ./input) echo 2 ;;
    ./numeric) echo 1 ;;
    sharp/app) echo 6 ;;
    sharp/analysis) echo 5 ;;
    sharp/atoms) echo 4 ;;
    sharp/moments) echo 3 ;;
    sharp/data) echo 2 ;;
    sharp/exact) echo 1 ;;
    *) echo 0 ;;
  esac
}

# has_wings FOLDER: whether FOLDER is divided into ranked wings.
has_wings() {
  case $1 in
    sharp) return 0 ;;
    *) return 1 ;;
  esac
}

# layer_problem DIR: why the folder DIR (a path below src/) is no layer;
# empty when it is one.
layer_problem() {
  parent=.
  rest=$1
  while [ -n "$rest" ]; do
    head=${rest%%/*}
    if [ "$head" = "$rest" ]; then rest=; else rest=${rest#*/}; fi
    if [ "$(rank "$parent" "$head")" = 0 ]; then
      echo "folder $head has no layer in ${parent#./}"
      return
    fi
    if [ "$parent" = . ]; then parent=$head; else parent=$parent/$head; fi
  done
  if has_wings "$parent"; then
    echo "folder $parent holds wings, not files"
  fi
}

# below FROM_DIR TO_DIR: succeeds when a file of FROM_DIR may include one of
# TO_DIR.
below() {
  from=$1/
  to=$2/
  parent=.
  while :; do
    from_head=${from%%/*}
    to_head=${to%%/*}
    [ -n "$from_head" ] && [ -n "$to_head" ] || return 0
    if [ "$from_head" != "$to_head" ]; then
      [ "$(rank "$parent" "$from_head")" -gt "$(rank "$parent" "$to_head")" ]
      return
    fi
    from=${from#*/}
    to=${to#*/}
    if [ "$parent" = . ]; then parent=$from_head; else parent=$parent/$from_head; fi
  done
}

status=0
edges=$(mktemp)
trap 'rm -f "$edges" "$edges.loop"' EXIT

for file in $(find . -name '*.h' -o -name '*.cc' | sed 's|^\./||' | sort); do
  dir=${file%/*}
  if [ "$dir" = "$file" ]; then
    echo "check_layers: $file: outside every layer folder" >&2
    status=1
    continue
  fi
  problem=$(layer_problem "$dir")
  if [ -n "$problem" ]; then
    echo "check_layers: $file: $problem" >&2
    status=1
    continue
  fi
  module=${file%.*}
  for included in $(sed -n 's/^#include "\([a-z_]*\(\/[a-z_]*\)\{1,\}\)\.h".*/\1/p' \
                      "$file"); do
    to_dir=${included%/*}
    if ! below "$dir" "$to_dir"; then
      echo "check_layers: $file includes $included.h:" \
        "$to_dir is not below $dir" >&2
      status=1
    fi
    [ "$included" = "$module" ] || echo "$module $included" >>"$edges"
  done
done

# A header and its source form one module; tsort names any circle among
# the modules.
if ! tsort "$edges" >/dev/null 2>"$edges.loop"; then
  echo "check_layers: modules include each other in a circle:" >&2
  cat "$edges.loop" >&2
  status=1
fi

[ "$status" = 0 ] && echo "check_layers: every include points down"
exit "$status"
