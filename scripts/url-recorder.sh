#!/usr/bin/env bash
# Stands in for the system web browser during tests and demo runs: Wine's
# winebrowser hands it each URL that the client opens outside, and it only
# appends the URL to the log, so nothing else opens.
log="${VELMORA_URL_LOG:-${VELMORA_CACHE:-$HOME/.cache/velmora}/opened-urls.log}"
printf '%s\n' "$*" >> "$log"
