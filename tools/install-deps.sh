#!/usr/bin/env bash
# Makes sure everything `make run` and `make test` need is there: a C++20
# compiler, CMake, make and pkg-config; the header-only CLI11 and
# nlohmann-json of unionbound; GoogleTest for the tests; and for the
# companion unionbound-sharp GMP with its C++ interface; for the optional
# Python module pybind11, the Python headers, numpy, and pytest, matplotlib,
# jsonschema (the JSON document checked against its schema),
# setuptools, venv and pip for its tests and its install. An optimised BLAS
# (OpenBLAS) is optional: the simplex method behind the companion's full
# program factors its bases with the system's BLAS, and the reference one
# makes it markedly slower.
#
# Every piece is probed the way the build finds it (the command on PATH,
# pkg-config, CMake's find_package), so whatever put it there counts. When
# something is missing and this runs as root on Debian or Ubuntu, it is
# installed with apt-get; otherwise the one apt-get line is printed. Exits 1
# only when unionbound itself cannot be built; without the tests', the
# companion's or the Python module's packages the build goes on without them.
set -u

probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT

have_command() { command -v "$1" >/dev/null 2>&1; }

have_compiler() {
  local cxx
  for cxx in "${CXX:-}" c++ g++ clang++; do
    [ -n "$cxx" ] && have_command "$cxx" && return 0
  done
  return 1
}

# CMake 3.25 or newer.
have_cmake() {
  have_command cmake || return 1
  local version
  version=$(cmake --version | sed -n 's/^cmake version \([0-9]*\.[0-9]*\).*/\1/p')
  [ -n "$version" ] || return 1
  [ "$(printf '%s\n' 3.25 "$version" | sort -V | head -n1)" = 3.25 ]
}

have_pkg_config_module() {
  have_command pkg-config && pkg-config --exists "$1"
}

# The CMake packages the build asks for, found by a configure run of an
# empty project: one line per package CMake cannot find.
cmake_packages_missing() {
  have_cmake || { printf '%s\n' "$@"; return; }
  {
    echo 'cmake_minimum_required(VERSION 3.25)'
    echo 'project(probe LANGUAGES NONE)'
    local package
    for package in "$@"; do
      echo "find_package($package QUIET CONFIG)"
      echo "if(NOT ${package}_FOUND)"
      echo "  file(APPEND \${CMAKE_BINARY_DIR}/missing \"$package\\n\")"
      echo 'endif()'
    done
  } >"$probe_dir/CMakeLists.txt"
  if cmake -S "$probe_dir" -B "$probe_dir/build" >/dev/null 2>&1; then
    cat "$probe_dir/build/missing" 2>/dev/null
  else
    printf '%s\n' "$@"
  fi
}

cmake_missing=$(cmake_packages_missing CLI11 nlohmann_json GTest)
cmake_finds() { ! grep -qx "$1" <<<"$cmake_missing"; }

have_cli11() { cmake_finds CLI11 || have_pkg_config_module CLI11; }
have_json() { cmake_finds nlohmann_json || have_pkg_config_module nlohmann_json; }
have_gtest() { cmake_finds GTest || have_pkg_config_module gtest; }

missing_core=()   # unionbound itself
missing_tests=()  # the tests
missing_sharp=()  # unionbound-sharp
have_compiler || missing_core+=(g++)
have_cmake || missing_core+=(cmake)
have_command make || missing_core+=(make)
have_cli11 || missing_core+=(libcli11-dev)
have_json || missing_core+=(nlohmann-json3-dev)
have_gtest || missing_tests+=(libgtest-dev)
have_command pkg-config || missing_sharp+=(pkg-config)
have_pkg_config_module gmpxx || missing_sharp+=(libgmp-dev)
have_pkg_config_module clp || missing_sharp+=(coinor-libclp-dev)
have_optimised_blas() {
  have_command ldconfig && ldconfig -p 2>/dev/null | grep -q 'libopenblas\.so'
}
missing_speed=()  # only faster
have_optimised_blas || missing_speed+=(libopenblas0-serial)

# The Python module: the interpreter the build picks (the first python3 that
# imports pybind11, else the system's), probed module by module.
python_for_module() {
  local candidate
  for candidate in python3 /usr/bin/python3; do
    have_command "$candidate" &&
      "$candidate" -c 'import pybind11' >/dev/null 2>&1 &&
      { echo "$candidate"; return; }
  done
  if [ -x /usr/bin/python3 ]; then echo /usr/bin/python3; else echo python3; fi
}
python=$(python_for_module)
python_imports() { have_command "$python" && "$python" -c "import $1" >/dev/null 2>&1; }
have_python_headers() {
  python_imports sysconfig && "$python" -c 'import os, sysconfig
raise SystemExit(not os.path.exists(os.path.join(sysconfig.get_paths()["include"], "Python.h")))' \
    >/dev/null 2>&1
}
missing_python=()  # the Python module, its tests and its install
python_imports pybind11 || missing_python+=(python3-pybind11 pybind11-dev)
have_python_headers || missing_python+=(python3-dev)
python_imports numpy || missing_python+=(python3-numpy)
python_imports pytest || missing_python+=(python3-pytest)
python_imports matplotlib || missing_python+=(python3-matplotlib)
python_imports jsonschema || missing_python+=(python3-jsonschema)
python_imports setuptools || missing_python+=(python3-setuptools)
python_imports ensurepip || missing_python+=(python3-venv)
python_imports pip || missing_python+=(python3-pip)

missing=("${missing_core[@]}" "${missing_tests[@]}" "${missing_sharp[@]}"
         "${missing_python[@]}")
can_install() { [ "$(id -u)" -eq 0 ] && have_command apt-get; }
# Apart from the rest, so that its failure costs nothing else.
if [ ${#missing_speed[@]} -ne 0 ]; then
  if can_install; then
    echo "Installing ${missing_speed[*]} (optional, faster)" >&2
    { apt-get update -qq &&
      DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        "${missing_speed[@]}"; } >&2 ||
      echo "Installing ${missing_speed[*]} failed; going on without it." >&2
  else
    echo "Optional, for a faster full program in unionbound-sharp:" \
      "sudo apt-get install -y ${missing_speed[*]}" >&2
  fi
fi
[ ${#missing[@]} -eq 0 ] && exit 0

if can_install; then
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  if { apt-get update -qq && apt-get install -y -qq "${missing[@]}"; } >&2; then
    exit 0
  fi
  echo "Installing failed." >&2
fi

if have_command apt-get; then
  echo "Missing packages; to install them: sudo apt-get install -y ${missing[*]}" >&2
else
  echo "Missing (Debian package names): ${missing[*]}; install them with" \
    "this system's package manager." >&2
fi
if [ ${#missing_tests[@]} -ne 0 ]; then
  echo "Without GoogleTest configure with -DUNIONBOUND_TESTS=OFF." >&2
fi
if [ ${#missing_sharp[@]} -ne 0 ]; then
  echo "Without GMP the build leaves out unionbound-sharp." >&2
fi
if [ ${#missing_python[@]} -ne 0 ]; then
  echo "Without pybind11, Python headers or pytest the build leaves out" \
    "the Python module or its tests." >&2
fi
if [ ${#missing_core[@]} -ne 0 ]; then
  echo "unionbound alone needs only a C++20 compiler, CMake 3.25, make," \
    "CLI11 and nlohmann-json (apt-get install -y" \
    "g++ cmake make libcli11-dev nlohmann-json3-dev), then:" >&2
  echo "  cmake -S . -B build/release -DUNIONBOUND_TESTS=OFF" \
    "-DUNIONBOUND_SHARP=OFF && cmake --build build/release --target unionbound" >&2
  exit 1
fi
exit 0
