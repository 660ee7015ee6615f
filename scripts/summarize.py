#!/usr/bin/env python3
"""Adds up the test cases of CTest JUnit reports into one summary line.

A GoogleTest executable counts with its own case totals; any other test
counts as one case. A test that failed without reporting failed cases
(a crash, a time-out) counts as one failure.
"""
import re
import sys
import xml.etree.ElementTree as ET

PASSED = re.compile(r"\[  PASSED  \] (\d+) tests?")
FAILED = re.compile(r"\[  FAILED  \] (\d+) tests?, listed below")
SKIPPED = re.compile(r"\[  SKIPPED \] (\d+) tests?, listed below")
PLAIN = re.compile(r"^(?:\w+: )?(\d+) passed, (\d+) failed", re.M)


def count(report):
    passed = failed = skipped = 0
    try:
        root = ET.parse(report).getroot()
    except (OSError, ET.ParseError):
        print(f"{report}: no report (build or run failed)")
        return 0, 1, 0
    for case in root.iter("testcase"):
        out = "".join(node.text or "" for node in case.iter("system-out"))
        broken = case.get("status") == "fail" or case.find("failure") is not None
        p = sum(int(m) for m in PASSED.findall(out))
        f = sum(int(m) for m in FAILED.findall(out))
        s = sum(int(m) for m in SKIPPED.findall(out))
        plain = PLAIN.findall(out)
        if p or f:
            passed, failed, skipped = passed + p, failed + f, skipped + s
            if broken and not f:
                failed += 1
        elif plain:
            passed += sum(int(a) for a, _ in plain)
            failed += sum(int(b) for _, b in plain)
            if broken and not sum(int(b) for _, b in plain):
                failed += 1
        elif broken:
            failed += 1
        elif case.get("status") in ("disabled", "notrun", "skipped"):
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def main(reports):
    total_p = total_f = total_s = 0
    for report in reports:
        p, f, s = count(report)
        name = report.rsplit("/", 1)[-1].removesuffix(".xml")
        print(f"{name}: {p} passed, {f} failed, {s} skipped")
        total_p, total_f, total_s = total_p + p, total_f + f, total_s + s
    print(f"{total_p} passed, {total_f} failed, {total_s} skipped")
    return 1 if total_f or total_p == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
