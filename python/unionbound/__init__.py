"""Bounds on the probability that at least one of n events occurs.

From the probabilities of all intersections of 1 up to m of the events, the
same bounds, bit for bit, as the unionbound program prints:

    >>> import numpy as np, unionbound
    >>> sample = np.random.default_rng(1).random((1000, 8)) < 0.2
    >>> p = unionbound.intersection_probabilities(sample, 3)
    >>> result = unionbound.bounds(p, 8, 3)
    >>> result.lower, result.upper

The probabilities come in the order of the probability file: all
intersections of size 1, then of size 2, and so on up to m; within one size
the event numbers (from 1) in lexicographic order.
"""

import os as _os
import warnings as _warnings
from dataclasses import dataclass as _dataclass

import numpy as _np

from . import _core

__version__ = _core.__version__

__all__ = [
    "BoundsResult",
    "DataWarning",
    "HAS_SHARP",
    "SharpResult",
    "bounds",
    "distribution",
    "intersection_probabilities",
    "plot",
    "plot_distribution",
    "read_prob",
    "sharp",
    "write_prob",
]

# Whether the module was built with the companion unionbound-sharp (GMP and
# CLP), which sharp() needs.
HAS_SHARP = bool(_core.HAS_SHARP)


class DataWarning(UserWarning):
    """What unionbound says about numbers it computes on anyway."""


@_dataclass(frozen=True, repr=False)
class BoundsResult:
    """The bounds of a run, as the unionbound program computes them.

    lower, upper: the best lower and upper bound; lower_l, upper_l: the
    subsequence length l each came from. l, lower_per_l, upper_per_l: one
    entry per pass, l = m .. n - m. report: the text of result.txt.
    trustworthy: False when the data or the bounds cannot be trusted (the
    program's exit status 2); messages then say why.
    """

    n: int
    m: int
    lower: float
    lower_l: int
    upper: float
    upper_l: int
    l: _np.ndarray
    lower_per_l: _np.ndarray
    upper_per_l: _np.ndarray
    report: str
    summary: str
    messages: tuple
    trustworthy: bool

    def __repr__(self):
        # The best bounds alone: the arrays and the report would fill a
        # notebook cell.
        return (f"BoundsResult(n={self.n}, m={self.m}, lower={self.lower!r}, "
                f"lower_l={self.lower_l}, upper={self.upper!r}, "
                f"upper_l={self.upper_l}, trustworthy={self.trustworthy}"
                + (f", messages={len(self.messages)}" if self.messages
                   else "") + ")")


def intersection_probabilities(data, m, weights=None):
    """The probabilities of all intersections of sizes 1 .. m, in file order.

    data: a 0/1 (or boolean) matrix, one row per observation or atom, one
    column per event; weights: one nonnegative weight per row, or None for
    equal weights. An intersection's probability is the weight of the rows
    where all its events occur divided by the total weight.
    """
    table = _np.asarray(data)
    if table.ndim != 2:
        raise ValueError("data must be a two-dimensional 0/1 table")
    if table.shape[0] == 0 or table.shape[1] == 0:
        raise ValueError("data must have at least one row and one column")
    if not _np.isin(table, (0, 1)).all():
        raise ValueError("data must hold only 0 and 1")
    m = int(m)
    if m < 1:
        raise ValueError(f"m must be at least 1 (got {m})")
    if weights is None:
        w = _np.empty(0, dtype=_np.float64)
    else:
        w = _np.asarray(weights, dtype=_np.float64)
        if w.shape != (table.shape[0],):
            raise ValueError(
                f"weights must hold one number per row ({table.shape[0]}), "
                f"got shape {w.shape}")
        with _np.errstate(over="ignore"):
            positive = w.sum() > 0
            # The total as the library adds it, in row order.
            total = _np.cumsum(w)[-1]
        if not (_np.isfinite(w).all() and (w >= 0).all() and positive):
            raise ValueError("weights must be finite, nonnegative and not all 0")
        if not _np.isfinite(total):
            raise ValueError(
                "the weights add up to more than the largest double: divide "
                "them by a common factor (e.g. their largest)")
    n = table.shape[1]
    if _core.probability_count(n, m) < 0:
        raise ValueError(
            f"{n} events up to order {m} are too many: the number of "
            "intersections (the sum of C(n, k) for k = 1 .. m), and k times "
            "C(n, k) for each k, must stay below 2^31 = 2147483648")
    p = _core.intersection_probabilities(table.astype(_np.uint8), m, w)
    if p.size == 0:
        raise ValueError("the library computed no probabilities from the table")
    return p


def read_prob(path, n, m):
    """The numbers of a probability file for n events up to order m."""
    values, _read, error = _core.read_probabilities(str(path), int(n), int(m))
    if error:
        raise ValueError(error)
    return values


def write_prob(path, p):
    """Writes p as a probability file, one number a line.

    17 significant digits, so that the program reads back the same doubles.
    """
    values = _np.asarray(p, dtype=_np.float64).ravel()
    with open(path, "w", encoding="ascii") as out:
        for x in values:
            out.write(f"{x:.17g}\n")


def bounds(p, n, m, name="p"):
    """The best lower and upper bound of the union of n events.

    p holds the probabilities of all intersections of 1 .. m of the events in
    file order. The size rules, the data check and the messages are the
    program's: sizes it refuses, too few numbers, or numbers that cannot
    be probabilities (outside [0, 1], not finite) raise ValueError;
    probabilities that no events can have together give a DataWarning per
    message and a result with trustworthy=False. name stands for the file
    in messages.
    """
    values = _np.asarray(p, dtype=_np.float64).ravel()
    run = _core.run_on_values(values, int(n), int(m), str(name))
    if run["status"] == _core.STATUS_REFUSED or not run["any"]:
        raise ValueError("\n".join(run["messages"]))
    for message in run["messages"]:
        _warnings.warn(message, DataWarning, stacklevel=2)
    return BoundsResult(
        n=int(n), m=int(m),
        lower=run["lower"], lower_l=run["lower_l"],
        upper=run["upper"], upper_l=run["upper_l"],
        l=run["l"], lower_per_l=run["lower_per_l"],
        upper_per_l=run["upper_per_l"],
        report=run["report"], summary=run["summary"],
        messages=tuple(run["messages"]),
        trustworthy=run["status"] == _core.STATUS_SOUND)


@_dataclass(frozen=True, repr=False)
class SharpResult:
    """A pair of sharp bounds, as unionbound-sharp proves them.

    kind: "univariate", "bivariate", "multivariate", "full" or "best" (the
    tightest proven bounds of the other programs and the closed forms;
    its statuses name the kind, as "bivariate sharp"). lower, upper: the
    bounds, the tightest doubles outside the exact optimum (lower down,
    upper up); lower_text and upper_text, its 17-digit decimals. lower_l, upper_l:
    the l of each bivariate bound, None for the other kinds. lower_status,
    upper_status: "sharp" (the exact optimum), "widened" (univariate and
    bivariate: the exact optimum with the tolerance), "certified" or
    "partial" (full program: proven valid, every atom priced exactly or
    not), "failed" (no bound found; the trivial 0 or 1). widened: the bounds allow the tolerance. epsilon: the
    least change of every number that makes the data consistent (rounded
    up), None when they are consistent as given. lower_groups,
    upper_groups: the partition of the program each bound came from, a
    tuple of groups of 1-based event numbers (multivariate, and bivariate or
    best where a bound came from the events taken by marginal), else None.
    rounding_hint: for a file whose numbers all have at most k decimals
    (1 <= k <= 8), when no
    tolerance of 0.5e-k was given: a sentence saying that tolerance=
    "0.5e-k" gives bounds that hold for the values the numbers could have
    been rounded from (these bounds are proven for the numbers as typed
    only); None otherwise (numbers in memory never get one).
    """

    kind: str
    n: int
    m: int
    lower: float
    upper: float
    lower_l: object
    upper_l: object
    lower_status: str
    upper_status: str
    widened: bool
    epsilon: object
    lower_text: str
    upper_text: str
    lower_groups: object = None
    upper_groups: object = None
    rounding_hint: object = None

    def __repr__(self):
        status = (self.lower_status if self.lower_status == self.upper_status
                  else f"{self.lower_status}/{self.upper_status}")
        return (f"SharpResult(kind={self.kind!r}, n={self.n}, m={self.m}, "
                f"lower={self.lower!r}, upper={self.upper!r}, "
                f"status={status!r}"
                + (", widened=True" if self.widened else "")
                + (f", epsilon={self.epsilon!r}" if self.epsilon is not None
                   else "") + ")")


_SHARP_KINDS = ("univariate", "bivariate", "multivariate", "full", "best")


def _tolerance_arguments(tolerance):
    """(text, has_number, number) for the compiled part: text is exact, a
    float counts with its exact binary value."""
    if tolerance is None:
        return "", False, 0.0
    if isinstance(tolerance, str):
        if not tolerance.strip():
            raise ValueError("tolerance must be a decimal number >= 0")
        return tolerance.strip(), False, 0.0
    if isinstance(tolerance, (int, _np.integer)) and not isinstance(
            tolerance, bool):
        return str(int(tolerance)), False, 0.0
    return "", True, float(tolerance)


def sharp(p, n, m, kind="univariate", tolerance=None, time_limit=0.0,
          at_least=1, exactly=False, groups=None, t=None):
    """The sharp bounds of unionbound-sharp, proven in exact arithmetic.

    p: the probabilities of all intersections of 1 .. m of the n events in
    file order (each number's exact value is its double's binary value), or
    the path of a probability file, whose numbers are taken exactly as
    typed. kind: "univariate" (over the number of occurring events),
    "bivariate" (the best over the splits l = m .. n - m, of the events as
    numbered and by decreasing marginal), "multivariate" (over the counts
    of events in each group of a partition into t = 3 and 4 groups chosen
    from the data, the best over the partitions; groups: a partition of the
    events given by hand, a list of lists of 1-based event numbers; t: the
    number of groups of the chosen ones, 2 .. 8), "full" (over all atoms,
    n <= 60; time_limit in seconds per bound, 0 for none) or "best" (the
    tightest proven bounds of the others but full, and the closed forms).
    tolerance: for data that are not consistent, bounds that hold for
    every consistent assignment within it of every number; a decimal
    string is exact, a float counts with its binary value. at_least: bound
    the probability that at least this many of the n events occur (1, the
    default, is the union; 1 .. n; the full program takes other values only
    up to 22 events); with exactly=True the probability that exactly
    at_least of them occur.

    Raises RuntimeError when the module was built without the companion,
    and ValueError for sizes or options it refuses and for inconsistent
    data (the message gives epsilon).
    """
    if not HAS_SHARP:
        raise RuntimeError(
            "unionbound was built without its companion unionbound-sharp, "
            "which sharp() needs: install GMP and CLP (apt-get install "
            "libgmp-dev coinor-libclp-dev pkg-config) and build again with "
            "cmake -DUNIONBOUND_SHARP=ON")
    if kind not in _SHARP_KINDS:
        raise ValueError(
            f"kind must be one of {', '.join(_SHARP_KINDS)}, not {kind!r}")
    if (groups is not None or t is not None) and kind != "multivariate":
        raise ValueError("groups and t belong to kind='multivariate'")
    given = [[int(e) for e in g] for g in groups] if groups is not None else []
    text, has_number, number = _tolerance_arguments(tolerance)
    if isinstance(p, (str, _os.PathLike)):
        values, path = _np.empty(0, dtype=_np.float64), _os.fspath(p)
    else:
        values, path = _np.asarray(p, dtype=_np.float64).ravel(), ""
        if not path and values.size == 0:
            raise ValueError("p holds no numbers")
    run = _core.sharp_bounds(values, path, int(n), int(m), kind, text,
                             has_number, number, float(time_limit),
                             int(at_least), bool(exactly), given,
                             int(t) if t is not None else 0)
    if not run["computed"]:
        raise ValueError("\n".join(run["messages"]))
    for message in run["messages"]:
        _warnings.warn(message, DataWarning, stacklevel=2)
    bivariate = kind in ("bivariate", "best")
    return SharpResult(
        kind=kind, n=int(n), m=int(m),
        lower=run["lower"], upper=run["upper"],
        lower_l=run["lower_l"] if bivariate and run["lower_l"] else None,
        upper_l=run["upper_l"] if bivariate and run["upper_l"] else None,
        lower_status=run["lower_status"], upper_status=run["upper_status"],
        widened=run["widened"],
        epsilon=None if run["consistent"] else run["epsilon"],
        lower_text=run["lower_text"], upper_text=run["upper_text"],
        lower_groups=_groups(run["lower_groups"]),
        upper_groups=_groups(run["upper_groups"]),
        rounding_hint=run["rounding_hint"] or None)


def _groups(groups):
    """A partition as a tuple of tuples, None for none."""
    return tuple(tuple(g) for g in groups) if groups else None


def distribution(p, n, m, kind="univariate", tolerance=None):
    """The sharp bounds of P(X >= r), X the number of the n events that
    occur, for every r = 1 .. n: arrays (r, lower, upper), each bound as
    sharp(p, n, m, kind=kind, at_least=r) gives it. kind: "univariate" or
    "bivariate" (the best over l for each r). Proven bounds never rise with
    r; a rise raises RuntimeError, since it would be a fault.
    """
    if kind not in ("univariate", "bivariate"):
        raise ValueError(
            f"kind must be univariate or bivariate, not {kind!r}")
    r = _np.arange(1, int(n) + 1)
    lower = _np.empty(r.size)
    upper = _np.empty(r.size)
    for i, count in enumerate(r):
        result = sharp(p, n, m, kind=kind, tolerance=tolerance,
                       at_least=int(count))
        lower[i], upper[i] = result.lower, result.upper
    if _np.any(_np.diff(lower) > 0) or _np.any(_np.diff(upper) > 0):
        raise RuntimeError(
            "the bounds of P(X >= r) rise with r, which proven bounds never "
            "do: a fault of unionbound-sharp, please report it")
    return r, lower, upper


def plot_distribution(p, n, m, kinds=("univariate", "bivariate"),
                      tolerance=None, truth=None, ax=None):
    """Draws the bands of P(X >= r) against r for each kind; returns the
    figure. truth: the true P(X >= r) for r = 1 .. n, drawn as points.
    matplotlib is imported here only.
    """
    from ._plot import plot_count_bands
    bands = []
    for kind in kinds:
        r, lower, upper = distribution(p, n, m, kind=kind,
                                       tolerance=tolerance)
        bands.append((kind, r, lower, upper))
    return plot_count_bands(bands, truth=truth, ax=ax)


def plot(result, sharp=None, truth=None, ax=None):
    """Draws unionbound's lower and upper bound of every l; returns the
    figure.

    sharp: optional sharp bounds drawn as hatched bands across all l: a
    SharpResult or a list of them (labelled by kind and status), a
    (lower, upper) pair, or a sequence of (label, lower, upper); truth: the
    probability of the union, drawn as a line. ax: the axes to draw on,
    with the legend inside them; without it the figure is new and the
    legend lies below the axes, inside the figure, so that
    figure.savefig(path) keeps it. matplotlib is imported here only.
    """
    from ._plot import plot_bounds

    return plot_bounds(result, sharp=sharp, truth=truth, ax=ax)
