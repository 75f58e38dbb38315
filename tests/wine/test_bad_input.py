"""The real program under Wine, fed bad input: registry values of every type and size, a key it
may not read, update configurations that are missing, locked, binary or huge, extreme sources and
command lines. Whatever comes in, the program must not crash, hang or start the wrong thing."""

import contextlib
import select
import subprocess
import unittest

import rig
from common import (COMBO1, COMMAND1, FAILURE_TEXT_EN, LABEL3, LABEL4, LABEL6, LABEL7, OPTION1,
                    PROBE_KEYS, ClientPixels, WineTestCase, control, log_lines, updater)
from rig import wait_for

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD = 1, 2, 3, 4, 7, 11
KEY_SIZE = 64 * 1024  # bytes of the values that test the size limits

ROW1_KEY, ROW2_KEY = "HKLM\\" + PROBE_KEYS[0], "HKLM\\" + PROBE_KEYS[1]
ROOT = r"C:\Program Files\Nordavin\Row1"
DATA_ROOT = r"C:\ProgramData\Nordavin\Row1"
NAME = "Nordavin Antivirus 2010"  # an outdated name: the notice then depends on Build
FALLBACK_NAME = "Nordavin Fallback"

CONFIG_PATH = DATA_ROOT + r"\Data\updcfg.xml"
CHANNEL = "ftp://test-ftp.nordavin.example/test/emu"
TEST_SERVER_FIELD = f'<server url="{CHANNEL}" weight="5"/>'
TEST_SERVER_CONFIG = (f'<?xml version="1.0" encoding="utf-8"?>\r\n<update_settings>\r\n<sources>\r\n'
                      f'  {TEST_SERVER_FIELD}\r\n</sources>\r\n</update_settings>\r\n')
TEST_REPORT = "Default update source: Nordavin Lab test servers"
REGULAR_REPORT = "Default update source: regular Nordavin Lab servers"
# A field of the regular kind that names neither mirror 01 nor the test server.
FILLER_FIELD = b'<s url="http://update02.nordavin.example" weight="1"/>'
LAST_CHANNEL = "ftp://test-ftp.nordavin.example/test/ap"


def product_keys():
    """Row 1 is the product under test; row 2 is what the probe finds when row 1 misses."""
    return {
        ROW1_KEY: {"ProductRoot": ROOT, "DataRoot": DATA_ROOT, "ProductName": NAME, "Build": "1424",
                   "Localization": "en-US"},
        ROW2_KEY: {"ProductRoot": ROOT.replace("Row1", "Row2"),
                   "DataRoot": DATA_ROOT.replace("Row1", "Row2"), "ProductName": FALLBACK_NAME,
                   "Build": "1234", "Localization": "en-US"},
    }


def text(value, nul=True):
    return (value + ("\0" if nul else "")).encode("utf-16-le")


def multi(*values):
    return "".join(v + "\0" for v in values).encode("utf-16-le") + b"\0\0"


def padded(value):
    """A 64 KiB string value that ends at its NUL, with filler after it."""
    return text(value + "\0" + "#" * (KEY_SIZE // 2 - len(value) - 1), nul=False)


def filled(value):
    """A 64 KiB string value without NUL that goes on past value with letters."""
    return text(value + "a" * (KEY_SIZE // 2 - len(value)), nul=False)


def value_forms(good, expanding, number):
    """The same value in every type the registry can hold: (label, type, data) in a fixed order.

    The QWORD has a bit set in its upper half, which a read of only four bytes would lose.
    """
    return [
        ("sz_without_nul", REG_SZ, text(good, nul=False)),
        ("expand_sz", REG_EXPAND_SZ, text(expanding)),
        ("multi_sz", REG_MULTI_SZ, multi(good)),
        ("binary", REG_BINARY, text(good)),
        ("dword", REG_DWORD, number.to_bytes(4, "little")),
        ("qword", REG_QWORD, (number + (1 << 40)).to_bytes(8, "little")),
        ("empty", REG_SZ, b""),
        ("64k_after_nul", REG_SZ, padded(good)),
        ("64k", REG_SZ, filled(good)),
    ]


def forms_with_results(forms, results):
    assert len(forms) == len(results)
    return [(label, kind, data, result) for (label, kind, data), result in zip(forms, results)]


class BadInputTestCase(WineTestCase):
    def installed_case(self):
        """A case with both rows' products installed and row 1's test-server configuration."""
        case = self.enterContext(self.new_case())
        for values in product_keys().values():
            case.install_product(values["ProductRoot"])
        config = case.host_path(CONFIG_PATH)
        config.parent.mkdir(parents=True)
        config.write_bytes(TEST_SERVER_CONFIG.encode())
        case.seed_registry(product_keys())
        return case

    def set_value(self, case, name, kind, data):
        stored = case.call("reg-set", ROW1_KEY, name, kind, data.hex(), timeout=30)
        self.assertEqual(stored, {"type": kind, "bytes": len(data)}, f"{name} was not stored as asked")

    @contextlib.contextmanager
    def running(self, case, deadline=60, **start):
        """A complete look at the window of a fresh run; closed afterwards, which must exit 0.

        Whatever fails, the run is ended, so that the next run in the case starts clean.
        """
        case.start(**start)
        try:
            case.wait_for_window(timeout=deadline)
            yield wait_for(lambda: (look := case.dump())["complete"] and look, 10, "a complete look")
            case.call("close")
            result = case.result()
            self.assertFalse(result["timed_out"])
            self.assertEqual(result["exit_code"], 0)
        finally:
            if not case.has_ended():
                case.call("msgbox-ok")
                with contextlib.suppress(rig.RigError):
                    case.call("close")
                case.result(timeout=30)

    def press_update(self, case, source):
        """Presses Update with source typed in.

        ("started", the new lines of row 1's tvx.com log) or ("box", the texts of the boxes shown).
        """
        log = case.host_path(ROOT) / "tvx.log"
        before = len(log_lines(log))
        case.call("set-text", COMBO1, source)
        case.call("click", COMMAND1)

        def outcome():
            lines = log_lines(log)
            if len(lines) > before:
                return ("started", lines[before:])
            boxes = case.call("msgbox")["boxes"]
            return boxes and ("box", [b["texts"] for b in boxes])

        got = wait_for(outcome, 15, f"the updater or a box for a source of {len(source)} characters")
        if got[0] == "box":
            case.call("msgbox-ok")
            wait_for(lambda: not case.call("msgbox")["boxes"], 5, "the box to close")
        return got


class RegistryValueTest(BadInputTestCase):
    """Row 1's values one at a time in each type and size; the window shows how each was read."""

    def check_forms(self, name, forms, observe):
        case = self.installed_case()
        for label, kind, data, expected in forms:
            with self.subTest(f"{name}={label}"):
                self.set_value(case, name, kind, data)
                with self.running(case) as window:
                    self.assertEqual(observe(case, window), expected)

    def test_product_root(self):
        # A missing root moves detection on to row 2; any text at all counts as a root.
        started = ("started", [updater(ROOT) + " UPDATE x"])
        fallback, refused = f"{FALLBACK_NAME} detected", ("box", [[FAILURE_TEXT_EN]])
        forms = value_forms(ROOT, r"%SystemDrive%\Program Files\Nordavin\Row1", 8)
        results = [started, started, fallback, fallback, refused, refused, fallback, started, refused]

        def observe(case, window):
            label = control(window, LABEL3)["text"]
            return label if label != f"{NAME} detected" else self.press_update(case, "x")

        self.check_forms("ProductRoot", forms_with_results(forms, results), observe)

    def test_data_root(self):
        forms = value_forms(DATA_ROOT, r"%SystemDrive%\ProgramData\Nordavin\Row1", 8)
        results = [CHANNEL, CHANNEL, "", "", "", "", "", CHANNEL, ""]
        self.check_forms("DataRoot", forms_with_results(forms, results),
                         lambda case, window: control(window, LABEL6)["text"])

    def test_product_name(self):
        forms = value_forms(NAME, "Nordavin Antivirus on %SystemDrive%", 2010)
        long_name = filled(NAME).decode("utf-16-le")
        results = [f"{NAME} detected", "Nordavin Antivirus on C: detected", "", "", "2010 detected",
                   f"{2010 + (1 << 40)} detected", "", f"{NAME} detected", f"{long_name} detected"]
        self.check_forms("ProductName", forms_with_results(forms, results),
                         lambda case, window: control(window, LABEL3)["text"])

    def test_localization(self):
        # Russian localizations turn the Update button's text Russian; anything unread leaves English.
        forms = value_forms("ru-RU", "ru-RU", 1049)
        ru, en = "Обновить", "Update"
        results = [ru, ru, en, en, en, en, en, ru, ru]
        self.check_forms("Localization", forms_with_results(forms, results),
                         lambda case, window: control(window, COMMAND1)["text"])

    def test_build(self):
        # The outdated notice stays hidden only for a build that reads as exactly an exempt number.
        forms = value_forms("1424", "1424", 1424)
        forms[-1] = ("64k_of_leading_zeros", REG_SZ, text("0" * (KEY_SIZE // 2 - 5) + "1424"))
        hidden = [True, True, False, False, True, False, False, True, True]
        # Read as the user's locale reads it, here English: the comma groups thousands.
        for build, hides in [("1424", True), (" 1424 ", True), ("1424.0", True), ("1,424", True),
                             ("1424,0", False), ("&H590", True), ("-1", False), ("1e30", False),
                             ("8.0.1.2", False), ("", False)]:
            forms.append((f"text {build!r}", REG_SZ, text(build)))
            hidden.append(hides)
        self.check_forms("Build", forms_with_results(forms, hidden),
                         lambda case, window: control(window, LABEL4)["text"] == "")

    def test_key_that_cannot_be_read_is_passed_over(self):
        case = self.installed_case()
        if not case.call("reg-deny-read", ROW1_KEY)["enforced"]:
            self.skipTest("this Wine does not enforce registry access rules")
        with self.running(case) as window:
            self.assertEqual(control(window, LABEL3)["text"], f"{FALLBACK_NAME} detected")


class ConfigFileTest(BadInputTestCase):
    """updcfg.xml that cannot be read, or reads as something else: the window shows all the same."""

    def assert_report(self, case, channel, regular=False, **start):
        report = (REGULAR_REPORT, "") if regular else (TEST_REPORT, channel) if channel else ("", "")
        with self.running(case, **start) as window:
            self.assertEqual((control(window, LABEL7)["text"], control(window, LABEL6)["text"]), report)

    def test_unreadable_or_odd_files(self):
        case = self.installed_case()
        config = case.host_path(CONFIG_PATH)
        config.unlink()
        with self.subTest("missing"):
            self.assert_report(case, None)
        with self.subTest("empty"):
            config.write_bytes(b"")
            self.assert_report(case, None)
        with self.subTest("folder"):
            config.unlink()
            config.mkdir()
            self.assert_report(case, None)
            config.rmdir()
        with self.subTest("held_exclusively"):
            config.write_bytes(TEST_SERVER_CONFIG.encode())
            holder = subprocess.Popen([rig.WINE, str(rig.DRIVER), "hold-file", CONFIG_PATH, "60000"],
                                      env=case.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
            try:
                self.assertTrue(select.select([holder.stdout], [], [], 60)[0], "hold-file did not answer")
                self.assertEqual(holder.stdout.readline(), b'{"held":true}\n')
                self.assert_report(case, None)
            finally:
                holder.communicate(timeout=30)  # closes its input, which lets go of the file
        for label, data, channel in [
            # Starting with a NUL and an ASCII byte, it reads as big-endian UTF-16: nothing is recognised.
            ("binary", bytes(range(256)) * 64 + TEST_SERVER_CONFIG.encode(), None),
            ("nul_bytes_in_a_line", b"<bin>\0\0\0\x01\0</bin>\r\n" + TEST_SERVER_CONFIG.encode(),
             CHANNEL),
            ("utf16le_without_bom", TEST_SERVER_CONFIG.encode("utf-16-le"), CHANNEL),
            ("unterminated_quote_at_the_end", TEST_SERVER_CONFIG.encode() + b'"never closed\r\n  ',
             CHANNEL),
        ]:
            with self.subTest(label):
                config.write_bytes(data)
                self.assert_report(case, channel)
        case.env["LC_ALL"] = "zh_CN.UTF-8"  # code page 936, double-byte
        for label, before in [
            # Valid UTF-8 until the comma: read again in the code page from "k=", four bytes
            # are two characters and the comma ends the field.
            ("utf8_turned_936", b"k=\xe4\xaf\xb5\xc4,"),
            # A lead byte with nothing to pair with does not take the comma.
            ("lone_lead_byte_936", b"k=\xc4,"),
        ]:
            with self.subTest(label):
                config.write_bytes(before + TEST_SERVER_FIELD.encode() + b"\r\n")
                self.assert_report(case, CHANNEL)
        case.env["LC_ALL"] = "hi_IN.UTF-8"  # code page 65001, UTF-8, which Wine's converter
        # would let a sequence cut short at the end of a piece swallow the comma after it.
        cut = b"\xe0,\xc2"
        with self.subTest("cut_sequence_65001"):
            # No "=", no "weight": the channel is the field from its second character, all but
            # its last seven; the field ends in U+FFFD for E0.
            config.write_bytes(LAST_CHANNEL.encode() + cut)
            self.assert_report(case, (LAST_CHANNEL + "\ufffd")[1:-7])
        with self.subTest("cut_sequence_at_16_KiB_65001"):
            # The comma is the last byte of the first 16 KiB read: the test field, then the
            # regular one, which takes the report but leaves it red and the test list shown.
            head = "-ftp.nordavin.example/test/" + "x" * 16354
            config.write_bytes(head.encode() + cut + b"update01.nordavin.example")
            with self.running(case) as window:
                self.assertEqual((control(window, LABEL7)["text"], control(window, LABEL6)["text"]),
                                 (REGULAR_REPORT, (head + "\ufffd")[1:-7]))
                self.assertEqual(control(window, OPTION1)["check"], 1)
                red = [p for p in ClientPixels(case, window).inside(LABEL7)
                       if p[0] > 150 and p[1] < 90 and p[2] < 90]
                self.assertGreater(len(red), 20, "the report is not red")

    def test_huge_files(self):
        case = self.installed_case()
        config = case.host_path(CONFIG_PATH)
        with self.subTest("one_line_40_KiB_xml"):
            # XML written without indentation: the whole file is one field.
            head = b'<?xml version="1.0"?><config><src url="http://update01.nordavin.example/b" weight="5"/>'
            config.write_bytes(head + FILLER_FIELD * (40 * 2**10 // len(FILLER_FIELD)) + b"</config>")
            self.assert_report(case, None, regular=True)
        with self.subTest("one_50_MB_line"):
            line = FILLER_FIELD + b" "
            with open(config, "wb") as out:
                out.write(line * (50 * 2**20 // len(line)))
                out.write(b"\r\n" + TEST_SERVER_FIELD.encode())
            self.assert_report(case, CHANNEL)
        with self.subTest("200_MB_of_lines"):
            block = (FILLER_FIELD + b"\r\n") * 20000
            with open(config, "wb") as out:
                for _ in range(200 * 2**20 // len(block)):
                    out.write(block)
                out.write(f'<s url="{LAST_CHANNEL}" weight="1"/>'.encode())
            # Read before the window shows: about 3 s here; the deadline is for slow machines.
            self.assert_report(case, LAST_CHANNEL, deadline=240, timeout=300)


class SourceAndCommandLineTest(BadInputTestCase):
    def test_sources_beyond_the_rules(self):
        case = self.installed_case()
        self.enterContext(self.running(case))
        command = updater(ROOT) + " UPDATE "
        for source, argument in [
            ("http://обновление.example/📦", "http://обновление.example/📦"),
            (r"\\files.example\Обновления 📦" + "\\", r'"\\files.example\Обновления 📦\\"'),
        ]:
            with self.subTest(source=source):
                self.assertEqual(self.press_update(case, source), ("started", [command + argument]))
        # The command line would pass Windows' limit: refused, not cut short as Wine would.
        with self.subTest("40000_characters"):
            self.assertEqual(self.press_update(case, "x" * 40000), ("box", [[FAILURE_TEXT_EN]]))
            self.assertNotIn("tvx.com", [p["name"].lower() for p in case.processes()])
            self.assertEqual(len(log_lines(case.host_path(ROOT) / "tvx.log")), 2)

    def test_program_command_lines(self):
        case = self.installed_case()
        program = rig.PROGRAM_PATH
        for label, command_line in [
            # Wine hands a child the quoted program path for an empty line; a blank arrives as is.
            ("empty", ""),
            ("blank", " "),
            # Without its closing quote the whole line is the program's name: no unattended run.
            ("unbalanced_quote", f'"{program} silent'),
            ("32000_characters", f'"{program}" ' + "x" * (32000 - len(program) - 3)),
        ]:
            with self.subTest(label):
                # An unattended run would show nothing for 40 s.
                with self.running(case, deadline=20, command_line=command_line,
                                  application=program) as window:
                    self.assertEqual(control(window, LABEL3)["text"], f"{NAME} detected")
        self.assertFalse((case.host_path(ROOT) / "tvx.log").exists(), "the updater was started")

    def test_hundred_presses_log_a_line_each_and_keep_handles_flat(self):
        case = self.installed_case()
        pid = self.enterContext(self.running(case))["pid"]
        log = case.host_path(ROOT) / "tvx.log"

        def settled_handles():
            wait_for(lambda: "tvx.com" not in [p["name"].lower() for p in case.processes()], 15,
                     "every updater to end")
            return case.call("handles", pid)["handles"]

        counts = []
        for press in range(1, 101):
            source = f"http://update01.nordavin.example/{press}"
            line = f"{updater(ROOT)} UPDATE {source}"
            self.assertEqual(self.press_update(case, source), ("started", [line]))
            if press in (10, 100):
                counts.append(settled_handles())
        self.assertEqual(len(log_lines(log)), 100)
        self.assertGreater(counts[0], 0, "the handle table shows no handles of the program")
        self.assertLessEqual(counts[1] - counts[0], 5, f"handles after 10 and 100 presses: {counts}")


if __name__ == "__main__":
    unittest.main()
