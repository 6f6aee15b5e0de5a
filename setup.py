"""Builds the Python module unionbound from the C++ sources, offline, with
Debian's packaged setuptools and pybind11 (in a virtual environment made
with --system-site-packages, which sees them):

    pip install --no-build-isolation .

The compiled part is the library that the programs use, built with the
flags that keep every printed number's operation sequence: C++20 without
extensions and without fused multiply-add. When pkg-config finds GMP's C++
interface and CLP, the companion unionbound-sharp joins it and
unionbound.sharp() works; UNIONBOUND_SHARP=OFF in the environment leaves it
out."""

import os
import pathlib
import re
import shutil
import subprocess
import sys

try:
    from pybind11.setup_helpers import ParallelCompile, Pybind11Extension
except ModuleNotFoundError:
    sys.exit("unionbound: building the Python module needs pybind11, which "
             f"{sys.executable} cannot import: apt-get install "
             "python3-pybind11 and make the virtual environment with "
             "--system-site-packages (or pip install pybind11 when online)")
from setuptools import setup

ROOT = pathlib.Path(__file__).resolve().parent
LIBRARY_FOLDERS = ["numeric", "problem", "bounds", "optim", "input", "cli",
                   "driver", "api"]


def project_version():
    """The version from the project line of CMakeLists.txt, its one home."""
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(unionbound VERSION ([0-9.]+)", text).group(1)


def generated_include_dir(version):
    """cli/version.h, written from its template as CMake writes it."""
    folder = ROOT / "build" / "python-setup" / "generated"
    (folder / "cli").mkdir(parents=True, exist_ok=True)
    template = (ROOT / "src" / "cli" / "version.h.in").read_text()
    header = folder / "cli" / "version.h"
    text = template.replace("@PROJECT_VERSION@", version)
    if not header.exists() or header.read_text() != text:
        header.write_text(text)
    return folder


def library_sources():
    sources = []
    for folder in LIBRARY_FOLDERS:
        for path in sorted((ROOT / "src" / folder).glob("*.cc")):
            if path.name != "main.cc":
                sources.append(str(path.relative_to(ROOT)))
    return sources


def sharp_flags():
    """(include dirs, link arguments) of GMP and CLP from pkg-config, or None
    when they are not found or the companion is switched off."""
    if os.environ.get("UNIONBOUND_SHARP", "AUTO").upper() == "OFF":
        return None
    if shutil.which("pkg-config") is None:
        return None
    found = {}
    for what in ("--cflags", "--libs"):
        run = subprocess.run(["pkg-config", what, "gmpxx", "clp"],
                             capture_output=True, text=True, check=False)
        if run.returncode != 0:
            return None
        found[what] = run.stdout.split()
    includes = [f[2:] for f in found["--cflags"] if f.startswith("-I")]
    return includes, found["--libs"] + ["-pthread"]


def sharp_sources():
    return [str(p.relative_to(ROOT))
            for p in sorted((ROOT / "src" / "sharp").rglob("*.cc"))
            if p.name != "main.cc"]


VERSION = project_version()
ParallelCompile("UNIONBOUND_BUILD_JOBS", default=2).install()

SHARP = sharp_flags()
core = Pybind11Extension(
    "unionbound._core",
    ["python/_core.cc"] + library_sources() +
    (sharp_sources() if SHARP else []),
    include_dirs=[str(ROOT / "include"), str(ROOT / "src"),
                  str(generated_include_dir(VERSION))] +
    (SHARP[0] if SHARP else []),
    define_macros=[("UNIONBOUND_HAS_SHARP", None)] if SHARP else [],
    cxx_std=20,
    extra_compile_args=["-O3", "-ffp-contract=off"] +
    (["-pthread"] if SHARP else []),
    extra_link_args=SHARP[1] if SHARP else [],
)

setup(
    name="unionbound",
    version=VERSION,
    description="Bounds on the probability of a union of events from "
                "intersection probabilities",
    packages=["unionbound"],
    package_dir={"": "python"},
    ext_modules=[core],
    install_requires=["numpy"],
    extras_require={"plot": ["matplotlib"]},
    python_requires=">=3.9",
    zip_safe=False,
)
