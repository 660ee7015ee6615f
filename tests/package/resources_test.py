#!/usr/bin/env python3
"""velmora.exe's version resource and manifest, read back from the built
file with pefile, as Explorer's Properties dialog and the loader see them.
  resources_test.py VELMORA_EXE VERSION
"""
import sys
import xml.etree.ElementTree as ET

import pefile

from package_common import version_strings

EXE, VERSION = sys.argv[1], sys.argv[2]
RT_MANIFEST = pefile.RESOURCE_TYPE["RT_MANIFEST"]
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and later",
}

results = []


def check(name, ok, detail=""):
    results.append(bool(ok))
    print(f"{'ok  ' if ok else 'FAIL'} {name}{'' if ok else ': ' + str(detail)}", flush=True)


def manifests(pe):
    """(resource name, text) of every RT_MANIFEST resource."""
    found = []
    for kind in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if kind.id != RT_MANIFEST:
            continue
        for name in kind.directory.entries:
            for lang in name.directory.entries:
                data = pe.get_data(lang.data.struct.OffsetToData, lang.data.struct.Size)
                found.append((name.id, data.decode("utf-8")))
    return found


def main():
    pe = pefile.PE(EXE)

    strings = version_strings(pe)
    for key, expected in [("ProductName", "Velmora"), ("FileVersion", VERSION), ("ProductVersion", VERSION),
                          ("OriginalFilename", "velmora.exe")]:
        check(f"version resource: {key} is {expected!r}", strings.get(key) == expected, strings.get(key))
    for key in ["FileDescription", "CompanyName", "LegalCopyright"]:
        check(f"version resource: {key} is filled in", strings.get(key, "").strip(), strings)
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16,
               fixed.FileVersionLS & 0xFFFF]
    expected = [int(part) for part in VERSION.split(".")] + [0]
    check("the binary file version matches", numbers == expected[:4], numbers)

    found = manifests(pe)
    check("one manifest, as resource 1", [name for name, _ in found] == [CREATEPROCESS_MANIFEST_RESOURCE_ID],
          [name for name, _ in found])
    if not found:
        return
    text = found[0][1]
    root = ET.fromstring(text)
    levels = [e.get("level") for e in root.iter(f"{ASM_V3}requestedExecutionLevel")]
    check("the manifest asks for asInvoker", levels == ["asInvoker"], levels)
    ids = {e.get("Id") for e in root.iter(f"{COMPAT}supportedOS")}
    check("supportedOS: Windows 7, 8, 8.1 and 10", ids == set(SUPPORTED_OS), ids)
    controls = [e.attrib for e in root.iter(f"{ASM_V1}assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    check("Common Controls 6", [c.get("version") for c in controls] == ["6.0.0.0"], controls)
    dpi = [(e.tag.split("}")[-1], (e.text or "").strip()) for e in root.iter()
           if e.tag.split("}")[-1].lower() in ("dpiaware", "dpiawareness")]
    check("system DPI awareness is declared (dpiAware true, not per monitor)", dpi == [("dpiAware", "true")], dpi)
    settings = [e.tag for e in root.iter(f"{ASM_V3}windowSettings")]
    check("dpiAware sits in the application's windowSettings", len(settings) == 1, settings)


if __name__ == "__main__":
    main()
    failed = results.count(False)
    print(f"{len(results) - failed} passed, {failed} failed")
    sys.exit(1 if failed else 0)
