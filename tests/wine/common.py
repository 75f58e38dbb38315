"""What the tests of the real program under Wine share: the texts and lists the program shows,
its controls as designed, the registry keys it probes, small helpers over the driver's window
dumps, and the one base class of every test. Each test module imports only the rig and this."""

import contextlib
import re
import unittest

import rig
from rig import Case, Expandable, base_prefix, wait_for

CAPTION = "Nordavin updater starter version 2.33.107"
NOT_FOUND_TEXT = "Nordavin Antivirus was not found"
BOX_TITLE = "Updater starter"
EXIT_PRODUCT_NOT_FOUND = 2
FAILURE_TEXT_EN = "Impossible to start antivirus update task"
FAILURE_TEXT_RU = "Невозможно запустить обновление антивируса"
PURE_RED, PURE_BLUE = (255, 0, 0), (0, 0, 255)

REGULAR_SOURCES = [f"http://update{n:02}.nordavin.example" for n in range(21)] + ["http://203.0.113.10"]
TEST_CHANNELS = [f"ftp://test-ftp.nordavin.example/test/{c}" for c in
                 ("ap", "dit", "emu", "ids", "qdbi386", "pre-release", "tim1", "tim2", "urg", "pbs",
                  "ep", "tl3")]

# The controls by their names in the program's control table (src/app/ControlTable.h). The
# driver shows and takes controls by these names and finds their window ids in that table, so
# no window id is known here and a control added to the table moves nothing in the tests.
(OPTION3, OPTION2, OPTION1, COMMAND2, COMBO1, COMMAND1, LABEL6, LABEL7, LABEL2, LABEL5, LABEL4, LABEL3,
 LABEL1) = ("Option3", "Option2", "Option1", "Command2", "Combo1", "Command1", "Label6", "Label7",
            "Label2", "Label5", "Label4", "Label3", "Label1")

# The registry keys the installed generations write, in the order they are tried.
PROBE_KEYS = [rf"SOFTWARE\NordavinLab\protected\TVX{n}\environment" for n in range(8, 17)] + [
    r"SOFTWARE\NordavinLab\protected\WPN8\environment",
    r"SOFTWARE\NordavinLab\protected\TVX80\environment",
    r"SOFTWARE\NordavinLab\protected\TVX7\environment",
    r"SOFTWARE\NordavinLab\TVX6\environment",
]
ROW_TVX8, ROW_WPN8, ROW_TVX80, ROW_TVX6 = 1, 10, 11, 13

BS_TYPEMASK, BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_AUTORADIOBUTTON = 0xF, 0x0, 0x1, 0x9
CBS_TYPEMASK, CBS_DROPDOWN = 0x3, 0x2
SS_NOTIFY = 0x100

# The form as designed: place in twips (left, top, width, height), kind, text.
# None as text: the text is not settled at start.
DESIGN = {
    OPTION3: ((6480, 1920, 3975, 375), "option", "Loca or network follder"),
    OPTION2: ((6480, 1320, 2535, 375), "option", "Show regular source only"),
    OPTION1: ((6480, 1680, 2535, 255), "option", "Show beta source only"),
    COMMAND2: ((8880, 3120, 1455, 615), "command", "Close"),
    COMBO1: ((360, 1920, 5895, 315), "combo", None),
    COMMAND1: ((7320, 3120, 1455, 615), "command", "Update"),
    LABEL6: ((360, 1320, 3855, 255), "label", ""),
    LABEL7: ((360, 1080, 5895, 255), "label", ""),
    LABEL2: ((240, 3600, 735, 255), "label", ""),
    LABEL5: ((360, 600, 2655, 255), "label", None),
    LABEL4: ((360, 360, 8055, 255), "label", ""),
    LABEL3: ((360, 120, 8055, 255), "label", None),
    LABEL1: ((360, 1680, 3975, 255), "label", "Select new update source:"),
}
HIDDEN_AT_START = {LABEL5}
TWIPS_PER_PIXEL = 15


CONFIG_PATH = rf"C:\ProgramData\Nordavin\Row{ROW_TVX8}\Data\updcfg.xml"
REGULAR_CONFIG = """<?xml version="1.0" encoding="utf-8"?>
<update_settings>
  <sources>
    <server name="main" url="http://update01.nordavin.example" weight="10"/>
  </sources>
</update_settings>
"""
TEST_SERVER_CONFIG = """<?xml version="1.0" encoding="utf-8"?>
<update_settings>
  <sources>
    <server url="ftp://test-ftp.nordavin.example/test/emu" weight="5"/>
  </sources>
</update_settings>
"""
TEST_SERVER_CHANNEL = "ftp://test-ftp.nordavin.example/test/emu"



def thirty_two_bit_program_files():
    """The Program Files folder of a 32-bit program, such as the product, in the cases' prefixes.

    Where its %ProgramFiles% leads, also when the 64-bit build reads the product's values.
    """
    x86 = "Program Files (x86)"
    return rf"C:\{x86}" if (base_prefix() / "drive_c" / x86).is_dir() else r"C:\Program Files"


def product_root(row):
    return rf"C:\Program Files\Nordavin\Row{row}"


def product_key(row, root=None, name="Nordavin Antivirus"):
    """Registry content of one installed product, found by probe row (1-based)."""
    return {
        "HKLM\\" + PROBE_KEYS[row - 1]: {
            "ProductRoot": product_root(row) if root is None else root,
            "DataRoot": rf"C:\ProgramData\Nordavin\Row{row}",
            "ProductName": name,
            "Build": "1234",
            "Localization": "en-US",
        }
    }


def control(window, control_id):
    if not window["found"]:
        raise AssertionError("the main window is gone")
    found = [c for c in window["controls"] if c["id"] == control_id]
    if not found:
        raise AssertionError(f"the window has no control {control_id}")
    return found[0]


def center(window, control_id):
    rect, client = control(window, control_id)["rect"], window["client"]
    return (client["left"] + rect["left"] + rect["width"] // 2,
            client["top"] + rect["top"] + rect["height"] // 2)


def empty_spot(window, margin=4):
    """A point of the client area, in screen coordinates, that no visible control covers."""
    client = window["client"]
    shown = [c["rect"] for c in window["controls"] if c["visible"]]
    for y in range(margin * 2, client["height"] - margin * 2, 6):
        for x in range(margin * 2, client["width"] - margin * 2, 6):
            if not any(r["left"] - margin <= x < r["left"] + r["width"] + margin
                       and r["top"] - margin <= y < r["top"] + r["height"] + margin for r in shown):
                return client["left"] + x, client["top"] + y
    raise AssertionError("the client area has no empty spot")


def product(name, build="1234", locale="en-US"):
    """The product of probe row 1 with the given name, Build and Localization."""
    registry = product_key(ROW_TVX8, name=name)
    values = next(iter(registry.values()))
    values.update(Build=build, Localization=locale)
    return registry


def crlf(text):
    return text.replace("\n", "\r\n")


def updater_path(root):
    return root + r"\tvx.com"


def updater(root):
    """The updater as its command line starts: in quotes when its path has a blank."""
    path = updater_path(root)
    return f'"{path}"' if " " in path else path


def log_lines(log):
    """The complete lines the tvx.com stand-in has written so far."""
    if not log.exists():
        return []
    return [line.decode("utf-8") for line in log.read_bytes().split(b"\r\n")[:-1]]


class ClientPixels:
    """One grab of the window's client area, looked at control by control."""

    def __init__(self, case, window):
        self.window = window
        self.client = window["client"]
        self.pixels = case.pixels(self.client)

    def rows(self, control_id):
        rect, width = control(self.window, control_id)["rect"], self.client["width"]
        right = min(rect["left"] + rect["width"], width)
        bottom = min(rect["top"] + rect["height"], self.client["height"])
        return [self.pixels[y * width + rect["left"]:y * width + right]
                for y in range(rect["top"], bottom)]

    def inside(self, control_id):
        return [pixel for row in self.rows(control_id) for pixel in row]


def full_look(case):
    window = case.dump()
    return window if window["complete"] else None


def is_ink(pixel):
    """Anything the face colour behind the texts is not: dark or strongly coloured."""
    return min(pixel) < 150 or max(pixel) - min(pixel) > 100


def _event_numbers():
    """{symbol: Event ID} from the header the message compiler made of the program's table."""
    header = rig.PROGRAM.parent / "generated" / "EventMessages.h"
    if not header.exists():
        return {}
    return {name: int(value, 16) & 0xFFFF for name, value in
            re.findall(r"^#define (EVENT_\w+)\s+(0x[0-9a-fA-F]+)", header.read_text(), re.MULTILINE)}


# The event log as the program writes it, by the Event ID Event Viewer shows,
# and the levels Wine 8 names in its trace of ReportEventW.
_EVENTS = _event_numbers()
(EVENT_STARTED, EVENT_SUCCEEDED, EVENT_ATTEMPT_STARTED, EVENT_ATTEMPT_SUCCEEDED, EVENT_STILL_RUNNING,
 EVENT_ATTEMPT_FAILED, EVENT_FAILED, EVENT_NOT_STARTED, EVENT_NOT_FOUND, EVENT_MALFORMED,
 EVENT_NO_SOURCE_SUCCEEDED) = (
    _EVENTS.get("EVENT_" + name) for name in (
        "UPDATER_STARTED", "UPDATER_SUCCEEDED", "ATTEMPT_STARTED", "ATTEMPT_SUCCEEDED", "UPDATER_STILL_RUNNING",
        "ATTEMPT_FAILED", "UPDATER_FAILED", "UPDATER_NOT_STARTED", "PRODUCT_NOT_FOUND", "MALFORMED_ARGUMENT",
        "NO_SOURCE_SUCCEEDED"))
EVENT_LEVELS = {1: "error", 2: "warning", 4: "information"}
_REPORT_EVENT = re.compile(r":fixme:advapi:ReportEventW \((\w+),0x(\w+),0x\w+,0x(\w+),")
_EVENT_STRING = re.compile(r':(?:trace|warn|err):eventlog:ReportEventW L"(.*)"$')


def record_events(case):
    """Has the programs started after this write their events to the Wine log (events()).

    Wine 8 keeps no log: ReportEventW names each event's number and level on the
    advapi channel, then prints its non-empty strings, a line each, on eventlog.
    """
    case.env["WINEDEBUG"] += ",+eventlog,fixme+advapi"


def events(case):
    """[(event number, level, [its strings' lines])] written so far, in order."""
    found = []
    for line in case.wine_log().splitlines():
        report = _REPORT_EVENT.search(line)
        if report:
            found.append((int(report.group(3), 16) & 0xFFFF, EVENT_LEVELS.get(int(report.group(2), 16)), []))
            continue
        text = _EVENT_STRING.search(line)
        if text and found:
            found[-1][2].append(unescape_wine_text(text.group(1)))
    return found


def unescape_wine_text(text):
    """A string as Wine's debug output escapes it, given back: \\n, \\\\, \\" and \\xNNNN."""
    return re.sub(r'\\(x[0-9a-fA-F]{4}|u[0-9a-fA-F]{4}|.)',
                  lambda m: chr(int(m.group(1)[1:], 16)) if len(m.group(1)) == 5
                  else {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(1), m.group(1)), text)


class WineTestCase(unittest.TestCase):
    def new_case(self, label=""):
        """A fresh prefix for one run of the program; ended and removed when the with-block ends."""
        name = self.id().split(".", 1)[1] + (f".{label}" if label else "")
        return Case(re.sub(r"[^A-Za-z0-9_.-]+", "_", name))

    @contextlib.contextmanager
    def started_window(self, registry=None, label="", product_folders=()):
        """(case, window dump) once the window is up, with a tvx.com stand-in in each ProductRoot.

        An expandable ProductRoot names no folder by itself: product_folders name where it may lead.
        """
        registry = registry or product_key(ROW_TVX8)
        with self.new_case(label) as case:
            for values in registry.values():
                if values.get("ProductRoot") and not isinstance(values["ProductRoot"], Expandable):
                    case.install_product(values["ProductRoot"])
            for folder in product_folders:
                case.install_product(folder)
            case.seed_registry(registry)
            case.start()
            window = case.wait_for_window()
            case.screenshot(window["window"])
            yield case, window

    @contextlib.contextmanager
    def started(self, registry, config=None, label="", dpi=None, user_locale=None, prepare=None):
        """(case, window dump) once every control answers; config is the bytes of updcfg.xml.

        user_locale is a Unix locale name; Wine takes the Windows user's locale from LC_ALL.
        prepare(case) runs last before the program starts.
        """
        with self.new_case(label) as case:
            if user_locale:
                case.env["LC_ALL"] = user_locale
            for values in registry.values():
                case.install_product(values["ProductRoot"])
            if config is not None:
                path = case.host_path(CONFIG_PATH)
                path.parent.mkdir(parents=True)
                path.write_bytes(config)
            if dpi is not None:
                case.set_dpi(dpi)
            case.seed_registry(registry)
            if prepare:
                prepare(case)
            case.start()
            case.wait_for_window()
            yield case, wait_for(lambda: full_look(case), 10, "a look with every control answering")
