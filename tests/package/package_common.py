"""What the package tests share: the files a package ships, commands run
with their output kept, a fresh Wine prefix, and the versions that a PE
file's resources carry."""
import pathlib
import shutil
import subprocess
import tempfile

import pefile

# Every file of a package, as a folder-relative path; the installer adds
# uninstall.exe.
PACKAGE_FILES = {"velmora.exe", "libcef.dll", "cef.pak", "cef_100_percent.pak", "cef_200_percent.pak",
                 "cef_extensions.pak", "devtools_resources.pak", "icudtl.dat", "natives_blob.bin",
                 "snapshot_blob.bin", "d3dcompiler_47.dll", "libEGL.dll", "libGLESv2.dll", "locales/zh-CN.pak",
                 "locales/en-US.pak", "skin/FormLogin.xml", "skin/FormLoginBrowser.xml", "skin/FormGame.xml",
                 "skin/FormFullScreen.xml"}


def run(*cmd, timeout=600, **kw):
    """A command's result with its output, through a file, not a pipe:
    Wine's services inherit the output and outlive the command."""
    with tempfile.TemporaryFile() as out:
        done = subprocess.run([str(c) for c in cmd], stdout=out, stderr=subprocess.STDOUT, timeout=timeout, **kw)
        out.seek(0)
        done.stdout = out.read().decode(errors="replace")
    return done


def wine(*args, timeout=300):
    return run("wine", *args, timeout=timeout)


def make_prefix(prefix, repo):
    """A fresh |prefix| (the caller's WINEPREFIX) in the project's Wine
    setup, fonts and all. Its user folders are made real folders: Wine links
    them to $HOME otherwise, and a desktop shortcut would land there."""
    shutil.rmtree(prefix, ignore_errors=True)
    made = subprocess.run(["bash", "-c", f'source "{repo}/scripts/wine-env.sh" && velmora_wine_start'],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
    for link in (pathlib.Path(prefix) / "drive_c" / "users").glob("*/*"):
        if link.is_symlink():
            link.unlink()
            link.mkdir()
    return made.returncode == 0 and (pathlib.Path(prefix) / ".velmora-ready").exists()


def version_of(path):
    """The file version of a PE file as "major.minor.patch", or None."""
    try:
        fixed = pefile.PE(str(path), fast_load=False).VS_FIXEDFILEINFO[0]
    except (OSError, pefile.PEFormatError):
        return None
    return f"{fixed.FileVersionMS >> 16}.{fixed.FileVersionMS & 0xFFFF}.{fixed.FileVersionLS >> 16}"


def version_strings(pe):
    """The first string table of a parsed PE file's version resource."""
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            if entry.Key == b"StringFileInfo":
                for table in entry.StringTable:
                    return {k.decode(): v.decode() for k, v in table.entries.items()}
    return {}
