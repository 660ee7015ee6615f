#!/usr/bin/env bash
# Audio tests: Wine's ALSA driver needs the 32-bit ALSA library. The tests
# bring their own ALSA configuration (tests/audio/alsa-*.conf, through
# ALSA_CONFIG_PATH): one null playback device, or none. The null PCM is
# built into alsa-lib, so no plugins are needed. Skips what is installed.
set -euo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
exec "$repo/scripts/setup.sh" libasound2:i386
