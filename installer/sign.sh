#!/usr/bin/env bash
# Signs one Windows executable in place with Authenticode (osslsigncode),
# from the settings scripts/package.sh documents; does nothing when
# VELMORA_SIGNING is not 1.
#   installer/sign.sh FILE [NAME]
set -euo pipefail
file="$1"
name="${2:-$(basename "$file")}"
[ "${VELMORA_SIGNING:-0}" = 1 ] || exit 0

args=(sign -certs "$VELMORA_SIGN_CERT" -key "$VELMORA_SIGN_KEY" -h sha256
      -n "Velmora" -in "$file" -out "$file.signed")
[ -n "${VELMORA_SIGN_PASSWORD:-}" ] && args+=(-pass "$VELMORA_SIGN_PASSWORD")
[ -n "${VELMORA_SIGN_TIMESTAMP_URL:-}" ] && args+=(-ts "$VELMORA_SIGN_TIMESTAMP_URL")
rm -f "$file.signed"
osslsigncode "${args[@]}" >/dev/null
mv -f "$file.signed" "$file"
echo "package: signed $name"
