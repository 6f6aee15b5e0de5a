"""intersection_probabilities counts a sample in the order of the
probability file; read_prob and write_prob move numbers through files
unchanged."""

import itertools
import math

import numpy as np
import pytest

import unionbound


def file_order(n, m):
    """Subsets of sizes 1 .. m of events 0 .. n-1: by size, then
    lexicographically."""
    for size in range(1, min(m, n) + 1):
        yield from itertools.combinations(range(n), size)


def direct_count(table, m, weights=None):
    rows = table.shape[0]
    p = []
    for subset in file_order(table.shape[1], m):
        hits = table[:, list(subset)].all(axis=1)
        if weights is None:
            p.append(int(hits.sum()) / rows)
        else:
            # Added in row order, as the module adds them.
            total = sum(float(w) for w in weights)
            p.append(sum(float(w) for w, h in zip(weights, hits) if h) / total)
    return p


@pytest.mark.parametrize("rows, n, m, seed", [
    (1, 3, 3, 0), (63, 5, 2, 1), (64, 6, 3, 2), (65, 7, 5, 3),
    (500, 9, 3, 4), (130, 4, 7, 5),
])
def test_counts_equal_a_direct_count(rows, n, m, seed):
    rng = np.random.default_rng(seed)
    table = rng.random((rows, n)) < rng.uniform(0.1, 0.9)
    p = unionbound.intersection_probabilities(table, m)
    assert list(p) == direct_count(table, m)
    weights = rng.random(rows) * 3
    weights[::4] = 0.0
    if weights.sum() > 0:
        assert list(unionbound.intersection_probabilities(
            table.astype(int), m, weights)) == direct_count(table, m, weights)


def test_the_order_is_sizes_then_lexicographic():
    # Row r has events r and r+1 (of 5); an intersection of events E has
    # probability (rows containing E) / 5, which names E.
    table = np.zeros((4, 5), dtype=np.uint8)
    for r in range(4):
        table[r, r] = table[r, r + 1] = 1
    p = unionbound.intersection_probabilities(table, 3)
    assert len(p) == 5 + 10 + 10
    assert list(p[:5]) == [1 / 4, 2 / 4, 2 / 4, 2 / 4, 1 / 4]
    pairs = list(itertools.combinations(range(5), 2))
    assert pairs[:4] == [(0, 1), (0, 2), (0, 3), (0, 4)]
    assert list(p[5:15]) == [0.25 if b == a + 1 else 0.0 for a, b in pairs]
    assert list(p[15:]) == [0.0] * 10


def test_sizes_above_n_contribute_nothing():
    table = np.ones((3, 3), dtype=bool)
    assert len(unionbound.intersection_probabilities(table, 5)) == 7


@pytest.mark.parametrize("data, m, weights, message", [
    (np.zeros(4), 1, None, "two-dimensional"),
    (np.full((3, 2), 2), 1, None, "only 0 and 1"),
    (np.zeros((3, 2)), 0, None, "at least 1"),
    (np.zeros((3, 2)), 1, [1.0, 1.0], "one number per row"),
    (np.zeros((3, 2)), 1, [1.0, -1.0, 1.0], "nonnegative"),
    (np.zeros((3, 2)), 1, [0.0, 0.0, 0.0], "not all 0"),
    (np.zeros((0, 2)), 1, None, "at least one row"),
    # A total beyond the largest double is the weights' fault, not the
    # sizes'; sizes beyond the counts say which limit they cross.
    (np.zeros((3, 2)), 1, [1e308, 1e308, 1e308], "add up to more than"),
    (np.zeros((1, 70000)), 3, None, r"too many: .*C\(n, k\)"),
])
def test_bad_tables_are_refused(data, m, weights, message):
    with pytest.raises(ValueError, match=message):
        unionbound.intersection_probabilities(data, m, weights)


def test_written_numbers_read_back_as_the_same_doubles(tmp_path):
    rng = np.random.default_rng(7)
    p = np.concatenate([rng.random(85), [0.1, 1 / 3, 5e-324, 1.0, 0.0,
                                         math.nextafter(0.3, 1), 2 / 7]])
    path = tmp_path / "prob.txt"
    unionbound.write_prob(path, p)
    back = unionbound.read_prob(path, 8, 3)
    assert back.tobytes() == p.tobytes()


def test_read_prob_refuses_short_files_and_bad_sizes(tmp_path):
    path = tmp_path / "prob.txt"
    unionbound.write_prob(path, [0.1] * 10)
    with pytest.raises(ValueError, match="need 92 numbers, but the input ends "
                                         "after 10"):
        unionbound.read_prob(path, 8, 3)
    with pytest.raises(ValueError, match="m must be an odd number"):
        unionbound.read_prob(path, 8, 2)
    with pytest.raises(ValueError, match="cannot be opened"):
        unionbound.read_prob(tmp_path / "missing.txt", 8, 3)
