#!/usr/bin/python3
"""Runs the Wine tests against a cross build, each test in its own process.

    [UPDSTART_WINE_ARCH=32|64] /usr/bin/python3 tests/wine/run.py [-j N] [-k WORD] [TEST_ID ...]

Where this machine runs 32-bit Linux programs, every test runs against the
32-bit reference program and then the smoke tests against the 64-bit one;
elsewhere every test runs against the 64-bit program. UPDSTART_WINE_ARCH
runs every test on the one architecture it names (and UPDSTART_BUILD then
names its build tree). Each test process has its own Xvfb, so parallel tests
never share a pointer or a keyboard focus. Exits non-zero when any test fails.
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

# What the 64-bit build must show where the 32-bit reference gets the whole
# suite: start-up and detection, Update, the unattended run, the folder picker.
SMOKE_TESTS = [
    "test_window.WindowAtStartTest.test_caption_product_focus_and_source_option",
    "test_update.UpdateButtonTest.test_command_line_for_each_source",
    "test_update.UnattendedRunTest.test_silent_starts_updater_after_a_wait_and_exits_0",
    "test_product_texts.FolderOptionTest.test_picker_cancel_or_ok",
]


def passes(everything):
    """[(architecture, test ids or None for all, environment)] to run, in order."""
    bits = rig.choose_arch_or_exit()
    env = dict(os.environ, UPDSTART_WINE_ARCH=bits)
    if os.environ.get("UPDSTART_WINE_ARCH") or bits == "64":
        return [(rig.ARCH, None, env)]
    # The machine runs both: the whole suite on the reference build, a smoke
    # run on the other, whose screenshots must not overwrite the first's.
    plan = [(rig.ARCH, None, env)]
    if everything:
        smoke_env = dict(env, UPDSTART_WINE_ARCH="64",
                         UPDSTART_WINE_ARTIFACTS=str(rig.ARTIFACTS.with_name(rig.ARTIFACTS.name + "-win64")))
        smoke_env.pop("UPDSTART_BUILD", None)
        plan.append((rig.Arch("64"), SMOKE_TESTS, smoke_env))
    return plan


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


def run_one(test_id, env):
    """(test id, outcome, seconds, output) of one test run in a fresh process."""
    started = time.monotonic()
    process = subprocess.Popen(
        [sys.executable, "-m", "unittest", "-v", test_id],
        cwd=HERE,
        env=env,
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

    ids = test_ids(options.patterns, options.names)
    if not ids:
        sys.exit("no test matched")
    plan = passes(everything=not options.patterns and not options.names)
    renamed = [i for chosen in (p[1] or [] for p in plan) for i in chosen if i not in ids]
    if renamed:
        sys.exit(f"smoke tests that no longer exist: {', '.join(renamed)}")
    for arch, _, _ in plan:
        for needed in (arch.program, arch.driver, arch.tvx_stand_in):
            if not needed.exists():
                sys.exit(f"missing {needed}: cross-build the program and tests/wine/tools first")
    remove_abandoned_cases()

    summaries = []
    for arch, chosen, env in plan:
        run_ids = [i for i in ids if chosen is None or i in chosen]
        print(f"Wine tests of the {arch.describe()} ({len(run_ids)} tests, {options.jobs} at a time)",
              flush=True)
        rig.base_prefix(arch)  # made once here, before tests race to make it
        counts = {"passed": 0, "failed": 0, "skipped": 0}
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.jobs)) as pool:
            for test_id, outcome, seconds, output in pool.map(lambda i: run_one(i, env), run_ids):
                counts[outcome] += 1
                print(f"{outcome.upper():7} {test_id} ({seconds:.1f} s)", flush=True)
                if outcome == "failed":
                    print(output, flush=True)
        summaries.append((arch, counts))
    failed = 0
    for arch, counts in summaries:
        print(f"{arch.describe()}: {counts['passed']} passed, {counts['failed']} failed, "
              f"{counts['skipped']} skipped")
        failed += counts["failed"]
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
