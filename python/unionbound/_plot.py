"""The picture of a BoundsResult; imports matplotlib, so it is loaded only
when a plot is asked for."""

import matplotlib.pyplot as plt


_KIND_LABELS = {
    "univariate": "univariate",
    "bivariate": "bivariate (best l)",
    "full": "full program (atoms)",
}

# One style per band, told apart by edge colour, line style and hatching
# alone: the bands are not filled, so where they overlap no colour appears
# that the legend does not show.
_BAND_STYLES = [
    ("tab:green", "-", "/"),
    ("tab:purple", "--", "\\"),
    ("tab:orange", "-.", "."),
    ("tab:brown", ":", "|"),
    ("tab:gray", "-", "-"),
]


def _is_sharp_result(x):
    return all(hasattr(x, name) for name in ("kind", "lower", "upper"))


def _status_text(result):
    """"sharp", or "lower certified, upper partial" when the two differ."""
    lower = getattr(result, "lower_status", "") or ""
    upper = getattr(result, "upper_status", "") or ""
    if lower == upper:
        return lower
    return f"lower {lower}, upper {upper}"


def _band_of(result):
    label = _KIND_LABELS.get(result.kind, str(result.kind))
    status = _status_text(result)
    if status:
        label += f": {status}"
    if getattr(result, "widened", False) and "widened" not in status:
        label += " (with the tolerance)"
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
    own_figure = ax is None
    if own_figure:
        # The constrained layout makes room for the legend below the axes,
        # so that figure.savefig keeps it whole, with or without
        # bbox_inches="tight".
        figure, ax = plt.subplots(figsize=(7, 5), layout="constrained")
    else:
        figure = ax.figure
    ax.plot(result.l, result.lower_per_l, marker="o", markersize=4,
            color="tab:blue", label="unionbound's lower bound for each l")
    ax.plot(result.l, result.upper_per_l, marker="s", markersize=4,
            color="tab:red", label="unionbound's upper bound for each l")
    for i, (label, lo, hi) in enumerate(_sharp_bands(sharp)):
        colour, style, hatch = _BAND_STYLES[i % len(_BAND_STYLES)]
        ax.axhspan(lo, hi, facecolor="none", edgecolor=colour,
                   linestyle=style, linewidth=1.6, hatch=hatch, label=label)
    if truth is not None:
        ax.axhline(float(truth), color="black", linestyle="--",
                   label="P(union), the true probability")
    ax.set_xlabel("subsequence length l")
    ax.set_ylabel("probability of the union")
    ax.set_title(f"Bounds for n={result.n}, m={result.m}")
    ax.xaxis.get_major_locator().set_params(integer=True)
    if own_figure:
        # Below the axes, so that it hides no line.
        ax.legend(loc="upper center", bbox_to_anchor=(0.5, -0.14), ncol=2,
                  frameon=False, fontsize="small")
    else:
        # Axes of the caller's layout: inside them, where it is sure to
        # be drawn and saved.
        ax.legend(loc="best", fontsize="small")
    return figure


def plot_count_bands(bands, truth=None, ax=None):
    """bands: (kind, r, lower, upper) per kind, every bound sharp; truth:
    P(X >= r) per r. The bands are drawn as plot_bounds draws its own."""
    if ax is None:
        figure, ax = plt.subplots(figsize=(7, 4.2), layout="constrained")
    else:
        figure = ax.figure
    for i, (kind, r, lower, upper) in enumerate(bands):
        colour, style, hatch = _BAND_STYLES[i % len(_BAND_STYLES)]
        ax.fill_between(r, lower, upper, step="mid", facecolor="none",
                        edgecolor=colour, linestyle=style, linewidth=1.6,
                        hatch=hatch,
                        label=f"{_KIND_LABELS.get(kind, kind)}: sharp")
    if truth is not None and bands:
        ax.plot(bands[0][1], truth, "k.", label="P(X >= r)")
    ax.set_xlabel("r")
    ax.set_ylabel("P(at least r events occur)")
    ax.xaxis.get_major_locator().set_params(integer=True)
    ax.legend(loc="center left", bbox_to_anchor=(1.01, 0.5), frameon=False)
    return figure
