"""Bounds on the union of events seen in data, drawn per subsequence length.

A sample of 16384 observations of 12 events that share a rare common shock
(each row: which events occurred) gives the probabilities of all
intersections of up to 3 events; unionbound bounds the probability that at
least one event occurs, and the picture shows the bounds of every l beside
the truth, which for the sample is the share of rows with any event. When
the module has the companion unionbound-sharp, the sharp univariate,
bivariate and full bounds of the same numbers join the picture as bands:
the best any method can get from them. 16384 rows make every share an
exact double, so the numbers are exactly those of the sample.

    PYTHONPATH=build/release/python python3 examples/plot_bounds.py [PNG]

writes the picture to PNG, or without it to a new temporary file, and
prints where. (docs/bounds.png, the README's picture, is this script's
output: `... plot_bounds.py docs/bounds.png`.)
"""

import os
import pathlib
import sys
import tempfile

import numpy as np

import unionbound

ROWS, EVENTS, ORDER = 16384, 12, 3


def common_shock_sample(rng):
    """Event i occurs with probability about 0.02 .. 0.06 on its own; a shock
    in 4% of the rows raises every event to 0.35."""
    own = rng.uniform(0.02, 0.06, EVENTS)
    shock = rng.random(ROWS) < 0.04
    chance = np.where(shock[:, None], 0.35, own[None, :])
    return rng.random((ROWS, EVENTS)) < chance


def output_path(argv):
    """The path given, or a new temporary file: never a tracked file by
    default."""
    if len(argv) > 1:
        return pathlib.Path(argv[1])
    handle, name = tempfile.mkstemp(prefix="unionbound-bounds-", suffix=".png")
    os.close(handle)
    return pathlib.Path(name)


def main():
    target = output_path(sys.argv)
    sample = common_shock_sample(np.random.default_rng(2026))
    p = unionbound.intersection_probabilities(sample, ORDER)
    result = unionbound.bounds(p, EVENTS, ORDER)
    truth = sample.any(axis=1).mean()
    print(f"lower {result.lower:.6f} (l={result.lower_l}), "
          f"truth {truth:.6f}, upper {result.upper:.6f} (l={result.upper_l})")

    sharp = []
    if unionbound.HAS_SHARP:
        for kind in ("univariate", "bivariate", "full"):
            bound = unionbound.sharp(p, EVENTS, ORDER, kind=kind)
            sharp.append(bound)
            print(f"{kind}: lower {bound.lower:.6f} "
                  f"({bound.lower_status}), upper {bound.upper:.6f} "
                  f"({bound.upper_status})")
    else:
        print("no sharp bounds: the module was built without unionbound-sharp")

    figure = unionbound.plot(result, sharp=sharp or None, truth=truth)
    figure.savefig(target, dpi=110)
    print(f"wrote {target}")


if __name__ == "__main__":
    main()
