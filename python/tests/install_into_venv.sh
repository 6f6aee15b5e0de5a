#!/bin/sh
# Installs the Python module with pip, offline, from a clean copy of the
# sources (the files git tracks or would track) into a fresh virtual
# environment that sees the system's packages; then imports it outside the
# sources and computes bounds. Exit 77, which CTest counts as skipped, when
# the interpreter has no venv or pip.
#   install_into_venv.sh PYTHON SOURCE_DIR
set -eu
python=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! "$python" -c 'import numpy, pybind11, setuptools' >/dev/null 2>&1; then
  echo "install_into_venv: $python lacks numpy, pybind11 or setuptools; skipped"
  exit 77
fi
if ! "$python" -m venv --system-site-packages "$work/venv" >/dev/null 2>&1 ||
  ! "$work/venv/bin/python" -m pip --version >/dev/null 2>&1; then
  echo "install_into_venv: $python has no venv with pip; skipped"
  exit 77
fi

mkdir "$work/src"
if git -C "$source" rev-parse --git-dir >/dev/null 2>&1; then
  (cd "$source" && git ls-files -z -co --exclude-standard |
    tar --null -T - --ignore-failed-read -cf - 2>/dev/null) |
    tar -xf - -C "$work/src"
else
  cp -R "$source/." "$work/src"
  rm -rf "$work/src/build"
fi

# A plain virtual environment sees no pybind11: the install stops with one
# line that says how to get it, not a bare ModuleNotFoundError.
if "$python" -m venv "$work/plain" >/dev/null 2>&1 &&
  "$work/plain/bin/python" -c 'import setuptools' >/dev/null 2>&1 &&
  ! "$work/plain/bin/python" -c 'import pybind11' >/dev/null 2>&1; then
  if (cd "$work/src" &&
    "$work/plain/bin/python" -m pip install --no-build-isolation \
      --no-index . >"$work/plain.log" 2>&1); then
    echo "install_into_venv: installed without pybind11?"
    exit 1
  fi
  if ! grep -q "needs pybind11.*--system-site-packages" "$work/plain.log" ||
    grep -q "ModuleNotFoundError" "$work/plain.log"; then
    echo "install_into_venv: a missing pybind11 is not explained:"
    cat "$work/plain.log"
    exit 1
  fi
fi

(cd "$work/src" &&
  "$work/venv/bin/python" -m pip install --no-build-isolation --no-index \
    --quiet .)

cd "$work"
"$work/venv/bin/python" - "$work/venv" <<'PY'
import sys
import numpy as np
import unionbound

assert unionbound.__file__.startswith(sys.argv[1]), unionbound.__file__
sample = np.random.default_rng(2).random((500, 8)) < 0.25
result = unionbound.bounds(unionbound.intersection_probabilities(sample, 3),
                           8, 3)
truth = sample.any(axis=1).mean()
assert result.trustworthy
assert result.lower <= truth + 1e-12 <= result.upper + 2e-12, result
if unionbound.HAS_SHARP:
    sharp = unionbound.sharp(
        unionbound.intersection_probabilities(sample[:256], 3), 8, 3,
        kind="bivariate")
    assert sharp.lower <= sample[:256].any(axis=1).mean() <= sharp.upper
print(f"unionbound {unionbound.__version__} installed: "
      f"{result.lower:.6f} <= {truth:.6f} <= {result.upper:.6f}, "
      f"sharp bounds: {unionbound.HAS_SHARP}")
PY
