#!/usr/bin/env python3
"""Writes prob.txt for the bundled example: a number drawn uniformly from
1 .. 1000, and twelve events A_i = "the number is divisible by the i-th
prime" (2, 3, 5, ..., 37).

The probability of an intersection is the count of multiples of the product
of its primes, divided by 1000; every value is an exact decimal. The file
lists the intersections of 1 .. M events by size and, within a size, in
lexicographic order of the event numbers.

Usage: make_prob.py [M]   (default 3; writes prob.txt, prints the union)
"""
import itertools
import sys
from fractions import Fraction
from math import prod

OUTCOMES = 1000
PRIMES = [2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37]


def intersection(events):
    return Fraction(OUTCOMES // prod(PRIMES[e] for e in events), OUTCOMES)


def union():
    hit = sum(1 for x in range(1, OUTCOMES + 1)
              if any(x % p == 0 for p in PRIMES))
    return Fraction(hit, OUTCOMES)


def main():
    m = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    n = len(PRIMES)
    lines = []
    for size in range(1, m + 1):
        for events in itertools.combinations(range(n), size):
            value = intersection(events)
            lines.append(f"{value.numerator / value.denominator:.3f}")
    with open("prob.txt", "w") as out:
        out.write("\n".join(lines) + "\n")
    u = union()
    print(f"n={n}, m={m}: {len(lines)} probabilities; union = {u} = {float(u)}")


if __name__ == "__main__":
    main()
