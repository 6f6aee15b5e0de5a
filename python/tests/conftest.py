"""Shared fixtures: the unionbound program and the golden cases of the C++
tests, found through the environment that the CTest case sets."""

import os
import pathlib

import pytest

SOURCE_DIR = pathlib.Path(
    os.environ.get("UNIONBOUND_SOURCE_DIR",
                   pathlib.Path(__file__).resolve().parents[2]))
GOLDEN_DIR = SOURCE_DIR / "tests" / "golden"


@pytest.fixture
def program():
    binary = os.environ.get("UNIONBOUND_BINARY")
    if not binary or not os.access(binary, os.X_OK):
        pytest.skip("UNIONBOUND_BINARY does not name the unionbound program")
    return binary
