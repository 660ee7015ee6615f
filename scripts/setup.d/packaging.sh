#!/usr/bin/env bash
# Packaging: NSIS (makensis) for the installer, osslsigncode for Authenticode
# signing, and the readers the package tests use from outside: pefile for
# the executable's resources, LnkParse3 for the shortcuts. Skips what is
# installed.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
"$repo/scripts/setup.sh" nsis osslsigncode openssl zip unzip
if ! python3 -c 'import pefile, LnkParse3' 2>/dev/null; then
  echo "packaging: installing pefile and LnkParse3" >&2
  python3 -m pip install --quiet --disable-pip-version-check --root-user-action=ignore pefile==2024.8.26 LnkParse3==1.6.0
fi
