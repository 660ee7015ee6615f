"""Reads a page's Local Storage from the profile that CEF keeps on disk.

This CEF generation keeps Local Storage as one SQLite database per origin,
a table ItemTable(key TEXT, value BLOB) whose values are UTF-16LE text. The
database is found by what it holds: an SQLite file under the cache folder
with an ItemTable that has the wanted key, for the wanted origin (which CEF
writes into the file's name). It is read from a copy, with its journal, so
that a running client's lock and half-written pages do not matter.
"""
import json
import pathlib
import shutil
import sqlite3
import tempfile

SQLITE_HEADER = b"SQLite format 3\x00"


def _is_sqlite(path):
    try:
        with open(path, "rb") as f:
            return f.read(16) == SQLITE_HEADER
    except OSError:
        return False


def _items(path):
    """The key/value pairs of an ItemTable database, from a copy of it."""
    with tempfile.TemporaryDirectory(prefix="velmora-ls-") as folder:
        copy = pathlib.Path(folder) / "db"
        shutil.copyfile(path, copy)
        journal = pathlib.Path(str(path) + "-journal")
        if journal.exists():
            shutil.copyfile(journal, str(copy) + "-journal")
        try:
            with sqlite3.connect(copy) as db:
                rows = db.execute("SELECT key, value FROM ItemTable").fetchall()
        except sqlite3.DatabaseError:
            return None
    items = {}
    for key, value in rows:
        if isinstance(value, bytes):
            value = value.decode("utf-16-le", errors="replace")
        items[key] = value
    return items


def read(cache_folder, host, key):
    """The items of |host|'s Local Storage that holds |key|, or None."""
    cache_folder = pathlib.Path(cache_folder)
    if not cache_folder.is_dir():
        return None
    for path in sorted(cache_folder.rglob("*")):
        if not path.is_file() or path.name.endswith("-journal") or host not in path.name:
            continue
        if not _is_sqlite(path):
            continue
        items = _items(path)
        if items and key in items:
            return items
    return None


class Board:
    """The 2048 game's saved state: its gameState and bestScore values."""

    def __init__(self, items):
        self.state = json.loads(items["gameState"]) if items and items.get("gameState") else None
        self.best = int(items.get("bestScore") or 0) if items else 0

    @property
    def cells(self):
        if not self.state:
            return []
        return [[cell["value"] if cell else 0 for cell in column] for column in self.state["grid"]["cells"]]

    @property
    def tiles(self):
        return sum(1 for column in self.cells for value in column if value)

    @property
    def score(self):
        return self.state["score"] if self.state else 0

    def __eq__(self, other):
        return isinstance(other, Board) and self.cells == other.cells and self.score == other.score

    def __repr__(self):
        rows = ["".join(f"{column[y]:>5}" for column in self.cells) for y in range(len(self.cells))]
        return f"<tiles {self.tiles}, score {self.score}, best {self.best}: " + " | ".join(rows) + ">"


def read_board(cache_folder, host):
    items = read(cache_folder, host, "gameState")
    return Board(items) if items else None
