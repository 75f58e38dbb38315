"""Runs the real program in Wine on a virtual X display and drives it from outside.

The rig runs one Windows architecture per process (choose_arch): the 32-bit
reference program where this machine runs 32-bit Linux programs, else the
64-bit one; the driver and the stand-in updater come from the same build tree.
One base prefix is made per architecture and reused; every case runs in its
own hard-linked copy of it, so cases cannot see each other's registry or files.
One Xvfb serves the whole test process. Everything that waits has a deadline.

    /usr/bin/python3 tests/wine/rig.py --arch   prints the architecture chosen here

UPDSTART_WINEDEBUG sets Wine's WINEDEBUG for the cases (default -all), whose
Wine output lands in build/wine-artifacts/<case>.wine.log.
"""

import atexit
import contextlib
import fcntl
import json
import os
import select
import shutil
import subprocess
import sys
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]

# Debian's `wine` wrapper always picks the 32-bit loader once it is installed,
# even where the kernel cannot run it; so the rig calls a loader itself.
LOADERS = {"32": "/usr/lib/wine/wine", "64": "/usr/lib/wine/wine64"}


class RigError(Exception):
    pass


def _path_from_env(name, default):
    path = Path(os.environ.get(name, default))
    return path if path.is_absolute() else REPO / path


def loader_runs(bits):
    """Whether this machine runs that Wine loader at all.

    A kernel without 32-bit emulation refuses the 32-bit loader at exec, so
    trying it is the one sure test.
    """
    try:
        done = subprocess.run([LOADERS[bits], "--version"], capture_output=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired):
        return False
    return done.returncode == 0


def choose_arch():
    """Which Windows build this machine tests: "32" (the reference) or "64".

    UPDSTART_WINE_ARCH=32|64 forces one; otherwise the 32-bit program wherever
    a 32-bit Linux program runs, else the 64-bit one in a 64-bit prefix.
    """
    forced = os.environ.get("UPDSTART_WINE_ARCH", "")
    if forced:
        if forced not in LOADERS:
            raise RigError(f"UPDSTART_WINE_ARCH must be 32 or 64, not {forced!r}")
        if not loader_runs(forced):
            if forced == "32":
                raise RigError(
                    f"UPDSTART_WINE_ARCH=32, but this machine cannot run the 32-bit Wine loader "
                    f"{LOADERS['32']} (is 32-bit emulation off in the kernel, or wine32:i386 missing?)")
            raise RigError(f"UPDSTART_WINE_ARCH={forced}, but {LOADERS[forced]} does not run here")
        return forced
    return "32" if loader_runs("32") else "64"


def choose_arch_or_exit():
    """choose_arch() for scripts: a one-line explanation instead of a traceback."""
    try:
        return choose_arch()
    except RigError as error:
        sys.exit(f"error: {error}")


class Arch:
    """One Windows architecture the rig can run: its loader, build tree and prefix template."""

    def __init__(self, bits, build=None):
        self.bits = bits
        self.loader = LOADERS[bits]
        self.build = build or REPO / f"build/win{bits}"
        self.program = self.build / "updstart.exe"
        self.tools = self.build / "tests" / "wine" / "tools"
        self.driver = self.tools / "driver.exe"
        self.tvx_stand_in = self.tools / "tvx.com"
        self.prefix = CACHE / f"prefix-win{bits}"

    def describe(self):
        program = self.program.relative_to(REPO) if self.program.is_relative_to(REPO) else self.program
        return f"{self.bits}-bit build {program} (Wine loader {self.loader})"

    def env(self, prefix, display=None):
        env = {k: v for k, v in os.environ.items() if not k.startswith(("WINE", "LC_", "DRIVER_"))}
        env.update(
            HOME=str(CACHE / "home"),
            WINEPREFIX=str(prefix),
            WINEDEBUG=os.environ.get("UPDSTART_WINEDEBUG", "-all"),
            WINEDLLOVERRIDES="mscoree,mshtml=",
            LANG="C.UTF-8",
        )
        if self.bits == "64":
            # What Debian's wrapper would set had it picked this loader; a
            # prefix made by it is 64-bit, with the 32-bit registry view inside.
            env.update(WINELOADER=self.loader, WINEARCH="win64")
        env.pop("DISPLAY", None)
        if display:
            env["DISPLAY"] = display
        return env


CACHE = _path_from_env("UPDSTART_WINE_CACHE", "build/wine-base")
ARTIFACTS = _path_from_env("UPDSTART_WINE_ARTIFACTS", "build/wine-artifacts")

# The architecture of this process's cases. A choice that cannot be met is
# reported when a case starts (scripts ask choose_arch_or_exit first).
# UPDSTART_BUILD names another build tree of that architecture.
try:
    ARCH = Arch(choose_arch(), os.environ.get("UPDSTART_BUILD") and _path_from_env("UPDSTART_BUILD", ""))
    _ARCH_ERROR = None
except RigError as _error:
    ARCH = Arch("64")
    _ARCH_ERROR = _error

PROGRAM = ARCH.program
DRIVER = ARCH.driver
TVX_STAND_IN = ARCH.tvx_stand_in
WINE = ARCH.loader

# Where each case puts its copy of the program.
PROGRAM_PATH = r"C:\updstart\updstart.exe"

# Files of a prefix that Wine rewrites in place; a case gets its own copy of
# these instead of a link that would let it change the base prefix.
_WRITTEN_FILES = ["system.reg", "user.reg", "userdef.reg", ".update-timestamp"]
_WRITTEN_TREES = ["drive_c/users", "drive_c/ProgramData"]

_SCREEN = "1280x1024x24"


def wait_for(predicate, timeout, what, interval=0.05):
    """Polls predicate until it returns something truthy; fails at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError(f"timed out after {timeout} s waiting for {what}; last saw {value!r}")
        time.sleep(interval)


def _run(args, env, timeout, what, retry_after_hang=False):
    """Runs a helper command; retry_after_hang is for commands that may run twice."""
    try:
        done = subprocess.run(args, env=env, timeout=timeout, capture_output=True)
    except subprocess.TimeoutExpired as error:
        said = (error.stderr or b"").decode(errors="replace")
        if retry_after_hang:
            # Ends every process of the prefix, the hung one included.
            subprocess.run(["wineserver", "-k"], env=env, timeout=30, capture_output=True)
            return _run(args, env, timeout, what)
        raise RigError(f"{what} took longer than {timeout} s; it said: {said}") from error
    if done.returncode != 0:
        raise RigError(f"{what} failed ({done.returncode}): {done.stderr.decode(errors='replace')}")
    return done.stdout


def _wine_version(arch):
    return subprocess.run([arch.loader, "--version"], capture_output=True, text=True).stdout.strip()


def base_prefix(arch=ARCH):
    """The prefix every case of an architecture copies, made once (and remade when Wine changes)."""
    prefix = arch.prefix
    stamp = prefix.with_name(prefix.name + ".ready")
    (CACHE / "home").mkdir(parents=True, exist_ok=True)
    with open(prefix.with_name(prefix.name + ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)  # parallel runners make it only once
        version = f"{_wine_version(arch)} win{arch.bits} fonts:{len(_wine_fonts())}"
        if stamp.exists() and stamp.read_text() == version and prefix.is_dir():
            return prefix
        stamp.unlink(missing_ok=True)
        shutil.rmtree(prefix, ignore_errors=True)
        env = arch.env(prefix)
        _run([arch.loader, "wineboot", "-i"], env, 300, "wineboot")
        _run(["wineserver", "-w"], env, 120, "wineserver shutdown")
        _install_fonts(prefix)
        stamp.write_text(version)
        return prefix


def _wine_fonts():
    return sorted(Path("/usr/share/wine/fonts").glob("*.[ot][tt][fcf]")) + sorted(
        Path("/usr/share/wine/fonts").glob("*.fon"))


def _install_fonts(prefix):
    """Wine's own Tahoma and friends, which Debian's Wine does not put in a prefix.

    Windows always has them; without them "MS Shell Dlg" falls back to a much
    wider font and the window would look unlike anything a user sees.
    """
    fonts = prefix / "drive_c" / "windows" / "Fonts"
    fonts.mkdir(parents=True, exist_ok=True)
    for font in _wine_fonts():
        shutil.copy2(font, fonts / font.name)


class Display:
    """The Xvfb of this test process; it has no window manager."""

    _shared = None

    @classmethod
    def shared(cls):
        if cls._shared is None:
            cls._shared = Display()
            atexit.register(cls._shared.stop)
        return cls._shared

    def __init__(self):
        read_end, write_end = os.pipe()
        self._process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", _SCREEN, "-nolisten", "tcp"],
            pass_fds=(write_end,),
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
        )
        os.close(write_end)
        try:
            number = _read_line(read_end, time.monotonic() + 30, "Xvfb display number", bytearray())
        finally:
            os.close(read_end)
        self.name = f":{number.strip()}"

    def stop(self):
        self._process.terminate()
        try:
            self._process.wait(10)
        except subprocess.TimeoutExpired:
            self._process.kill()


def use_screen(size):
    """Gives the cases made after this a display of size "WxHxD"; call it while no case is open.

    For windows larger than the default screen, such as the program's at 200 %.
    """
    global _SCREEN
    if size != _SCREEN:
        _SCREEN = size
        if Display._shared is not None:
            Display._shared.stop()
            Display._shared = None


def _read_line(fd, deadline, what, pending):
    """Reads from fd up to a newline; pending holds what came after it, for the next call."""
    while b"\n" not in pending:
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([fd], [], [], remaining)[0]:
            raise RigError(f"no answer in time: {what}")
        chunk = os.read(fd, 65536)
        if not chunk:
            raise RigError(f"closed without answer: {what}")
        pending += chunk
    line, _, rest = bytes(pending).partition(b"\n")
    pending[:] = rest
    return line.decode()


def _clone_prefix(base, target):
    if target.exists():
        shutil.rmtree(target)
    subprocess.run(["cp", "-al", str(base), str(target)], check=True)
    # The server directory name recorded there belongs to the base prefix.
    (target / "wineserver").unlink(missing_ok=True)
    for name in _WRITTEN_FILES:
        if (base / name).exists():
            (target / name).unlink()
            shutil.copy2(base / name, target / name)
    for tree in _WRITTEN_TREES:
        shutil.rmtree(target / tree)
        shutil.copytree(base / tree, target / tree, symlinks=True)
    for ini in (base / "drive_c" / "windows").glob("*.ini"):
        copy = target / "drive_c" / "windows" / ini.name
        copy.unlink()
        shutil.copy2(ini, copy)


class Expandable(str):
    """A registry text of the expandable kind (REG_EXPAND_SZ), for seed_registry."""


def _reg_text(value):
    if isinstance(value, Expandable):
        return "hex(2):" + ",".join(f"{byte:02x}" for byte in (value + "\0").encode("utf-16-le"))
    if isinstance(value, int):
        return f"dword:{value:08x}"
    return '"' + value.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_file_text(keys):
    """A .reg file for {key path: {value name: str | Expandable | int}}; key paths start with HKLM\\ or HKCU\\."""
    roots = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER"}
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, values in keys.items():
        root, _, rest = key.partition("\\")
        lines.append(f"[{roots.get(root, root)}\\{rest}]")
        for name, value in values.items():
            lines.append(f"{_reg_text(name)}={_reg_text(value)}")
        lines.append("")
    return "\r\n".join(lines) + "\r\n"


class Case:
    """One test case: its own prefix, the program in it, and the driver to look at it."""

    def __init__(self, name):
        if _ARCH_ERROR:
            raise _ARCH_ERROR
        if not PROGRAM.exists() or not DRIVER.exists():
            raise RigError(f"build the Windows program and its test tools first: {PROGRAM}, {DRIVER}")
        self.name = name
        self.display = Display.shared().name
        self.prefix = CACHE / "cases" / f"{name}-{os.getpid()}"
        self.env = ARCH.env(self.prefix, self.display)
        self._server = None
        self._server_pending = bytearray()
        self._program_run = None
        self._result = None
        self._closed = False
        ARTIFACTS.mkdir(parents=True, exist_ok=True)
        self._wine_log_path = ARTIFACTS / f"{name}.wine.log"
        self._wine_log = open(self._wine_log_path, "wb")
        try:
            self.prefix.parent.mkdir(parents=True, exist_ok=True)
            _clone_prefix(base_prefix(), self.prefix)
            program_copy = self.host_path(PROGRAM_PATH)
            program_copy.parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(PROGRAM, program_copy)
            # The first Wine process of a fresh prefix sets up its server; a
            # second one started meanwhile can fail to find it. So one process
            # starts alone, and everything else comes after its first answer.
            self.call("processes", timeout=120)
        except BaseException:
            self.close()
            raise

    # --- files and registry ------------------------------------------------

    def host_path(self, windows_path):
        drive, _, rest = windows_path.partition(":")
        if drive.upper() != "C":
            raise RigError(f"only drive C: lives in the prefix: {windows_path}")
        return self.prefix / "drive_c" / Path(*[p for p in rest.split("\\") if p])

    def seed_registry(self, keys, view=32):
        """Writes keys in the 32-bit (or 64-bit) view through a UTF-16 .reg file, so any text survives."""
        if not keys:
            return
        reg_file = self.prefix / "drive_c" / "seed.reg"
        reg_file.write_bytes(b"\xff\xfe" + reg_file_text(keys).encode("utf-16-le"))
        # The first Wine command in a fresh prefix now and then never ends
        # (seen once in many runs, with nothing said); importing again is
        # harmless, so a hung import gets one more try in a restarted server.
        _run([WINE, "reg", "import", r"C:\seed.reg", f"/reg:{view}"], self.env, 60, "reg import",
             retry_after_hang=True)

    def set_dpi(self, dpi):
        """Sets the prefix's display scaling (96 is 100 %) for the programs started after this.

        Each Wine process reads it once, at its start; so the driver's server
        starts again, to measure the program's windows at the program's DPI.
        """
        self.seed_registry({r"HKCU\Control Panel\Desktop": {"LogPixels": dpi}}, view=64)
        if self._server is not None:
            self._server.stdin.close()
            try:
                self._server.wait(15)
            except subprocess.TimeoutExpired as error:
                raise RigError("the driver's server did not end") from error
            self._server = None
            self._server_pending = bytearray()

    def install_product(self, folder):
        """Puts the tvx.com stand-in into a product folder; returns the log it appends to."""
        host_folder = self.host_path(folder)
        host_folder.mkdir(parents=True, exist_ok=True)
        shutil.copy2(TVX_STAND_IN, host_folder / "tvx.com")
        return host_folder / "tvx.log"

    # --- the program -------------------------------------------------------

    def start(self, args=None, command_line=None, application=None, timeout=120):
        """Starts the program through the driver with an exact command line.

        By default the command line is the quoted program path followed by
        args; command_line replaces it whole.
        """
        if command_line is None:
            command_line = f'"{PROGRAM_PATH}"' + (f" {args}" if args else "")
        env = dict(self.env, DRIVER_CMDLINE=command_line, DRIVER_TIMEOUT_MS=str(timeout * 1000))
        if application:
            env["DRIVER_APP"] = application
        self._result = None  # a case may run the program again, one run at a time
        self._program_run = subprocess.Popen(
            [WINE, str(DRIVER), "run"], env=env, stdout=subprocess.PIPE, stderr=self._wine_log
        )

    def result(self, timeout=30):
        """What `driver run` saw once the program ended: exit code and the windows it showed."""
        if self._result is None:
            # The driver's end, not the end of its output: a program that the
            # case's program left running holds that pipe open after both end.
            try:
                self._program_run.wait(timeout=timeout)
            except subprocess.TimeoutExpired as error:
                raise AssertionError(f"the program did not end within {timeout} s") from error
            out = bytearray()
            os.set_blocking(self._program_run.stdout.fileno(), False)
            with contextlib.suppress(BlockingIOError):
                while chunk := os.read(self._program_run.stdout.fileno(), 65536):
                    out += chunk
            lines = out.decode().strip().splitlines()
            if not lines:
                # A Wine process whose server went away ends with status 1
                # and says nothing; name that rather than fail on parsing.
                raise RigError(f"`driver run` ended with status {self._program_run.returncode} and no report")
            self._result = json.loads(lines[-1])
        return self._result

    def has_ended(self):
        return self._program_run is not None and self._program_run.poll() is not None

    # --- the program's debug output ------------------------------------------

    def record_debug_output(self):
        """Has the programs started after this write their OutputDebugString lines to the Wine log."""
        self.env["WINEDEBUG"] = self.env["WINEDEBUG"] + ",warn+seh"

    def wine_log(self):
        """What Wine has written for the case's programs so far, on the channels WINEDEBUG enables."""
        self._wine_log.flush()
        return self._wine_log_path.read_bytes().decode("utf-8", "replace")

    def debug_lines(self):
        """The OutputDebugString texts written so far (record_debug_output), in order.

        Wine 8 writes each as `warn:seh:OutputDebugStringA "…"`, the text escaped like a C string.
        """
        self._wine_log.flush()
        lines = []
        for line in self._wine_log_path.read_bytes().decode("utf-8", "replace").splitlines():
            _, found, quoted = line.partition('warn:seh:OutputDebugStringA "')
            if found and quoted.endswith('"'):
                lines.append(_unescape_debug_string(quoted[:-1]))
        return lines

    # --- the driver ----------------------------------------------------------

    def call(self, *words, timeout=15):
        """One driver command through the long-running `driver serve`."""
        if self._server is None:
            self._server = subprocess.Popen(
                [WINE, str(DRIVER), "serve"],
                env=self.env,
                stdin=subprocess.PIPE,
                stdout=subprocess.PIPE,
                stderr=self._wine_log,
                bufsize=0,
            )
        line = "\t".join(str(w) for w in words) + "\n"
        self._server.stdin.write(line.encode())
        deadline = time.monotonic() + timeout
        answer = json.loads(
            _read_line(self._server.stdout.fileno(), deadline, f"driver {words}", self._server_pending)
        )
        if "error" in answer:
            raise RigError(f"driver {words}: {answer['error']}")
        return answer

    def dump(self):
        return self.call("dump")

    def wait_for_window(self, timeout=60):
        """The main window's dump once it is visible and settled.

        Just after the window shows, Wine can list only some of its children
        to another process for a few milliseconds; two equal looks in a row
        get past that.
        """
        looks = [None]

        def settled():
            if self.has_ended():
                raise AssertionError(f"the program ended instead of showing its window: {self.result()}")
            window = self.dump()
            shown = window["found"] and window["visible"]
            shape = shown and [(c["id"], c["rect"]) for c in window["controls"]]
            looks.append(shape)
            return window if shape and shape == looks[-2] else None

        return wait_for(settled, timeout, "the main window", interval=0.02)

    def wait_for_message_box(self, timeout=60):
        def shown():
            if self.has_ended():
                raise AssertionError(f"the program ended instead of showing a message box: {self.result()}")
            return self.call("msgbox")["boxes"]

        return wait_for(shown, timeout, "a message box")

    def processes(self):
        return self.call("processes")["processes"]

    # --- the X side -------------------------------------------------------------

    def xdotool(self, *args):
        _run(["xdotool", *map(str, args)], self.env, 15, f"xdotool {args}")

    def drag(self, button, start, offset, release=True):
        """Presses a mouse button at start and moves the pointer by offset."""
        (x, y), (dx, dy) = start, offset
        self.xdotool("mousemove", "--sync", x, y)
        self.xdotool("mousedown", button)
        self.xdotool("mousemove", "--sync", x + dx, y + dy)
        if release:
            self.xdotool("mouseup", button)

    def x_window_at(self, x, y):
        """The X window under a point, after moving the pointer there."""
        self.xdotool("mousemove", "--sync", x, y)
        out = _run(["xdotool", "getmouselocation", "--shell"], self.env, 15, "xdotool getmouselocation")
        return dict(line.split("=", 1) for line in out.decode().split())["WINDOW"]

    def screenshot(self, rect=None, suffix=""):
        """Saves the screen, or a rectangle of it, as build/wine-artifacts/<case><suffix>.png."""
        target = ARTIFACTS / f"{self.name}{suffix}.png"
        args = ["import", "-window", "root"]
        if rect:
            args += ["-crop", f"{rect['width']}x{rect['height']}+{rect['left']}+{rect['top']}", "+repage"]
        _run(args + [str(target)], self.env, 30, "screenshot")
        return target

    def pixels(self, rect):
        """The screen's RGB pixels inside rect, as a list of (r, g, b)."""
        crop = f"{rect['width']}x{rect['height']}+{rect['left']}+{rect['top']}"
        raw = _run(
            ["import", "-window", "root", "-crop", crop, "+repage", "-depth", "8", "rgb:-"],
            self.env,
            30,
            "screen pixels",
        )
        return [tuple(raw[i : i + 3]) for i in range(0, len(raw), 3)]

    # --- the end --------------------------------------------------------------

    def close(self):
        """Ends every process of the prefix and removes it; safe after any failure."""
        if self._closed:
            return
        self._closed = True
        with contextlib.suppress(RigError):
            self.screenshot(suffix="-end")
        with contextlib.suppress(subprocess.TimeoutExpired):
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=30, capture_output=True)
        for process in (self._server, self._program_run):
            if process is None:
                continue
            try:
                process.communicate(timeout=15)
            except subprocess.TimeoutExpired:
                process.kill()
                process.communicate()
        with contextlib.suppress(subprocess.TimeoutExpired):
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=30, capture_output=True)
        self._wine_log.close()
        if self._wine_log_path.stat().st_size == 0:
            self._wine_log_path.unlink()
        _remove_server_directory(self.prefix)
        shutil.rmtree(self.prefix, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()


def _unescape_debug_string(text):
    """Wine's escaping of a debug string undone: \\n, \\\\, \\", \\xNN and the like."""
    simple = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}
    out, i = bytearray(), 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            following = text[i + 1]
            if following in simple:
                out += simple[following].encode()
                i += 2
                continue
            if following == "x" and i + 4 <= len(text):
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
        out += text[i].encode()
        i += 1
    return out.decode("cp1252", "replace")


def _remove_server_directory(prefix):
    """Wine leaves the prefix's server directory in /tmp; it would pile up over runs."""
    try:
        name = (prefix / "wineserver").read_text().strip()
    except OSError:
        return
    if name.startswith("wine-") and "/" not in name:
        shutil.rmtree(Path("/tmp") / name, ignore_errors=True)


if __name__ == "__main__":
    if sys.argv[1:] != ["--arch"]:
        sys.exit("usage: rig.py --arch")
    print(choose_arch_or_exit())
