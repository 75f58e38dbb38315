"""The configuration scan on big files: time per MiB, growth with size, and the reader's peak memory.

Three kinds of file, each made at 20 and 200 MiB:
- "regular": XML-like update configuration, sections of settings and mirror
  lists naming every mirror but the regular one, whose only mention is the
  last field of the file;
- "quotes": every line a field that names the regular mirror inside quotes
  and goes on with 40 more quotes, which once made a scan that searched for
  quotes far slower than reading field by field;
- "one field": a single field as long as the file, then the regular field,
  which only a reader that holds no field whole gets through in little memory.
Each scan is timed by the CPU time of its whole process, reading from the page cache.
"""

import os
import subprocess
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
DATA = REPO / "build" / "bench"
MATCH = "update01.nordavin.example"
MIB = 1 << 20
ENDING = f"<default>http://{MATCH}</default>\r\n".encode()


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


def _regular_chunk():
    return "".join(_block(i) for i in range(512)).encode()  # about 1 MiB of whole lines


def _quotes_chunk():
    line = f'x"{MATCH}"'.encode() + b'"' * 40 + b"\r\n"
    return line * (MIB // len(line))


def _one_field_chunk():
    return b"x" * MIB


KINDS = {"regular": _regular_chunk, "quotes": _quotes_chunk, "one field": _one_field_chunk}


def make_file(kind, size_mib):
    """build/bench/updcfg-<kind>-<n>MiB.xml, made once: chunks of the kind, then the
    regular field, exactly size_mib MiB."""
    path = DATA / f"updcfg-{kind.replace(' ', '-')}-{size_mib}MiB.xml"
    if path.exists() and path.stat().st_size == size_mib * MIB:
        return path
    DATA.mkdir(parents=True, exist_ok=True)
    chunk = KINDS[kind]()
    with open(path.with_suffix(".tmp"), "wb") as out:
        left = size_mib * MIB - len(ENDING)
        while left >= len(chunk):
            out.write(chunk)
            left -= len(chunk)
        if kind == "one field":
            out.write(chunk[: left - 2] + b"\r\n" + ENDING)
        else:
            # Whole lines only, then blanks up to the exact size.
            piece = chunk[: chunk.rfind(b"\r\n", 0, left - 1) + 2]
            out.write(piece + b" " * (left - len(piece) - 2) + b"\r\n" + ENDING)
    path.with_suffix(".tmp").rename(path)
    return path


def _scan(scanner, path, runs):
    """(best CPU seconds of runs, peak heap bytes): user plus system time of the
    whole process, which other load on a shared machine does not inflate the
    way it does wall time."""
    best, peak = None, 0
    for _ in range(runs):
        child = subprocess.Popen([str(scanner), str(path)], stdout=subprocess.PIPE, text=True,
                                 env={"LC_ALL": "C", "PATH": "/usr/bin:/bin"})
        out = child.stdout.read()
        _, status, usage = os.wait4(child.pid, 0)
        if os.waitstatus_to_exitcode(status) != 0 or "report=regular " not in out:
            raise RuntimeError(f"the scan of {path} should report the regular mirror: {out!r}")
        peak = max(peak, int(out.split("peak_bytes=")[1].split()[0]))
        seconds = usage.ru_utime + usage.ru_stime
        best = seconds if best is None else min(best, seconds)
    return best, peak


def measure(scanner, runs=5):
    """{kind: {"ms_per_mib": at 200 MiB, "growth": 200 MiB time over 20 MiB time, "peak": bytes}}."""
    result = {}
    for kind in KINDS:
        seconds = {}
        peak = 0
        for size in (20, 200):
            path = make_file(kind, size)
            subprocess.run(["cat", str(path)], stdout=subprocess.DEVNULL, check=True)  # into the cache
            seconds[size], size_peak = _scan(scanner, path, runs)
            peak = max(peak, size_peak)
        result[kind] = {"ms_per_mib": seconds[200] * 1000 / 200, "growth": seconds[200] / seconds[20],
                        "peak": peak}
    return result


if __name__ == "__main__":
    import json
    import sys
    print(json.dumps(measure(Path(sys.argv[1])), indent=2))
