#!/usr/bin/env bash
# Fetches the CEF 3.2623 x86 runtime (libcef.dll and its resources) into the
# cache. It comes inside the win32 wheel of cefpython3 49.0; only CEF's own
# files are unpacked, nothing of the Python binding.
set -euo pipefail
cache="${VELMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora}/cef"
runtime="$cache/runtime"
wheel="$cache/cefpython3-49.0-py2.py3-none-win32.whl"

[ -f "$runtime/.complete" ] && exit 0
mkdir -p "$cache"
if [ ! -f "$wheel" ]; then
  python3 -m pip download cefpython3==49.0 --only-binary=:all: --no-deps \
    --platform win32 --python-version 27 --implementation cp --abi cp27m \
    -d "$cache" >/dev/null
fi

rm -rf "$runtime.tmp"
python3 - "$wheel" "$runtime.tmp" <<'PY'
import os, sys, zipfile
wheel, dest = sys.argv[1], sys.argv[2]
own = {"libcef.dll", "cef.pak", "cef_100_percent.pak", "cef_200_percent.pak",
       "cef_extensions.pak", "devtools_resources.pak", "icudtl.dat", "natives_blob.bin",
       "snapshot_blob.bin", "d3dcompiler_43.dll", "d3dcompiler_47.dll", "libEGL.dll",
       "libGLESv2.dll"}
with zipfile.ZipFile(wheel) as z:
    for name in z.namelist():
        rel = name[len("cefpython3/"):] if name.startswith("cefpython3/") else None
        if rel is None:
            continue
        if rel in own or (rel.startswith("locales/") and rel.endswith(".pak")):
            target = os.path.join(dest, *rel.split("/"))
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with z.open(name) as src, open(target, "wb") as out:
                out.write(src.read())
PY
[ -f "$runtime.tmp/libcef.dll" ] || { echo "cef-runtime: libcef.dll missing from the wheel" >&2; exit 1; }
touch "$runtime.tmp/.complete"
rm -rf "$runtime"; mv "$runtime.tmp" "$runtime"
echo "cef-runtime: unpacked into $runtime" >&2
