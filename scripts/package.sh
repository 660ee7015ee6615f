#!/usr/bin/env bash
# Builds the Windows client in Release and writes what is handed to players:
#   dist/velmora-VERSION-win32.zip   the portable folder
#   dist/velmora-VERSION-setup.exe   the per-user installer (NSIS, LZMA)
#   dist/FEED                        the update feed, when signed and the
#                                    feed's address is set (FEED is the last
#                                    part of that address)
#
# Signing (Authenticode, osslsigncode) of velmora.exe, the uninstaller and
# the installer, when both of these are set:
#   VELMORA_SIGN_CERT           the code-signing certificate (PEM or DER) with
#                               its chain
#   VELMORA_SIGN_KEY            its private key (PEM or DER)
#   VELMORA_SIGN_PASSWORD       the key's password, if it has one
#   VELMORA_SIGN_TIMESTAMP_URL  an RFC 3161 timestamp server; none if unset
# Other settings:
#   VELMORA_VERSION    build this version instead of CMakeLists.txt's
#   VELMORA_UPDATE_FEED       the update feed's address compiled into the
#                             client (https; empty turns updates off; unset:
#                             the build's default, the demo site's)
#   VELMORA_UPDATE_BASE_URL   where the installer is published (default: the
#                             feed's folder)
#   VELMORA_LOCALES    CEF locales to ship ("zh-CN en-US": the client asks
#                      for zh-CN; en-US is CEF's fallback)
#   VELMORA_BUILD_DIR  the Windows build tree (build/win)
#   VELMORA_DIST_DIR   where the packages go (dist)
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${VELMORA_BUILD_DIR:-$repo/build/win}")"
dist="$(realpath -m "${VELMORA_DIST_DIR:-$repo/dist}")"
jobs="${VELMORA_JOBS:-2}"

if [ -n "${VELMORA_SIGN_CERT:-}" ] && [ -n "${VELMORA_SIGN_KEY:-}" ]; then
  export VELMORA_SIGNING=1
elif [ -n "${VELMORA_SIGN_CERT:-}${VELMORA_SIGN_KEY:-}" ]; then
  echo "package: signing needs both VELMORA_SIGN_CERT and VELMORA_SIGN_KEY" >&2
  exit 1
else
  export VELMORA_SIGNING=0
  echo "package: VELMORA_SIGN_CERT and VELMORA_SIGN_KEY are not set; the packages stay unsigned"
fi

"$repo/scripts/setup.sh"
bash "$repo/scripts/setup.d/cef-runtime.sh"
bash "$repo/scripts/setup.d/packaging.sh"

version_arg=(-UVELMORA_VERSION)
[ -n "${VELMORA_VERSION:-}" ] && version_arg=("-DVELMORA_VERSION=$VELMORA_VERSION")
feed_arg=(-UVELMORA_UPDATE_FEED)
[ -n "${VELMORA_UPDATE_FEED+set}" ] && feed_arg=("-DVELMORA_UPDATE_FEED=$VELMORA_UPDATE_FEED")
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-i686.cmake" "${version_arg[@]}" "${feed_arg[@]}" >/dev/null
cmake --build "$build" --target velmora -j"$jobs"

version="$(sed -n 's/^!define VERSION "\(.*\)"$/\1/p' "$build/product.nsh")"
[ -n "$version" ] || { echo "package: no version in $build/product.nsh" >&2; exit 1; }
name="velmora-$version-win32"
work="$build/package"
stage="$work/$name"
zip_out="$dist/$name.zip"
setup_out="$dist/velmora-$version-setup.exe"
rm -rf "$work"
mkdir -p "$stage" "$dist"

sign() { "$repo/installer/sign.sh" "$1"; }

# What the client needs at run time, and nothing else: no test programs,
# tools, logs or cache. d3dcompiler_47 serves Windows 7 and later.
bin="$build/bin"
runtime=(libcef.dll cef.pak cef_100_percent.pak cef_200_percent.pak cef_extensions.pak
         devtools_resources.pak icudtl.dat natives_blob.bin snapshot_blob.bin
         d3dcompiler_47.dll libEGL.dll libGLESv2.dll)
for locale in ${VELMORA_LOCALES:-zh-CN en-US}; do runtime+=("locales/$locale.pak"); done
i686-w64-mingw32-strip -o "$stage/velmora.exe" "$bin/velmora.exe"
sign "$stage/velmora.exe"
mkdir -p "$stage/skin" "$stage/locales"
cp "$bin"/skin/*.xml "$stage/skin/"
for f in "${runtime[@]}"; do cp "$bin/$f" "$stage/$f"; done

rm -f "$zip_out"
(cd "$work" && zip -q -r -9 -X "$zip_out" "$name")

# The installer's file lists come from the staged folder, so the installer
# and the uninstaller name the same files as the zip. The installer unpacks
# into ${NEW_FILES} and then moves each file into place, velmora.exe last.
files=()
while read -r f; do files+=("${f#./}"); done < <(cd "$stage" && find . -type f | sort)
win() { local p="$1"; echo "${p//\//\\}"; }
{
  (cd "$stage" && find . -type d | sort) | while read -r d; do
    rel="${d#.}"; echo "SetOutPath \"\$INSTDIR\\\${NEW_FILES}${rel//\//\\}\""
    find "$stage$rel" -maxdepth 1 -type f | sort | while read -r f; do echo "File \"$f\""; done
  done
} > "$work/files.nsh"
{
  for f in "${files[@]}"; do [ "$f" = velmora.exe ] || echo "!insertmacro PLACE_FILE \"$(win "$f")\""; done
  echo '!insertmacro PLACE_FILE "${UNINSTALLER}"'
  echo '!insertmacro PLACE_FILE "velmora.exe"'
} > "$work/place.nsh"
{
  echo '; $R2 (a path below the install folder) -> $R3: 1 when this version ships it'
  echo 'Function IsShipped'
  echo '  StrCpy $R3 1'
  for f in "${files[@]}"; do echo "  StrCmp \$R2 \"$(win "$f")\" shipped"; done
  echo '  StrCpy $R3 0'
  echo '  shipped:'
  echo 'FunctionEnd'
  echo '!macro WRITE_FILE_LIST'
  for f in "${files[@]}"; do echo "  WriteRegStr HKCU \"\${FILES_KEY}\" \"$(win "$f")\" \"\""; done
  echo '!macroend'
} > "$work/shipped.nsh"
{
  for f in "${files[@]}"; do echo "Delete \"\$INSTDIR\\$(win "$f")\""; done
  (cd "$stage" && find . -mindepth 1 -type d | sort -r) | while read -r d; do
    rel="${d#./}"; echo "RMDir \"\$INSTDIR\\${rel//\//\\}\""
  done
} > "$work/remove.nsh"

export VELMORA_UNINSTALLER_COPY="$work/uninstall.exe"
makensis -V2 -NOCD \
  "-DPRODUCT_NSH=$build/product.nsh" "-DFILES_NSH=$work/files.nsh" "-DREMOVE_NSH=$work/remove.nsh" \
  "-DPLACE_NSH=$work/place.nsh" "-DSHIPPED_NSH=$work/shipped.nsh" \
  "-DOUTFILE=$setup_out" "-DFINALIZE_UNINST=\"$repo/installer/finalize-uninstaller.sh\" \"%1\"" \
  "$repo/installer/velmora.nsi"
sign "$setup_out"

# The update feed (README, "Updates"): written after signing, so that its
# size and hash are those of the file players download. Only signed
# packages can update a client.
feed_url="$(sed -n 's/^VELMORA_UPDATE_FEED:STRING=//p' "$build/CMakeCache.txt")"
feed_out=""
if [ -z "$feed_url" ]; then
  echo "package: no update feed: VELMORA_UPDATE_FEED is empty, updates are off"
elif [ "$VELMORA_SIGNING" != 1 ]; then
  echo "package: no update feed: only signed packages update a client"
else
  feed_name="${feed_url%%[?#]*}"; feed_name="${feed_name##*/}"
  base="${VELMORA_UPDATE_BASE_URL:-${feed_url%%[?#]*}}"
  [ -n "${VELMORA_UPDATE_BASE_URL:-}" ] || base="${base%/*}"
  installer_url="${base%/}/$(basename "$setup_out")"
  feed_out="$dist/${feed_name:-velmora-update.txt}"
  {
    echo "# Update feed for $(basename "$setup_out"), written by scripts/package.sh"
    echo "version=$version"
    echo "url=$installer_url"
    echo "size=$(stat -c %s "$setup_out")"
    echo "sha256=$(sha256sum "$setup_out" | cut -d' ' -f1)"
  } > "$feed_out"
fi

installed=$(( $(du -sb "$stage" | cut -f1) + $(stat -c %s "$work/uninstall.exe") ))
mib() { awk -v b="$1" 'BEGIN { printf "%.1f MiB", b / 1048576 }'; }
echo "package: $zip_out: $(mib "$(stat -c %s "$zip_out")")"
echo "package: $setup_out: $(mib "$(stat -c %s "$setup_out")")"
echo "package: installed folder: $(mib "$installed") ($installed bytes)"
[ -z "$feed_out" ] || echo "package: $feed_out: the update feed; publish it at $feed_url and the installer at $installer_url"
