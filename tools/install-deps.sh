#!/usr/bin/env bash
# Makes sure the Debian packages of the build are installed: GoogleTest for
# the tests, and for the companion unionbound-sharp the CLP linear-programming
# solver and GMP with its C++ interface (found through pkg-config). Installs
# what is missing when running as root. Otherwise it says what is missing and
# how to get it, and exits with status 0: the build goes on, without
# unionbound-sharp when CLP or GMP is missing (unionbound needs neither).
set -u

test_packages=(libgtest-dev)
sharp_packages=(coinor-libclp-dev libgmp-dev pkg-config)

missing_of() {
  local pkg
  for pkg in "$@"; do
    if ! dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed'; then
      echo "$pkg"
    fi
  done
}

if ! command -v dpkg >/dev/null 2>&1; then
  exit 0  # not a Debian system: CMake finds what is there
fi
mapfile -t missing_tests < <(missing_of "${test_packages[@]}")
mapfile -t missing_sharp < <(missing_of "${sharp_packages[@]}")
missing=("${missing_tests[@]}" "${missing_sharp[@]}")
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  if { apt-get update -qq && apt-get install -y -qq "${missing[@]}"; } >&2; then
    exit 0
  fi
  echo "Installing failed." >&2
fi

if [ ${#missing_tests[@]} -ne 0 ]; then
  echo "The tests need: apt-get install -y ${missing_tests[*]}" \
    "(or configure with -DUNIONBOUND_TESTS=OFF)" >&2
fi
if [ ${#missing_sharp[@]} -ne 0 ]; then
  echo "Building without unionbound-sharp; to build it:" \
    "apt-get install -y ${missing_sharp[*]}" >&2
fi
exit 0
