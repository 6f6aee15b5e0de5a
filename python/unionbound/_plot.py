"""The picture of a BoundsResult; imports matplotlib, so it is loaded only
when a plot is asked for."""

import matplotlib.pyplot as plt
from matplotlib.colors import to_rgba


_KIND_LABELS = {
    "univariate": "univariate sharp",
    "bivariate": "bivariate sharp",
    "full": "full program (atoms)",
}


def _is_sharp_result(x):
    return all(hasattr(x, name) for name in ("kind", "lower", "upper"))


def _band_of(result):
    label = _KIND_LABELS.get(result.kind, str(result.kind))
    if getattr(result, "widened", False):
        label += " (tolerance)"
    return (label, float(result.lower), float(result.upper))


def _sharp_bands(sharp):
    """(label, lower, upper) triples from a SharpResult, a list of them, a
    pair or a sequence of triples."""
    if sharp is None:
        return []
    if _is_sharp_result(sharp):
        return [_band_of(sharp)]
    if len(sharp) == 2 and all(isinstance(x, (int, float)) for x in sharp):
        return [("sharp bounds", float(sharp[0]), float(sharp[1]))]
    bands = []
    for item in sharp:
        if _is_sharp_result(item):
            bands.append(_band_of(item))
        else:
            label, lo, hi = item
            bands.append((str(label), float(lo), float(hi)))
    return bands


def plot_bounds(result, sharp=None, truth=None, ax=None):
    if ax is None:
        figure, ax = plt.subplots(figsize=(7, 4.2))
    else:
        figure = ax.figure
    ax.plot(result.l, result.lower_per_l, marker="o", markersize=3,
            color="tab:blue", label="lower bound")
    ax.plot(result.l, result.upper_per_l, marker="o", markersize=3,
            color="tab:red", label="upper bound")
    colours = ["tab:green", "tab:purple", "tab:orange", "tab:brown"]
    # Light fills with solid edges, so that nested bands stay apart.
    for i, (label, lo, hi) in enumerate(_sharp_bands(sharp)):
        colour = colours[i % len(colours)]
        ax.axhspan(lo, hi, facecolor=to_rgba(colour, 0.12),
                   edgecolor=colour, linewidth=1.6, label=label)
    if truth is not None:
        ax.axhline(float(truth), color="black", linestyle="--",
                   label="P(union)")
    ax.set_xlabel("subsequence length l")
    ax.set_ylabel("probability of the union")
    ax.set_title(f"Bounds for n={result.n}, m={result.m}")
    ax.xaxis.get_major_locator().set_params(integer=True)
    # Beside the axes, so that it hides no line.
    ax.legend(loc="center left", bbox_to_anchor=(1.01, 0.5), frameon=False)
    return figure


def plot_count_bands(bands, truth=None, ax=None):
    """bands: (kind, r, lower, upper) per kind; truth: P(X >= r) per r."""
    if ax is None:
        figure, ax = plt.subplots(figsize=(7, 4.2))
    else:
        figure = ax.figure
    colours = ["tab:green", "tab:purple", "tab:orange", "tab:brown"]
    for i, (kind, r, lower, upper) in enumerate(bands):
        colour = colours[i % len(colours)]
        ax.fill_between(r, lower, upper, step="mid",
                        facecolor=to_rgba(colour, 0.15), edgecolor=colour,
                        linewidth=1.2, label=_KIND_LABELS.get(kind, kind))
    if truth is not None and bands:
        ax.plot(bands[0][1], truth, "k.", label="P(X >= r)")
    ax.set_xlabel("r")
    ax.set_ylabel("P(at least r events occur)")
    ax.xaxis.get_major_locator().set_params(integer=True)
    ax.legend(loc="center left", bbox_to_anchor=(1.01, 0.5), frameon=False)
    return figure
