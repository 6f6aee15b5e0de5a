"""The picture of a BoundsResult; imports matplotlib, so it is loaded only
when a plot is asked for."""

import matplotlib.pyplot as plt


def _sharp_bands(sharp):
    """(label, lower, upper) triples from a pair or a sequence of triples."""
    if sharp is None:
        return []
    if len(sharp) == 2 and all(isinstance(x, (int, float)) for x in sharp):
        return [("sharp bounds", float(sharp[0]), float(sharp[1]))]
    return [(str(label), float(lo), float(hi)) for label, lo, hi in sharp]


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
    for i, (label, lo, hi) in enumerate(_sharp_bands(sharp)):
        ax.axhspan(lo, hi, color=colours[i % len(colours)], alpha=0.2,
                   label=label)
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
