"""plot draws a line per bound, bands for sharp bounds and a line for the
truth, with a legend that says whose bound each is and that a saved
figure keeps; matplotlib loads only when a plot is asked for."""

import os
import subprocess
import sys

import numpy as np
import pytest

import unionbound
from conftest import SOURCE_DIR

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")

LOWER, UPPER = ("unionbound's lower bound for each l",
                "unionbound's upper bound for each l")


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
    assert [t.get_text() for t in ax.get_legend().get_texts()] == [LOWER,
                                                                   UPPER]
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
    labels = [t.get_text() for t in ax.get_legend().get_texts()]
    assert labels == [LOWER, UPPER, "univariate", "full",
                      "P(union), the true probability"]
    # Unfilled, each with its own hatching and outline: overlapping bands
    # make no colour that the legend lacks.
    first, second = ax.patches
    for band in ax.patches:
        assert band.get_facecolor()[3] == 0.0
    assert first.get_hatch() != second.get_hatch()
    assert first.get_edgecolor() != second.get_edgecolor()
    plt.close(figure)


def test_a_pair_is_one_band(result):
    figure = unionbound.plot(result, sharp=(0.45, 0.85))
    assert len(figure.axes[0].patches) == 1


def test_a_saved_figure_keeps_the_whole_legend(result, tmp_path):
    # Five entries, the longest labels: the legend beside the axes was cut
    # off by a plain savefig.
    figure = unionbound.plot(
        result, sharp=[("univariate: sharp", 0.4, 0.9),
                       ("full program (atoms): lower certified, upper "
                        "partial", 0.5, 0.8)], truth=0.6)
    figure.savefig(tmp_path / "bounds.png")
    legend = figure.axes[0].get_legend()
    box = legend.get_window_extent(figure.canvas.get_renderer())
    inside = figure.bbox
    assert (inside.x0 <= box.x0 and box.x1 <= inside.x1 and
            inside.y0 <= box.y0 and box.y1 <= inside.y1), (box, inside)
    # Nor does it hide the bounds: it lies outside the axes.
    assert not box.overlaps(figure.axes[0].get_window_extent())


def test_results_show_the_best_bounds_not_the_report(result):
    text = repr(result)
    assert text.startswith("BoundsResult(n=9, m=3, lower=")
    assert f"upper_l={result.upper_l}" in text
    assert len(text) < 200 and "\n" not in text


def test_the_example_leaves_the_tracked_picture_alone(tmp_path):
    tracked = SOURCE_DIR / "docs" / "bounds.png"
    before = tracked.read_bytes()
    env = dict(os.environ, TMPDIR=str(tmp_path), MPLBACKEND="Agg",
               PYTHONPATH=os.pathsep.join(sys.path))
    run = subprocess.run(
        [sys.executable, str(SOURCE_DIR / "examples" / "plot_bounds.py")],
        capture_output=True, text=True, env=env, cwd=tmp_path, timeout=600,
        check=True)
    written = run.stdout.strip().splitlines()[-1].removeprefix("wrote ")
    assert os.path.dirname(written) == str(tmp_path)
    assert os.path.getsize(written) > 0
    assert tracked.read_bytes() == before


def test_importing_the_module_leaves_matplotlib_unloaded():
    code = ("import sys, unionbound; "
            "sys.exit(1 if 'matplotlib' in sys.modules else 0)")
    assert subprocess.run([sys.executable, "-c", code]).returncode == 0
