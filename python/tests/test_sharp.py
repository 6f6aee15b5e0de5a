"""unionbound.sharp gives the companion's bounds: the program's values on
the example, bounds that hold on a sample, a refusal of inconsistent data
without a tolerance, results that plot draws as bands, the multivariate
kind with its groups and the JSON document that reports them."""

import json
import os
import subprocess
import sys

import numpy as np
import pytest

import unionbound
from conftest import SOURCE_DIR

EXAMPLE = SOURCE_DIR / "examples" / "prob.txt"
KINDS = ("univariate", "bivariate", "full")

needs_sharp = pytest.mark.skipif(
    not unionbound.HAS_SHARP, reason="built without unionbound-sharp")


@pytest.mark.skipif(unionbound.HAS_SHARP, reason="built with the companion")
def test_without_the_companion_sharp_says_how_to_get_it():
    with pytest.raises(RuntimeError, match="without its companion"):
        unionbound.sharp([0.5, 0.5, 0.25], 2, 1)


@needs_sharp
def test_the_example_gives_the_programs_bounds():
    binary = os.environ.get("UNIONBOUND_SHARP_BINARY")
    if not binary or not os.access(binary, os.X_OK):
        pytest.skip("UNIONBOUND_SHARP_BINARY does not name unionbound-sharp")
    run = subprocess.run(
        [binary, "-n", "12", "-m", "3", "-i", str(EXAMPLE), "--full",
         "--json", "-"], check=True, capture_output=True, timeout=600)
    rows = {row["kind"]: row for row in json.loads(run.stdout)["bounds"]}
    for kind in KINDS:
        result = unionbound.sharp(EXAMPLE, 12, 3, kind=kind)
        row = rows[kind]
        assert (result.lower, result.upper) == (row["lower"], row["upper"])
        assert (result.lower_status, result.upper_status) == (
            row["lower_status"], row["upper_status"])
        assert (result.lower_l, result.upper_l) == (row["l_lower"],
                                                    row["l_upper"])
        assert not result.widened and result.epsilon is None


@needs_sharp
def test_exact_optima_that_are_doubles_come_back_exactly(tmp_path):
    # Disjoint events whose union 1 - 2**-20 is a double: every kind gives
    # it as itself, not one step outside a 17-digit decimal of it, from
    # numbers in memory and typed in a file alike.
    half = 0.5 - 2.0 ** -20
    path = tmp_path / "p.txt"
    path.write_text("0.5 0.49999904632568359375\n")
    for p in ([0.5, half], path):
        for kind in ("univariate", "bivariate", "best"):
            result = unionbound.sharp(p, 2, 1, kind=kind)
            assert result.upper == 1.0 - 2.0 ** -20, kind
        assert unionbound.sharp(p, 2, 1, kind="best").lower == 0.5


@needs_sharp
def test_bounds_hold_the_truth_of_a_sample():
    # 4096 rows: every share is an exact double, so the numbers are exactly
    # those of the sample.
    rng = np.random.default_rng(5)
    shock = rng.random(4096) < 0.1
    sample = rng.random((4096, 9)) < np.where(shock[:, None], 0.5, 0.04)
    p = unionbound.intersection_probabilities(sample, 3)
    truth = sample.any(axis=1).mean()
    method = unionbound.bounds(p, 9, 3)
    results = [unionbound.sharp(p, 9, 3, kind=kind) for kind in KINDS]
    for result in results:
        assert result.lower <= truth <= result.upper, result
    univariate, bivariate, full = results
    assert univariate.lower <= bivariate.lower <= full.lower
    assert full.upper <= bivariate.upper <= univariate.upper
    assert bivariate.lower >= method.lower and bivariate.upper <= method.upper


@needs_sharp
def test_inconsistent_data_need_a_tolerance():
    p = unionbound.read_prob(EXAMPLE, 12, 3)
    p[12] = 0.625  # P(A1 A2) above P(A1) = 0.5
    with pytest.raises(ValueError, match="epsilon = .*tolerance"):
        unionbound.sharp(p, 12, 3)
    widened = unionbound.sharp(p, 12, 3, kind="bivariate", tolerance="0.2")
    assert widened.widened and widened.epsilon >= 0.0625
    assert widened.lower_status == widened.upper_status == "widened"
    assert repr(widened).startswith("SharpResult(kind='bivariate', n=12, ")
    assert "status='widened', widened=True, epsilon=" in repr(widened)
    assert 0.0 <= widened.lower <= widened.upper <= 1.0
    # Every number within the tolerance of its own: never looser than the
    # moments within the same tolerance.
    full = unionbound.sharp(p, 12, 3, kind="full", tolerance="0.2")
    assert full.widened and full.lower_status == "certified"
    assert widened.lower <= full.lower <= full.upper <= widened.upper


@needs_sharp
def test_numbers_typed_with_two_decimals_give_a_rounding_hint(tmp_path):
    # Three events, each of probability 0.5, that meet in pairs with 0.25:
    # every number typed with (at most) two decimals.
    path = tmp_path / "two_decimals.txt"
    path.write_text("0.50 0.50 0.50 0.25 0.25 0.25\n")
    typed = unionbound.sharp(path, 3, 2)
    assert typed.rounding_hint == (
        "every number has at most 2 decimals; if they were rounded, a "
        "tolerance of 0.5e-2 gives bounds that hold for the unrounded values")
    # The tolerance it names makes the bounds cover the rounding: no hint.
    assert unionbound.sharp(path, 3, 2, tolerance="0.5e-2").rounding_hint \
        is None
    # Numbers in memory are their doubles' exact values: never a hint.
    assert unionbound.sharp([0.5, 0.5, 0.5, 0.25, 0.25, 0.25], 3,
                            2).rounding_hint is None


@needs_sharp
def test_plot_draws_sharp_results_as_bands_by_kind():
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    result = unionbound.bounds(unionbound.read_prob(EXAMPLE, 12, 3), 12, 3)
    univariate, bivariate = (unionbound.sharp(EXAMPLE, 12, 3, kind=kind)
                             for kind in KINDS[:2])
    ax = unionbound.plot(result, sharp=[univariate, bivariate]).axes[0]
    labels = [t.get_text() for t in ax.get_legend().get_texts()]
    assert labels[2:] == ["univariate: sharp", "bivariate (best l): sharp"]
    band = ax.patches[1].get_path().vertices[:, 1]
    assert (band.min(), band.max()) == (bivariate.lower, bivariate.upper)
    assert len(unionbound.plot(result, sharp=univariate).axes[0].patches) == 1


@needs_sharp
def test_at_least_r_and_the_distribution_hold_the_truth_of_a_sample():
    rng = np.random.default_rng(7)
    shock = rng.random(4096) < 0.1
    sample = rng.random((4096, 9)) < np.where(shock[:, None], 0.5, 0.04)
    p = unionbound.intersection_probabilities(sample, 3)
    count = sample.sum(axis=1)
    union = unionbound.sharp(p, 9, 3, kind="bivariate")
    one = unionbound.sharp(p, 9, 3, kind="bivariate", at_least=1)
    assert (one.lower, one.upper) == (union.lower, union.upper)
    for kind in ("univariate", "bivariate"):
        r, lower, upper = unionbound.distribution(p, 9, 3, kind=kind)
        truth = np.array([(count >= k).mean() for k in r])
        assert list(r) == list(range(1, 10))
        assert np.all(lower <= truth) and np.all(truth <= upper)
        assert np.all(np.diff(lower) <= 0) and np.all(np.diff(upper) <= 0)
    two = unionbound.sharp(p, 9, 3, kind="full", at_least=2)
    exactly = unionbound.sharp(p, 9, 3, kind="full", at_least=2, exactly=True)
    assert two.lower <= (count >= 2).mean() <= two.upper
    assert exactly.lower <= (count == 2).mean() <= exactly.upper
    with pytest.raises(ValueError, match="from 1 to n"):
        unionbound.sharp(p, 9, 3, at_least=10)


@needs_sharp
def test_plot_distribution_draws_a_band_per_kind():
    matplotlib = pytest.importorskip("matplotlib")
    matplotlib.use("Agg")
    figure = unionbound.plot_distribution(EXAMPLE, 12, 3,
                                          truth=np.linspace(0.8, 0.0, 12))
    ax = figure.axes[0]
    labels = [t.get_text() for t in ax.get_legend().get_texts()]
    assert labels == ["univariate: sharp", "bivariate (best l): sharp",
                      "P(X >= r)"]


@needs_sharp
def test_numbers_with_no_exact_value_raise_instead_of_killing_python():
    # In a child interpreter: the crash these numbers caused took the
    # interpreter down with it.
    code = f"""
import numpy as np, unionbound
p = unionbound.read_prob({str(EXAMPLE)!r}, 12, 3)
for bad in (float("nan"), float("inf"), -float("inf"),
            1.7976931348623157e308, -3.0):
    for kind in ("univariate", "bivariate", "full"):
        q = p.copy()
        q[5] = bad
        try:
            unionbound.sharp(q, 12, 3, kind=kind, tolerance="0.5")
        except ValueError as error:
            assert str(error).startswith("number 6 is "), error
        else:
            raise SystemExit(f"{{bad}} {{kind}}: no ValueError")
print("refused")
"""
    run = subprocess.run([sys.executable, "-c", code], capture_output=True,
                         text=True, timeout=300)
    assert run.returncode == 0, (run.returncode, run.stderr)
    assert run.stdout.strip() == "refused"


@needs_sharp
def test_multivariate_kind_refines_bivariate_and_names_its_groups():
    bivariate = unionbound.sharp(EXAMPLE, 12, 3, kind="bivariate")
    full = unionbound.sharp(EXAMPLE, 12, 3, kind="full")
    result = unionbound.sharp(EXAMPLE, 12, 3, kind="multivariate")
    assert result.kind == "multivariate"
    assert (result.lower_status, result.upper_status) == ("sharp", "sharp")
    assert bivariate.lower <= result.lower <= full.lower
    assert full.upper <= result.upper <= bivariate.upper
    assert result.lower_l is None and result.upper_l is None
    for groups in (result.lower_groups, result.upper_groups):
        assert len(groups) in (3, 4)
        assert sorted(e for g in groups for e in g) == list(range(1, 13))

    given = ((1, 2, 3, 4), (5, 6, 7, 8), (9, 10, 11, 12))
    # Any iterables of event numbers; numpy integers too.
    run = unionbound.sharp(EXAMPLE, 12, 3, kind="multivariate",
                           groups=[np.array(g) for g in given])
    assert run.lower_groups == given and run.upper_groups == given
    assert run.lower <= full.lower and run.upper >= full.upper
    two = unionbound.sharp(EXAMPLE, 12, 3, kind="multivariate", t=2)
    assert len(two.lower_groups) == 2 and len(two.upper_groups) == 2


@needs_sharp
@pytest.mark.parametrize("options, message", [
    ({"groups": [[1, 2, 3, 4, 5, 6], [7, 8, 9, 10, 11]]}, "event 12"),
    ({"groups": [[1, 2, 3, 4, 5, 6], [6, 7, 8, 9, 10, 11, 12]]}, "event 6"),
    ({"groups": [[0, 1, 2, 3, 4, 5, 6], [7, 8, 9, 10, 11, 12]]}, "event 0"),
    ({"t": 1}, "from 2 to 8, not 1"),
    ({"t": 9}, "from 2 to 8, not 9"),
    ({"kind": "bivariate", "t": 3}, "kind='multivariate'"),
    ({"kind": "best", "groups": [[1, 2], [3]]}, "kind='multivariate'"),
])
def test_bad_groups_or_t_raise_value_error(options, message):
    options = {"kind": "multivariate", **options}
    with pytest.raises(ValueError, match=message):
        unionbound.sharp(EXAMPLE, 12, 3, **options)


@needs_sharp
def test_the_json_document_with_groups_matches_its_schema(tmp_path):
    jsonschema = pytest.importorskip("jsonschema")
    binary = os.environ.get("UNIONBOUND_SHARP_BINARY")
    if not binary or not os.access(binary, os.X_OK):
        pytest.skip("UNIONBOUND_SHARP_BINARY does not name unionbound-sharp")
    schema = json.loads(
        (SOURCE_DIR / "docs" / "unionbound-sharp.schema.json").read_text())
    groups = tmp_path / "groups.txt"
    groups.write_text("1 2 3 4\n5 6 7 8\n9 10 11 12\n")
    for extra in ([], ["--multivariate"], ["--groups", str(groups)],
                  ["--t", "4"]):
        run = subprocess.run(
            [binary, "12", "3", str(EXAMPLE), "--json", "-", *extra],
            check=True, capture_output=True, timeout=600)
        document = json.loads(run.stdout)
        jsonschema.validate(document, schema)
        rows = {row["kind"]: row for row in document["bounds"]}
        assert "multivariate" in rows, extra
        row = rows["multivariate"]
        if extra[:1] == ["--groups"]:
            assert row["groups_lower"] == [[1, 2, 3, 4], [5, 6, 7, 8],
                                           [9, 10, 11, 12]]
            assert row["rule_lower"] == "given"
        for side in ("lower", "upper"):
            events = sorted(e for g in row["groups_" + side] for e in g)
            assert events == list(range(1, 13))
        result = unionbound.sharp(
            EXAMPLE, 12, 3, kind="multivariate",
            groups=row["groups_lower"] if extra[:1] == ["--groups"] else None,
            t=4 if extra[:1] == ["--t"] else None)
        assert (result.lower, result.upper) == (row["lower"], row["upper"])
