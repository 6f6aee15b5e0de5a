"""unionbound.bounds runs the program's computation: the same bounds bit for
bit, the same report, the same size rules, data check and messages."""

import json
import re
import subprocess
import warnings

import numpy as np
import pytest

import unionbound
from conftest import GOLDEN_DIR


def mask_running_times(text):
    return re.sub(r"(Running time: \n?)[0-9.]+", r"\1T", text)


def golden_cases():
    return sorted(d.name for d in GOLDEN_DIR.iterdir()
                  if (d / "prob.txt").is_file())


def sizes_of(case):
    n, m = (GOLDEN_DIR / case / "stdin.txt").read_text().split()[:2]
    return int(n), int(m)


def expected(case, name):
    path = GOLDEN_DIR / case / name
    return path.read_text() if path.exists() else None


def run_program(program, case, n, m, tmp_path):
    """The program's JSON document of a scripted run on the case."""
    doc = tmp_path / "run.json"
    subprocess.run(
        [program, "-n", str(n), "-m", str(m),
         "-i", str(GOLDEN_DIR / case / "prob.txt"),
         "-o", str(tmp_path / "result.txt"), "--json", str(doc), "--quiet"],
        check=False, capture_output=True, timeout=600)
    return json.loads(doc.read_text())


def complete_values(case, n, m):
    """The numbers of the case's file, zeros for those it lacks, and
    whether the file held them all."""
    count = unionbound._core.probability_count(n, m)
    values, read, _ = unionbound._core.read_probabilities(
        str(GOLDEN_DIR / case / "prob.txt"), n, m)
    return values, read == count


def quiet_bounds(p, n, m, name="prob.txt"):
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", unionbound.DataWarning)
        return unionbound.bounds(p, n, m, name=name)


@pytest.mark.parametrize("case", golden_cases())
def test_golden_case_gives_the_programs_bounds_and_report(case, program,
                                                         tmp_path):
    n, m = sizes_of(case)
    if int(expected(case, "expected_status.txt")) == 1:
        pytest.skip("sizes the program refuses: see the refusal test")
    values, complete = complete_values(case, n, m)
    if expected(case, "expected_result.txt") is None:
        # The program gives no bounds from the file; nor does the module
        # from its numbers, when they are no probabilities.
        if complete:
            with pytest.raises(ValueError, match="is not a probability"):
                unionbound.bounds(values, n, m)
        return
    result = quiet_bounds(values, n, m)

    # The program takes missing numbers as 0, as read_probabilities does.
    assert mask_running_times(result.report) == expected(
        case, "expected_result.txt")
    assert mask_running_times(result.summary) in expected(
        case, "expected_stdout.txt")

    doc = run_program(program, case, n, m, tmp_path)
    assert [p["l"] for p in doc["passes"]] == list(result.l)
    # Shortest round-trip decimals: equal doubles, bit for bit.
    assert [p["lower"]["value"] for p in doc["passes"]] == list(
        result.lower_per_l)
    assert [p["upper"]["value"] for p in doc["passes"]] == list(
        result.upper_per_l)
    assert doc["lower"]["value"] == result.lower
    assert doc["lower"]["l"] == result.lower_l
    assert doc["upper"]["value"] == result.upper
    assert doc["upper"]["l"] == result.upper_l

    if complete:
        assert result.trustworthy == (doc["status"] == 0)
        # Each message of the module is one of the program's.
        program_lines = expected(case, "expected_stderr.txt").splitlines()
        assert list(result.messages) == [
            line for line in program_lines if "not read;" not in line]


@pytest.mark.parametrize("case", golden_cases())
def test_short_numbers_are_refused_with_the_count(case):
    n, m = sizes_of(case)
    if int(expected(case, "expected_status.txt")) == 1:
        pytest.skip("sizes the program refuses")
    values, complete = complete_values(case, n, m)
    if complete:
        return
    count = unionbound._core.probability_count(n, m)
    with pytest.raises(ValueError,
                       match=f"^unionbound: prob.txt: expected {count} "
                             f"numbers, got {count - 1}$"):
        unionbound.bounds(values[:-1], n, m, name="prob.txt")


def test_refused_sizes_raise_the_programs_message():
    refusal = expected("no_pass_5_3", "expected_stderr.txt").strip()
    with pytest.raises(ValueError) as error:
        unionbound.bounds(np.zeros(25), 5, 3)
    assert str(error.value) == refusal
    for n, m, message in [
        (7, 2, "unionbound: m must be an odd number (got 2); even orders do "
               "not give valid bounds"),
        (1, 1, "unionbound: n must be at least 2 for any bound (got 1)"),
        (7, 0, "unionbound: m must be at least 1 (got 0)"),
    ]:
        with pytest.raises(ValueError) as error:
            unionbound.bounds(np.zeros(200), n, m)
        assert str(error.value) == message


def test_numbers_that_are_no_probabilities_give_no_bounds():
    p = unionbound.intersection_probabilities(
        np.random.default_rng(3).random((400, 7)) < 0.3, 3)
    with pytest.raises(ValueError, match=r"are they percentages\?"):
        unionbound.bounds(p * 100, 7, 3)
    for bad in (np.nan, np.inf, -0.25, 1.5):
        q = p.copy()
        q[4] = bad
        with pytest.raises(ValueError,
                           match=r"^unionbound: p: number 5: P\{5\} = "):
            unionbound.bounds(q, 7, 3)


def test_data_problems_warn_and_mark_the_result_untrustworthy():
    p = unionbound.intersection_probabilities(
        np.random.default_rng(3).random((400, 7)) < 0.3, 3)
    p[7] = 0.95  # P{1,2} above P{1}
    with pytest.warns(unionbound.DataWarning) as record:
        result = unionbound.bounds(p, 7, 3)
    texts = [str(w.message) for w in record]
    assert texts[0].startswith("unionbound: p: no events have these "
                               "probabilities")
    assert any("number 8: P{1,2} = 0.95 exceeds P{1}" in t for t in texts)
    assert not result.trustworthy
    assert result.messages == tuple(texts)


def test_numbers_beyond_the_count_are_left_out_with_the_programs_warning():
    p = unionbound.intersection_probabilities(
        np.random.default_rng(4).random((300, 6)) < 0.2, 1)
    with pytest.warns(unionbound.DataWarning,
                      match="2 entries after the 6 numbers that n=6, m=1"):
        longer = unionbound.bounds(np.append(p, [0.5, 0.5]), 6, 1)
    assert mask_running_times(longer.report) == mask_running_times(
        unionbound.bounds(p, 6, 1).report)
    assert longer.trustworthy


def test_sound_data_give_ordered_bounds_around_the_truth():
    sample = np.random.default_rng(5).random((2000, 10)) < 0.15
    result = unionbound.bounds(
        unionbound.intersection_probabilities(sample, 3), 10, 3)
    truth = sample.any(axis=1).mean()
    assert result.trustworthy and result.messages == ()
    assert list(result.l) == list(range(3, 8))
    assert result.lower == max(result.lower_per_l)
    assert result.upper == min(result.upper_per_l)
    assert result.lower <= truth + 1e-12 and truth <= result.upper + 1e-12


def test_rare_events_keep_their_digits_and_stay_trustworthy():
    # Twenty independent tests at p = 2.5e-9 with m = 3: the union is
    # 1 - (1 - p)^20 to 1e-16; a double evaluation
    # that loses digits puts the lower bound above the upper one.
    from itertools import combinations
    from math import expm1, log1p
    n, m, p = 20, 3, 2.5e-9
    values = [p ** k for k in range(1, m + 1) for _ in combinations(range(n), k)]
    union = -expm1(n * log1p(-p))
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        result = unionbound.bounds(values, n, m)
    assert result.trustworthy
    assert result.lower <= result.upper * (1 + 1e-12)
    assert abs(result.lower - union) < 1e-9 * union
    assert abs(result.upper - union) < 1e-9 * union
    assert any("rescaled moments" in str(w.message) for w in caught)
