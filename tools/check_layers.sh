#!/bin/sh
# Fails when an include in src/ runs up the layers or the modules include
# each other in a circle. Usage: tools/check_layers.sh [SRC_DIR]
#
# The layers, top to bottom (a folder may include its own and lower ones):
#   api             the public library interface, a run on numbers held in
#                   memory as the program makes it, samples to probabilities
#   driver, sharp,  the two programs and the generator's event systems; none
#   events          includes another
#   cli             the command-line grammar, version and JSON text of both
#                   programs
#   bounds          bounding procedures, candidates, the pass computation
#   optim           inner optimisation, basis families, subset enumeration,
#                   scoring
#   problem         labels, binomial and power moments, support rows
#   input           the reader of probability files
#   numeric         value types, solver, moment shift, subset order
set -eu

src=${1:-$(dirname "$0")/../src}
cd "$src"

rank() {
  case $1 in
    api) echo 8 ;;
    driver | sharp | events) echo 7 ;;
    cli) echo 6 ;;
    bounds) echo 5 ;;
    optim) echo 4 ;;
    problem) echo 3 ;;
    input) echo 2 ;;
    numeric) echo 1 ;;
    *) echo 0 ;;
  esac
}

status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

for file in */*.h */*.cc; do
  [ -f "$file" ] || continue
  folder=${file%%/*}
  from_rank=$(rank "$folder")
  if [ "$from_rank" = 0 ]; then
    echo "check_layers: $file: folder $folder has no layer" >&2
    status=1
    continue
  fi
  module=${file%.*}
  for included in $(sed -n 's/^#include "\([a-z_]*\/[a-z_]*\)\.h".*/\1/p' \
                      "$file"); do
    to=${included%%/*}
    to_rank=$(rank "$to")
    if [ "$to" != "$folder" ] && [ "$to_rank" -ge "$from_rank" ]; then
      echo "check_layers: $file includes $included.h:" \
        "$to is not below $folder" >&2
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
rm -f "$edges.loop"

[ "$status" = 0 ] && echo "check_layers: every include points down"
exit "$status"
