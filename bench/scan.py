"""The configuration scan on big files against grep over the same bytes.

The files are XML-like update configuration: sections of settings and mirror
lists naming every mirror but the regular one, whose only mention is the
last field of the file. Both the program's scan and grep read the file from
the page cache; each is timed by the CPU time of its whole process.
"""

import os
import subprocess
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
DATA = REPO / "build" / "bench"
MATCH = "update01.nordavin.example"
MIB = 1 << 20


def _block(index):
    """About 2 KiB of configuration, varied by index so no two blocks are alike."""
    lines = [f'<section name="bases{index}" revision="{index * 7 % 1000}">']
    for mirror in range(2, 21):
        lines.append(f'  <source url="http://update{mirror:02d}.nordavin.example/bases/av"'
                     f' weight="{(index + mirror) % 100}" region="eu,ru,as"/>')
    lines += [f'  <setting key="Timeout{index % 13}" value="{index % 300}"/>',
              '  <setting key="Proxy" value="proxy.corp.example:3128"/>',
              f'  <schedule day="{index % 7}" hours="03:00,15:00" retries="3"/>',
              "</section>"]
    return "\r\n".join(lines) + "\r\n"


def make_file(size_mib):
    """build/bench/updcfg-<n>MiB.xml, made once; the matching field ends it."""
    path = DATA / f"updcfg-{size_mib}MiB.xml"
    ending = f"<default>http://{MATCH}</default>\r\n".encode()
    if path.exists() and path.stat().st_size == size_mib * MIB:
        return path
    DATA.mkdir(parents=True, exist_ok=True)
    chunk = "".join(_block(i) for i in range(512)).encode()  # about 1 MiB
    with open(path.with_suffix(".tmp"), "wb") as out:
        left = size_mib * MIB - len(ending)
        while left >= len(chunk):
            out.write(chunk)
            left -= len(chunk)
        # Whole lines only, then blanks up to the exact size.
        piece = chunk[: chunk.rfind(b"\r\n", 0, left - 1) + 2]
        out.write(piece + b" " * (left - len(piece) - 2) + b"\r\n" + ending)
    path.with_suffix(".tmp").rename(path)
    return path


def _best_cpu_seconds(args, runs, check):
    """User plus system time of the whole process, which other load on a
    shared machine does not inflate the way it does wall time; best of runs."""
    best = None
    for _ in range(runs):
        child = subprocess.Popen(args, stdout=subprocess.PIPE, text=True,
                                 env={"LC_ALL": "C", "PATH": "/usr/bin:/bin"})
        out = child.stdout.read()
        _, status, usage = os.wait4(child.pid, 0)
        child.returncode = os.waitstatus_to_exitcode(status)
        if child.returncode != 0:
            raise RuntimeError(f"{args} failed ({child.returncode})")
        check(out)
        seconds = usage.ru_utime + usage.ru_stime
        best = seconds if best is None else min(best, seconds)
    return best


def measure(scanner, runs=5):
    """Seconds for the scan and for grep on 200 MiB, and for the scan on 20 MiB."""
    def scan_found_one(out):
        if "regular=1 " not in out:
            raise RuntimeError(f"the scan should find the one regular field: {out}")

    def grep_found_one(out):
        if out.strip() != "1":
            raise RuntimeError(f"grep should count one line: {out}")

    result = {}
    for size in (20, 200):
        path = make_file(size)
        subprocess.run(["cat", str(path)], stdout=subprocess.DEVNULL, check=True)  # into the cache
        result[f"scan{size}"] = _best_cpu_seconds([str(scanner), str(path)], runs, scan_found_one)
        if size == 200:
            result["grep200"] = _best_cpu_seconds(["grep", "-F", "-c", MATCH, str(path)], runs,
                                           grep_found_one)
    return result
