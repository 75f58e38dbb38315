#!/usr/bin/python3
"""Runs the Wine tests against a cross build, each test in its own process.

    UPDSTART_BUILD=build/win32 /usr/bin/python3 tests/wine/run.py [-j N] [-k WORD] [TEST_ID ...]

Each test process has its own Xvfb, so parallel tests never share a pointer
or a keyboard focus. Exits non-zero when any test fails.
"""

import argparse
import concurrent.futures
import os
import shutil
import signal
import subprocess
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import rig  # noqa: E402

TEST_TIMEOUT = 600


def remove_abandoned_cases():
    """Prefixes left by runs that were killed; those of a run still going stay."""
    for case in (rig.CACHE / "cases").glob("*-*"):
        pid = case.name.rsplit("-", 1)[1]
        try:
            os.kill(int(pid), 0)
        except (ValueError, ProcessLookupError):
            shutil.rmtree(case, ignore_errors=True)
        except PermissionError:
            pass


def test_ids(patterns, names):
    if names:
        return names
    suite = unittest.TestLoader().discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    ids = []

    def walk(item):
        if isinstance(item, unittest.TestSuite):
            for child in item:
                walk(child)
        else:
            ids.append(item.id())

    walk(suite)
    return [i for i in ids if not patterns or any(p in i for p in patterns)]


def run_one(test_id):
    """(test id, outcome, seconds, output) of one test run in a fresh process."""
    started = time.monotonic()
    process = subprocess.Popen(
        [sys.executable, "-m", "unittest", "-v", test_id],
        cwd=HERE,
        stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT,
        start_new_session=True,
    )
    try:
        output, _ = process.communicate(timeout=TEST_TIMEOUT)
        text = output.decode(errors="replace")
        if process.returncode != 0:
            outcome = "failed"
        else:
            outcome = "skipped" if "skipped=" in text.splitlines()[-1] else "passed"
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        text = process.communicate()[0].decode(errors="replace") + f"\nkilled after {TEST_TIMEOUT} s\n"
        outcome = "failed"
    return test_id, outcome, time.monotonic() - started, text


def main():
    parser = argparse.ArgumentParser(
        description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter
    )
    jobs = int(os.environ.get("UPDSTART_WINE_JOBS", "2"))
    parser.add_argument("-j", "--jobs", type=int, default=jobs, help=f"tests at a time ({jobs})")
    parser.add_argument("-k", dest="patterns", action="append", default=[], help="run tests whose id has WORD")
    parser.add_argument("names", nargs="*", help="test ids, such as test_window.ClosingTest")
    options = parser.parse_args()

    for needed in (rig.PROGRAM, rig.DRIVER, rig.TVX_STAND_IN):
        if not needed.exists():
            sys.exit(f"missing {needed}: cross-build the program and tests/wine/tools first")
    ids = test_ids(options.patterns, options.names)
    if not ids:
        sys.exit("no test matched")
    print(f"Wine tests of {rig.PROGRAM} ({len(ids)} tests, {options.jobs} at a time)", flush=True)
    rig.base_prefix()  # made once here, before tests race to make it
    remove_abandoned_cases()

    counts = {"passed": 0, "failed": 0, "skipped": 0}
    with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.jobs)) as pool:
        for test_id, outcome, seconds, output in pool.map(run_one, ids):
            counts[outcome] += 1
            print(f"{outcome.upper():7} {test_id} ({seconds:.1f} s)", flush=True)
            if outcome == "failed":
                print(output, flush=True)
    print(f"{counts['passed']} passed, {counts['failed']} failed, {counts['skipped']} skipped")
    return 1 if counts["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
