# Sourced by the bench scripts that run data at other scales.
# scale FILE K: every number of FILE times 10^-K exactly, one a line: the
# digits stay, the exponent moves.
scale() {
  awk -v k="$2" '{
    for (i = 1; i <= NF; ++i) {
      t = $i; e = 0
      if (match(t, /[eE]/)) { e = substr(t, RSTART + 1) + 0; t = substr(t, 1, RSTART - 1) }
      print t "e" (e - k)
    }
  }' "$1"
}
