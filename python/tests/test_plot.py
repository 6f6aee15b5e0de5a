"""plot draws a line per bound, bands for sharp bounds and a line for the
truth; matplotlib loads only when a plot is asked for."""

import subprocess
import sys

import numpy as np
import pytest

import unionbound

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")


@pytest.fixture
def result():
    sample = np.random.default_rng(11).random((800, 9)) < 0.2
    return unionbound.bounds(
        unionbound.intersection_probabilities(sample, 3), 9, 3)


def test_bounds_alone_draw_two_lines_over_l(result):
    figure = unionbound.plot(result)
    ax = figure.axes[0]
    lower, upper = ax.get_lines()
    assert list(lower.get_xdata()) == list(result.l)
    assert list(lower.get_ydata()) == list(result.lower_per_l)
    assert list(upper.get_ydata()) == list(result.upper_per_l)
    assert ax.get_legend() is not None
    assert not ax.patches


def test_sharp_bands_and_truth_join_the_given_axes(result):
    import matplotlib.pyplot as plt

    figure, ax = plt.subplots()
    returned = unionbound.plot(
        result, sharp=[("univariate", 0.4, 0.9), ("full", 0.5, 0.8)],
        truth=0.6, ax=ax)
    assert returned is figure
    lines = ax.get_lines()
    assert len(lines) == 3
    assert list(lines[2].get_ydata()) == [0.6, 0.6]
    assert len(ax.patches) == 2
    labels = [t.get_text() for t in ax.get_legend().get_texts()]
    assert labels == ["lower bound", "upper bound", "univariate", "full",
                      "P(union)"]
    plt.close(figure)


def test_a_pair_is_one_band(result):
    figure = unionbound.plot(result, sharp=(0.45, 0.85))
    assert len(figure.axes[0].patches) == 1


def test_importing_the_module_leaves_matplotlib_unloaded():
    code = ("import sys, unionbound; "
            "sys.exit(1 if 'matplotlib' in sys.modules else 0)")
    assert subprocess.run([sys.executable, "-c", code]).returncode == 0
