#!/usr/bin/env bash
# Makes sure the Debian packages that unionbound-sharp builds against are
# installed: GMP with its C++ interface, and pkg-config to find it.
# Installs them when missing and running as root; otherwise prints the exact
# command to run and exits with status 1. unionbound itself needs neither.
set -u

packages=(libgmp-dev pkg-config)
missing=()
for pkg in "${packages[@]}"; do
  if ! dpkg -s "$pkg" 2>/dev/null | grep -q '^Status: install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "unionbound-sharp needs these packages: ${missing[*]}" >&2
  echo "Run as root: apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "Installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
if ! { apt-get update -qq && apt-get install -y -qq "${missing[@]}"; } >&2; then
  echo "Installing failed. Run: apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
