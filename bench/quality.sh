#!/usr/bin/env bash
# Quality of every kind of bound on genuine event systems: for five
# families (and three planted shocks) at n = 10, 20, 30 and m = 3, the true
# union probability beside unionbound's best bounds, the univariate,
# bivariate and multivariate sharp bounds, the full program over atoms
# (--full, where n is within its reach) and the closed-form bounds
# (Hunter-Worsley upper, de Caen and Kuai-Alajaji-Takahara lower), each
# with its status and time. Then a summary per kind: median interval
# width, how often it is the tightest (lower and upper apart, ties counted
# for each), median time; the multivariate width against the bivariate one
# and the share of the gap to the full program it closes; and the
# partitions the multivariate bounds came from on the planted systems.
# Ends with the exact commands run. Fails (status 1, after the tables) when
# a bound that unionbound-sharp proves excludes the true value.
#
#   bench/quality.sh [OUT.md]      (BUILD_DIR defaults to build/release)
#
# Environment: SIZES (default "10 20 30"), M (3), FULL_MAX_N (20: --full
# only for n up to this), FULL_TIME_LIMIT (60 s, passed as --time-limit),
# FAMILIES (default "independent shock gaussian rare atoms planted"),
# MULTIVARIATE (1: --multivariate, so the kind runs at every size; 0: the
# default run, where it runs only while its programs are small).
# NO_BUILD=1 takes the programs in BUILD_DIR as they are (while another
# build runs there).
# planted: three latent shocks of weight 0.1 each, shock g = 0, 1, 2
# raising the events e = g (mod 3) to 0.6 and the others to 0.01, and no
# shock (weight 0.7) giving event e 0.01 + 0.001 (e mod 5), independent
# given the shock; the probabilities of the mixture written by python3
# (the seed is not used).
# Data that are inconsistent as typed (epsilon > 0) are run again with the
# tolerance the message names (--full included); their bounds are marked
# with *. Needs the packages of
# tools/install-deps.sh and python3. Seeds are fixed (1000 + n), so the
# systems are the same on every run; only the times vary.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-build/release}"
case "$build" in /*) ;; *) build="$root/$build" ;; esac
out="${1:-}"
sizes="${SIZES:-10 20 30}"
m="${M:-3}"
full_max="${FULL_MAX_N:-20}"
limit="${FULL_TIME_LIMIT:-60}"
families="${FAMILIES:-independent shock gaussian rare atoms planted}"
mv_args=()
[ "${MULTIVARIATE:-1}" = 1 ] && mv_args=(--multivariate)

if [ "${NO_BUILD:-0}" != 1 ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j 2 --target unionbound unionbound-sharp \
    unionbound-generate >/dev/null
fi

unionbound="$build/unionbound"
sharp="$build/unionbound-sharp"
generate="$build/unionbound-generate"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }

# The planted-shock system of n events up to order m into FILE: every
# intersection probability of the mixture in file order (by size, then
# lexicographic), 17 digits; prints the union probability last on its line
# as unionbound-generate does.
planted() {
  python3 - "$1" "$2" "$3" <<'PY'
import itertools
import math
import sys

n, m, path = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
weights = [0.7, 0.1, 0.1, 0.1]
occ = [[0.01 + 0.001 * (e % 5) for e in range(1, n + 1)]]
for c in range(1, 4):
    occ.append([0.6 if (e * 7) % 3 == c - 1 else 0.01
                for e in range(1, n + 1)])
with open(path, "w") as out:
    for k in range(1, m + 1):
        for s in itertools.combinations(range(n), k):
            total = 0.0
            for w, p in zip(weights, occ):
                prod = w
                for i in s:
                    prod *= p[i]
                total += prod
            out.write("%.17g\n" % total)
none = sum(w * math.prod(1.0 - x for x in p) for w, p in zip(weights, occ))
print("planted n=%d m=%d union %.17g" % (n, m, 1.0 - none))
PY
}
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

# One line per system: family, n, truth, unionbound's lower and upper bound
# and wall time, the CSV file, the tolerance used (or -), why --full did
# not run (or -), the wall time of the whole row.
rows="$work/rows.tsv"
commands="$work/commands.txt"
: >"$rows"
: >"$commands"
for family in $families; do
  for n in $sizes; do
    dir="$work/$family-$n"
    mkdir -p "$dir"
    seed=$((1000 + n))
    t0="$(now)"
    if [ "$family" = planted ]; then
      truth="$(planted "$n" "$m" "$dir/prob.txt" | awk '{ print $NF }')"
      cmds="planted $n $m prob.txt (bench/quality.sh)"
    else
      truth="$("$generate" "$family" "$n" "$m" "$seed" "$dir/prob.txt" |
        awk '{ print $NF }')"
      cmds="unionbound-generate $family $n $m $seed prob.txt"
    fi

    # unionbound itself, through its console dialogue; its method needs an
    # odd m, so for an even m it has no bounds here.
    t1="$(now)"
    if [ $((m % 2)) -eq 1 ]; then
      (cd "$dir" && printf '%s\n%s\n\n' "$n" "$m" | "$unionbound" >console.txt)
      cmds+="; printf '$n\\n$m\\n\\n' | unionbound"
    else
      : >"$dir/console.txt"
    fi
    t2="$(now)"
    ub_low="$(awk '/Lower bound on the probability/ { getline; print; exit }' "$dir/console.txt")"
    ub_up="$(awk '/Upper bound on the probability/ { getline; print; exit }' "$dir/console.txt")"

    full_args=()
    full_note="-"
    if [ "$n" -le "$full_max" ]; then
      full_args=(--full --time-limit "$limit")
    else
      full_note="n>$full_max"
    fi
    status=0
    (cd "$dir" && "$sharp" "$n" "$m" "${full_args[@]}" "${mv_args[@]}" \
      --csv bounds.csv >sharp.txt 2>err.txt) || status=$?
    cmds+="; unionbound-sharp $n $m ${full_args[*]:+${full_args[*]} }${mv_args[*]:+${mv_args[*]} }--csv bounds.csv"
    # Data that are inconsistent as typed (rounded to 17 digits) get the
    # tolerance they need: the moment programs' epsilon, or where only the
    # full program found no distribution, the tolerance it says is enough.
    eps="-"
    if [ "$status" -eq 2 ]; then
      eps="$(sed -n 's/.*use --tolerance T with T >= \([0-9][^ ]*\)$/\1/p' \
        "$dir/err.txt")"
      [ -n "$eps" ] ||
        eps="$(sed -n 's/.*epsilon = \([^;]*\);.*/\1/p' "$dir/err.txt")"
      status=0
      (cd "$dir" && "$sharp" "$n" "$m" "${full_args[@]}" "${mv_args[@]}" \
        --tolerance "$eps" --csv bounds.csv >sharp.txt 2>err.txt) || status=$?
      cmds+=" (status 2); unionbound-sharp $n $m ${full_args[*]:+${full_args[*]} }${mv_args[*]:+${mv_args[*]} }--tolerance $eps --csv bounds.csv"
    fi
    t3="$(now)"
    if [ "$status" -ne 0 ]; then
      echo "unionbound-sharp failed (status $status) on $family n=$n:" >&2
      cat "$dir/sharp.txt" "$dir/err.txt" >&2
      exit 1
    fi
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$family" "$n" "$truth" \
      "$ub_low" "$ub_up" "$(elapsed "$t1" "$t2")" "$dir/bounds.csv" "$eps" \
      "$full_note" "$(elapsed "$t0" "$t3")" >>"$rows"
    echo "$cmds" >>"$commands"
  done
done

report="$work/report.md"
status=0
python3 - "$rows" "$m" "$full_max" "$limit" >"$report" <<'PY' || status=$?
import csv
import math
import statistics
import sys

rows_file, m, full_max, limit = sys.argv[1:5]
TIE = 1e-9      # bounds this close count as equally tight
SLACK = 1e-12   # the truth is a double; the data were rounded to 17 digits
PROVEN = {"sharp", "certified", "partial", "valid"}

# Kinds of lower and upper bound, in table order.
LOWER = ["unionbound", "univariate", "bivariate", "multivariate", "full",
         "de-caen", "kuai-alajaji-takahara"]
UPPER = ["unionbound", "univariate", "bivariate", "multivariate", "full",
         "hunter-worsley"]
NAMES = {"unionbound": "unionbound (method)", "univariate": "univariate sharp",
         "bivariate": "bivariate sharp", "multivariate": "multivariate sharp",
         "full": "full (atoms)",
         "de-caen": "de Caen", "kuai-alajaji-takahara": "Kuai-Alajaji-Takahara",
         "hunter-worsley": "Hunter-Worsley", "classical": "classical (best pair)"}


def side(row, value, status, widened):
    """(value, status) of one side of a CSV row, or None."""
    if row is None or row[value] == "" or row[status] in ("none", ""):
        return None
    st = "widened" if row[widened] == "tolerance" else row[status]
    return float(row[value]), st


systems = []
for line in open(rows_file):
    fam, n, truth, ul, uu, ut, path, eps, note, wall = line.rstrip("\n").split("\t")
    kinds = {r["kind"]: r for r in csv.DictReader(open(path))}
    s = {"family": fam, "n": int(n), "truth": float(truth), "eps": eps,
         "note": note, "wall": float(wall), "lower": {}, "upper": {},
         "seconds": {}, "groups": {}}
    for kind, r in kinds.items():
        if kind.endswith("_l"):
            continue
        s["seconds"][kind] = float(r["seconds"])
        lo = side(r, "lower", "lower_status", "lower_widened")
        up = side(r, "upper", "upper_status", "upper_widened")
        if lo:
            s["lower"][kind] = lo
        if up:
            s["upper"][kind] = up
        if kind == "multivariate":
            s["groups"] = {"lower": r.get("groups_lower", ""),
                           "upper": r.get("groups_upper", "")}
    # unionbound's own run: its numbers clipped to [0, 1]; the status
    # (method or invalid) and the time of the method alone from
    # unionbound-sharp's recomputation, like the times of the other kinds.
    s["unionbound_run"] = float(ut)
    for key, text, clip in (("lower", ul, max), ("upper", uu, min)):
        if "unionbound" in s[key] and text:
            st = s[key]["unionbound"][1]
            s[key]["unionbound"] = (
                clip(float(text), 0.0 if key == "lower" else 1.0), st)
    for kind in ("de-caen", "kuai-alajaji-takahara", "hunter-worsley"):
        if kind in s["seconds"]:
            s["seconds"]["classical"] = s["seconds"].pop(kind)
    systems.append(s)


def fmt(v, key):
    # Four decimals, lower bounds rounded down and upper bounds up.
    scaled = v * 1e4
    r = math.floor(scaled) if key == "lower" else math.ceil(scaled)
    return "%.4f" % (r / 1e4)


def mark(st):
    return {"widened": "*", "partial": "p", "invalid": "!"}.get(st, "")


def cell(s, kind, key):
    if kind == "full" and s["note"] != "-" and kind not in s[key]:
        return "n/a"
    if kind not in s[key]:
        return "-"
    v, st = s[key][kind]
    return fmt(v, key) + mark(st)


def interval(s, kind):
    return cell(s, kind, "lower") + ", " + cell(s, kind, "upper")


def secs(s, kind):
    return "%.3f" % s["seconds"][kind] if kind in s["seconds"] else "-"


print("| family | n | truth | unionbound | univariate sharp | bivariate sharp "
      "| multivariate sharp | full (atoms) | de Caen | Kuai-A.-T. "
      "| Hunter-Worsley | t method | t univ. | t biv. | t multiv. | t full "
      "| t classical | t row |")
print("|---|---:|---:|---|---|---|---|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
for s in systems:
    print("| %s | %d | %.4f | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %.2f |" % (
        s["family"], s["n"], s["truth"], interval(s, "unionbound"),
        interval(s, "univariate"), interval(s, "bivariate"),
        interval(s, "multivariate"), interval(s, "full"),
        cell(s, "de-caen", "lower"), cell(s, "kuai-alajaji-takahara", "lower"),
        cell(s, "hunter-worsley", "upper"), secs(s, "unionbound"),
        secs(s, "univariate"), secs(s, "bivariate"), secs(s, "multivariate"),
        secs(s, "full"), secs(s, "classical"), s["wall"]))
print()
print("Intervals are [lower, upper] to four decimals, rounded outward. No mark: "
      "sharp (univariate, bivariate, multivariate), certified (full) or a valid closed form; "
      "`*` widened by the tolerance that data inconsistent as typed need "
      "(the full program's own where only it found none fits); `p` partial (full: valid, stopped by the time limit); `!` "
      "unionbound's bound contradicted by a sharp one; full `n/a` beyond n = "
      "%s; `-` no bound of that "
      "kind (the multivariate programs only with --multivariate or while "
      "small; the closed forms are computed on data consistent as typed "
      "only). Times in seconds, of the computation alone as unionbound-sharp "
      "reports it (unionbound's method recomputed there, all l together for "
      "the bivariate programs, the three closed forms together); t row: the "
      "whole row, generation and all runs; --full had --time-limit %s. "
      "unionbound's whole run took %.3f s at the median." % (
          full_max, limit,
          statistics.median(s["unionbound_run"] for s in systems)))
print()


def width(s, kind):
    if kind == "classical":
        lows = [s["lower"][k][0] for k in ("de-caen", "kuai-alajaji-takahara")
                if k in s["lower"]]
        if not lows or "hunter-worsley" not in s["upper"]:
            return None
        return s["upper"]["hunter-worsley"][0] - max(lows)
    if kind not in s["lower"] or kind not in s["upper"]:
        return None
    return s["upper"][kind][0] - s["lower"][kind][0]


def tightest(key, kinds, better):
    """Per kind: (rows where it is the tightest, rows where it has a bound)."""
    wins = {k: 0 for k in kinds}
    present = {k: 0 for k in kinds}
    for s in systems:
        usable = {k: v for k, (v, st) in s[key].items()
                  if k in kinds and st != "invalid"}
        if not usable:
            continue
        best = better(usable.values())
        for k, v in usable.items():
            present[k] += 1
            if abs(v - best) <= TIE:
                wins[k] += 1
    return wins, present


def median(values):
    return statistics.median(values) if values else None


low_wins, low_present = tightest("lower", LOWER, max)
up_wins, up_present = tightest("upper", UPPER, min)
with_full = [s for s in systems if "full" in s["lower"]]
print("| kind | median width | median width, rows with full | tightest lower "
      "| tightest upper | median time (s) |")
print("|---|---:|---:|---:|---:|---:|")
for kind in ["unionbound", "univariate", "bivariate", "multivariate", "full",
             "classical",
             "de-caen", "kuai-alajaji-takahara", "hunter-worsley"]:
    w = median([x for x in (width(s, kind) for s in systems) if x is not None])
    wf = median([x for x in (width(s, kind) for s in with_full)
                 if x is not None])
    lo = "%d / %d" % (low_wins[kind], low_present[kind]) if kind in LOWER else ""
    up = "%d / %d" % (up_wins[kind], up_present[kind]) if kind in UPPER else ""
    tk = "classical" if kind in ("de-caen", "kuai-alajaji-takahara",
                                 "hunter-worsley") else kind
    t = median([s["seconds"][tk] for s in systems if tk in s["seconds"]])
    if kind in ("de-caen", "kuai-alajaji-takahara", "hunter-worsley"):
        t = None  # one time for the three closed forms, in the row above
    print("| %s | %s | %s | %s | %s | %s |" % (
        NAMES[kind], "%.4f" % w if w is not None else "",
        "%.4f" % wf if wf is not None else "", lo, up,
        "%.4f" % t if t is not None else ""))
print()
print("Tightest: how many of the systems with a bound of that kind it is the "
      "highest lower (lowest upper) bound within %g, ties counted for each; "
      "unionbound's invalid bounds are left out. Widths: upper minus lower "
      "(unionbound clipped to [0, 1]; classical: the better of de Caen and "
      "Kuai-Alajaji-Takahara to Hunter-Worsley); the second column only over "
      "the %d systems where the full program ran." % (TIE, len(with_full)))

# The multivariate bounds against the bivariate ones they refine, and where
# the full program is certified on both sides, the share of the gap between
# the bivariate and the full interval that they close.
ratios = []
closed = []
for s in systems:
    wm, wb, wf = (width(s, k) for k in ("multivariate", "bivariate", "full"))
    if wm is None or wb is None or wb <= 0:
        continue
    ratios.append(wm / wb)
    certified = wf is not None and all(
        s[key]["full"][1] in ("certified", "widened")
        for key in ("lower", "upper"))
    if certified and wb - wf > TIE:
        closed.append((wb - wm) / (wb - wf))
print()
if ratios:
    print("Multivariate width / bivariate width over %d systems: median "
          "%.3g, best %.3g, worst %.3g." % (
              len(ratios), statistics.median(ratios), min(ratios),
              max(ratios)))
if closed:
    print("Share of the gap between the bivariate and the certified full "
          "interval that the multivariate one closes, over %d system(s): "
          "median %.0f%%, least %.0f%%, most %.0f%%." % (
              len(closed), 100 * statistics.median(closed),
              100 * min(closed), 100 * max(closed)))
planted_rows = [s for s in systems if s["family"] == "planted"]
if planted_rows:
    n0 = planted_rows[0]["n"]
    print()
    print("Planted groups (the events e with e mod 3 = 1, 2 and 0) and the "
          "partitions of the multivariate bounds:")
    print()
    print("| n | planted | lower bound from | upper bound from |")
    print("|---:|---|---|---|")
    for s in planted_rows:
        n = s["n"]
        groups = [[e for e in range(1, n + 1) if (7 * e) % 3 == g]
                  for g in (1, 2, 0)]
        text = " \\| ".join(" ".join(map(str, g)) for g in groups)
        sets = [set(g) for g in groups]

        def against(chosen):
            # The planted partition itself, one that splits its groups
            # further, or the groups as chosen.
            if not chosen:
                return "-"
            parts = [set(map(int, g.split())) for g in chosen.split("|")]
            if sorted(map(sorted, parts)) == sorted(map(sorted, sets)):
                return "the planted groups"
            if all(any(p <= q for q in sets) for p in parts):
                return "the planted groups split into %d" % len(parts)
            return chosen.replace("|", "\\|")

        print("| %d | %s | %s | %s |" % (
            n, "e mod 3" if n > 9 else text, against(s["groups"].get("lower", "")),
            against(s["groups"].get("upper", ""))))

outside = []
method_outside = 0
for s in systems:
    t = s["truth"]
    for key in ("lower", "upper"):
        for kind, (v, st) in s[key].items():
            excess = v - t if key == "lower" else t - v
            if excess <= SLACK:
                continue
            if kind == "unionbound":
                method_outside += 1
            elif st in PROVEN or st == "widened":
                outside.append("%s n=%d: %s %s bound %.17g (%s) excludes the "
                               "truth %.17g" % (s["family"], s["n"], kind, key,
                                                v, st, t))
print()
print("True value outside unionbound's bounds: %d. Proven bounds (sharp, "
      "certified, partial, valid, widened) that exclude the truth by more "
      "than %g: %d." % (method_outside, SLACK, len(outside)))
for line in outside:
    print("FAILED: " + line)
sys.exit(1 if outside else 0)
PY

{
  cat "$report"
  echo
  echo "Commands (BUILD_DIR=${BUILD_DIR:-build/release}, each in a fresh folder):"
  echo
  sed 's/^/    /' "$commands"
} | if [ -n "$out" ]; then tee "$out"; else cat; fi
if [ "$status" -ne 0 ]; then
  echo "quality.sh: a proven bound excludes the true union probability" >&2
  exit 1
fi
