"""Start-up time and peak memory of the real program against the baseline
window, both built for the architecture the Wine rig chose for this machine,
both under Wine, in one prefix and on one Xvfb.

The probe (startup_probe.exe, run inside the prefix) starts each program in
the order it is given and reports, per run, the milliseconds to its first
visible window and its peak working set then. Pairs alternate their order so
that neither program always runs right after the other's exit.
"""

import os
import shutil
import statistics
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "wine"))

import rig  # noqa: E402

WINE_DIR = REPO / "build" / "bench-wine"
PREFIX = WINE_DIR / f"prefix-win{rig.ARCH.bits}"
WINE = rig.ARCH.loader
FONTS = Path("/usr/share/wine/fonts")

PRODUCT_KEY = r"HKLM\SOFTWARE\NordavinLab\protected\TVX8\environment"
PRODUCT_ROOT = r"C:\P"
DATA_ROOT = r"C:\P\Data"
# A few kilobytes, as a product writes it: the program reads it all before
# its window shows, so start-up is timed with it.
CONFIG = "\r\n".join(
    ['<?xml version="1.0" encoding="utf-8"?>', "<update_settings>", "  <sources>"]
    + [f'    <server name="mirror{n}" url="http://update{n:02}.nordavin.example" weight="{n}"'
       ' timeout="30" retries="3" proxy="auto"/>' for n in range(1, 21)]
    + ["  </sources>", '  <proxy use="0" address="" port="3128" auth="0"/>', "</update_settings>", ""])
X11_KEY = r"HKCU\Software\Wine\X11 Driver"
FOLDER = r"C:\bench"


def _env(display=None):
    return dict(rig.ARCH.env(PREFIX, display), HOME=str(WINE_DIR / "home"))


def _run(args, env, timeout=300):
    done = subprocess.run(args, env=env, timeout=timeout, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError(f"{args[:3]} failed ({done.returncode}): {done.stderr[-2000:]}")
    return done.stdout


def _prefix():
    """Made once and kept (remade when Wine changes); rm -r build/bench-wine to start over."""
    stamp = PREFIX.with_name(PREFIX.name + ".ready")
    version = subprocess.run([WINE, "--version"], capture_output=True, text=True).stdout.strip()
    if stamp.exists() and stamp.read_text() == version and PREFIX.is_dir():
        return
    shutil.rmtree(PREFIX, ignore_errors=True)
    (WINE_DIR / "home").mkdir(parents=True, exist_ok=True)
    _run([WINE, "wineboot", "-i"], _env())
    _run(["wineserver", "-w"], _env())
    # Debian's Wine leaves its own fonts out of a prefix; without them "MS
    # Shell Dlg" falls back to another face, in both programs alike but
    # unlike any real system.
    fonts = PREFIX / "drive_c" / "windows" / "Fonts"
    fonts.mkdir(parents=True, exist_ok=True)
    for font in sorted(FONTS.glob("*.[ot][tt][fcf]")) + sorted(FONTS.glob("*.fon")):
        shutil.copy2(font, fonts / font.name)
    stamp.write_text(version)


class _Xvfb:
    def __enter__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as answer:
            self.name = ":" + answer.readline().strip()
        if self.name == ":":
            raise RuntimeError("Xvfb did not start")
        return self

    def __exit__(self, *_):
        self.process.terminate()
        self.process.wait(10)


def _probe(env, programs):
    """One probe process over the given programs; [(name, ms, peak bytes)] in order."""
    paths = [f"{FOLDER}\\{name}" for name in programs]
    out = _run([WINE, f"{FOLDER}\\startup_probe.exe", *paths], env, timeout=60 + 30 * len(paths))
    runs = []
    for line in out.splitlines():
        path, *rest = line.split("\t")
        if rest[0] == "failed":
            raise RuntimeError(f"{path}: {' '.join(rest[1:])}")
        runs.append((path.rsplit("\\", 1)[-1], float(rest[0]), int(rest[1])))
    if len(runs) != len(programs):
        raise RuntimeError(f"the probe reported {len(runs)} runs of {len(programs)}:\n{out}")
    return runs


def measure(build_dir, pairs, warmup_pairs=3):
    """For "ms" and "peak": the real program's median, the baseline's, the
    median of the per-pair ratios and that ratio's quartiles."""
    _prefix()
    programs = {"updstart.exe": build_dir / "updstart.exe", "baseline.exe": build_dir / "baseline.exe",
                "startup_probe.exe": build_dir / "startup_probe.exe"}
    folder = PREFIX / "drive_c" / "bench"
    folder.mkdir(exist_ok=True)
    for name, path in programs.items():
        shutil.copy2(path, folder / name)
    config = PREFIX / "drive_c" / "P" / "Data" / "Data" / "updcfg.xml"
    config.parent.mkdir(parents=True, exist_ok=True)
    config.write_text(CONFIG, encoding="utf-8")

    with _Xvfb() as display:
        env = _env(display.name)
        try:
            _run([WINE, "reg", "add", PRODUCT_KEY, "/v", "ProductRoot", "/t", "REG_SZ",
                  "/d", PRODUCT_ROOT, "/f", "/reg:32"], env)
            _run([WINE, "reg", "add", PRODUCT_KEY, "/v", "DataRoot", "/t", "REG_SZ",
                  "/d", DATA_ROOT, "/f", "/reg:32"], env)
            # With no window manager on Xvfb, Wine waits two seconds for one
            # to withdraw every closing window it considers managed. Unmanaged
            # windows skip that wait, for both programs alike, so many more
            # pairs fit in the same minute.
            _run([WINE, "reg", "add", X11_KEY, "/v", "Managed", "/t", "REG_SZ", "/d", "N", "/f"],
                 env)
            order = []
            for i in range(warmup_pairs + pairs):
                order += ["updstart.exe", "baseline.exe"][:: 1 if i % 2 == 0 else -1]
            runs = _probe(env, order)[2 * warmup_pairs:]
        finally:
            subprocess.run(["wineserver", "-k"], env=env, timeout=60, capture_output=True)
            subprocess.run(["wineserver", "-w"], env=env, timeout=60, capture_output=True)

    # A pair's two runs share whatever the machine was doing then, so the
    # ratio is taken per pair and its median reported.
    pairs_seen = [dict((run[0], run) for run in runs[i:i + 2]) for i in range(0, len(runs), 2)]
    result = {"pairs": pairs}
    for key, column in (("ms", 1), ("peak", 2)):
        real = [pair["updstart.exe"][column] for pair in pairs_seen]
        base = [pair["baseline.exe"][column] for pair in pairs_seen]
        ratios = [r / b for r, b in zip(real, base)]
        quartiles = statistics.quantiles(ratios, n=4)
        result[key] = (statistics.median(real), statistics.median(base), statistics.median(ratios),
                       (quartiles[0], quartiles[2]))
    return result
