"""The real program under Wine: the product gate, the window as designed, keys and dragging."""

import contextlib
import re
import unittest

from rig import Case, wait_for

CAPTION = "Nordavin updater starter version 2.33.107"
NOT_FOUND_TEXT = "Nordavin Antivirus was not found"
BOX_TITLE = "Updater starter"
EXIT_PRODUCT_NOT_FOUND = 2

(OPTION3, OPTION2, OPTION1, COMMAND2, COMBO1, COMMAND1, LABEL6, LABEL7, LABEL2, LABEL5, LABEL4, LABEL3,
 LABEL1) = range(1001, 1014)

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


def window_rect(case):
    return case.dump()["window"]


def moved(rect, dx, dy):
    return dict(rect, left=rect["left"] + dx, top=rect["top"] + dy)


class WineTestCase(unittest.TestCase):
    def new_case(self, label=""):
        """A fresh prefix for one run of the program; ended and removed when the with-block ends."""
        name = self.id().removeprefix("test_window.") + (f".{label}" if label else "")
        return Case(re.sub(r"[^A-Za-z0-9_.-]+", "_", name))

    @contextlib.contextmanager
    def started_window(self, registry=None, label=""):
        """(case, window dump) once the window is up, with a tvx.com stand-in in each ProductRoot."""
        registry = registry or product_key(ROW_TVX8)
        with self.new_case(label) as case:
            for values in registry.values():
                if values.get("ProductRoot"):
                    case.install_product(values["ProductRoot"])
            case.seed_registry(registry)
            case.start()
            window = case.wait_for_window()
            case.screenshot(window["window"])
            yield case, window

    def assert_not_found(self, case, args=None):
        case.start(args)
        boxes = case.wait_for_message_box()
        self.assertEqual(len(boxes), 1, boxes)
        box = boxes[0]
        window = case.dump()
        self.assertFalse(window["found"] and window["visible"], "the main window is up behind the box")
        case.screenshot(box["rect"])
        self.assertEqual(box["title"], BOX_TITLE)
        self.assertEqual(box["texts"], [NOT_FOUND_TEXT])
        self.assertEqual(box["buttons"], [{"id": 1, "text": "OK"}])
        self.assertIsNotNone(box["icon"], "the box shows no icon")
        red = sum(1 for r, g, b in case.pixels(box["icon"]) if r > 150 and g < 90 and b < 90)
        self.assertGreater(red, 100, "the icon is not the red critical one")

        self.assertEqual(case.call("msgbox-ok")["posted"], 1)
        result = case.result()
        self.assertEqual(result["exit_code"], EXIT_PRODUCT_NOT_FOUND)
        self.assertNotIn("UpdStartMainWindow", [w["class"] for w in result["shown"]],
                         "the main window was shown at some point")


class ProductGateTest(WineTestCase):
    def test_no_product_shows_box_and_exits_2(self):
        with self.new_case() as case:
            self.assert_not_found(case)

    def test_silent_run_without_product_still_shows_box(self):
        with self.new_case() as case:
            self.assert_not_found(case, "silent")

    def test_keys_that_name_no_product(self):
        every_row_empty = {}
        for row in range(1, len(PROBE_KEYS) + 1):
            every_row_empty.update(product_key(row, root=""))
        tvx8_without_protected = {
            r"HKLM\SOFTWARE\NordavinLab\TVX8\environment":
                product_key(ROW_TVX8)["HKLM\\" + PROBE_KEYS[0]]
        }
        for label, registry, view in [
            ("every_row_empty", every_row_empty, 32),
            ("tvx8_without_protected_level", tvx8_without_protected, 32),
            ("product_in_64_bit_view_only", product_key(ROW_TVX8), 64),
        ]:
            with self.subTest(label), self.new_case(label) as case:
                case.seed_registry(registry, view=view)
                self.assert_not_found(case)

    def test_first_row_with_a_product_root_wins(self):
        """Seen through the folder whose tvx.com the Update button starts."""
        every_row = range(1, len(PROBE_KEYS) + 1)
        for installed, empty, winner in [
            (every_row, [], ROW_TVX8),
            ([2, ROW_TVX80, ROW_TVX6], [ROW_TVX8], 2),
            ([ROW_WPN8, ROW_TVX80, 12, ROW_TVX6], [], ROW_WPN8),
            ([ROW_TVX80, 12, ROW_TVX6], [], ROW_TVX80),
        ]:
            registry = {}
            for row in installed:
                registry.update(product_key(row))
            for row in empty:
                registry.update(product_key(row, root=""))
            with self.subTest(winner=winner), self.started_window(registry, f"row{winner}") as (case, _):
                logs = {row: case.host_path(product_root(row)) / "tvx.log" for row in installed}
                case.call("click", COMMAND1)
                wait_for(lambda: any(log.exists() for log in logs.values()), 15, "the updater to start")
                self.assertEqual([row for row, log in logs.items() if log.exists()], [winner])

    def test_any_single_row_is_a_product(self):
        for row in (ROW_TVX8, ROW_WPN8, ROW_TVX80, ROW_TVX6):
            with self.subTest(row=row), self.started_window(product_key(row), f"row{row}") as (case, _):
                self.assertFalse(case.call("msgbox")["boxes"])


class WindowAtStartTest(WineTestCase):
    def test_caption_product_focus_and_source_option(self):
        # A name the ANSI code page of the prefix (1252) cannot carry.
        name = "Нордавин Антивирус"
        with self.started_window(product_key(ROW_TVX8, name=name)) as (case, window):
            self.assertEqual(window["caption"], CAPTION)
            self.assertEqual(control(window, LABEL3)["text"], f"{name} detected")
            self.assertEqual((window["client"]["width"], window["client"]["height"]), (707, 264))
            wait_for(lambda: case.dump()["focus"] == COMMAND1, 5, "focus on Update")
            options = (OPTION1, OPTION2, OPTION3)
            self.assertEqual([control(window, o)["check"] for o in options], [0, 1, 0])

    def test_controls_as_designed(self):
        with self.started_window() as (case, window):
            self.assertCountEqual([c["id"] for c in window["controls"]], DESIGN)
            for control_id, (twips, kind, text) in DESIGN.items():
                with self.subTest(control_id=control_id):
                    actual = control(window, control_id)
                    rect = actual["rect"]
                    for edge, expected in zip(("left", "top", "width", "height"), twips):
                        self.assertAlmostEqual(rect[edge], expected / TWIPS_PER_PIXEL, delta=1, msg=edge)
                    self.assert_kind(actual, kind)
                    if text is not None:
                        self.assertEqual(actual["text"], text)
                    self.assertEqual(actual["visible"], control_id not in HIDDEN_AT_START)

    def assert_kind(self, actual, kind):
        style = actual["style"]
        if kind == "label":
            self.assertEqual(actual["class"].lower(), "static")
            self.assertTrue(style & SS_NOTIFY, "a label that ignores clicks")
        elif kind == "option":
            self.assertEqual(actual["class"].lower(), "button")
            self.assertEqual(style & BS_TYPEMASK, BS_AUTORADIOBUTTON)
        elif kind == "command":
            self.assertEqual(actual["class"].lower(), "button")
            self.assertIn(style & BS_TYPEMASK, (BS_PUSHBUTTON, BS_DEFPUSHBUTTON))
        else:
            self.assertEqual(actual["class"].lower(), "combobox")
            self.assertEqual(style & CBS_TYPEMASK, CBS_DROPDOWN)


class ClosingTest(WineTestCase):
    def test_close_button_and_wm_close_exit_0(self):
        for label, command in [("close_button", ("click", COMMAND2)), ("wm_close", ("close",))]:
            with self.subTest(label), self.started_window(label=label) as (case, _):
                case.call(*command)
                result = case.result()
                self.assertFalse(result["timed_out"])
                self.assertEqual(result["exit_code"], 0)


class KeyboardTest(WineTestCase):
    def test_enter_and_escape_do_nothing(self):
        with self.started_window() as (case, window):
            x_window = case.x_window_at(*empty_spot(window))
            case.xdotool("windowfocus", "--sync", x_window)
            wait_for(lambda: case.dump()["focus"] == COMMAND1, 5, "focus on Update")

            case.xdotool("key", "Return", "Escape")
            # Input is handled in order: once this click has landed, so have the keys.
            case.xdotool("mousemove", "--sync", *center(window, OPTION1), "click", 1)
            wait_for(lambda: control(case.dump(), OPTION1)["check"] == 1, 5, "the click on Option1")

            after = case.dump()
            case.screenshot(after["window"], "-after")
            self.assertTrue(after["visible"])
            self.assertFalse(case.has_ended())
            self.assertNotIn("tvx.com", [p["name"].lower() for p in case.processes()])
            log = case.host_path(product_root(ROW_TVX8)) / "tvx.log"
            self.assertFalse(log.exists(), "the updater was started")


class DraggingTest(WineTestCase):
    OFFSET = (40, 30)

    def test_press_on_empty_client_area_drags_window(self):
        for button in (3, 1, 2):
            with self.subTest(button=button), self.started_window(label=f"button{button}") as (case, window):
                before = window["window"]
                case.drag(button, empty_spot(window), self.OFFSET, release=False)
                wait_for(lambda: window_rect(case) == moved(before, *self.OFFSET), 5, "the window to follow")
                case.xdotool("mouseup", button)
                case.screenshot(window_rect(case), "-after")

    def test_press_on_label_does_not_drag(self):
        with self.started_window() as (case, window):
            before = window["window"]
            case.drag(3, center(window, LABEL1), self.OFFSET)
            # A drag that must work: once it has moved the window, the press on
            # the label has been handled too.
            case.drag(1, empty_spot(window), (25, 20))
            wait_for(lambda: window_rect(case) != before, 5, "a move")
            after = window_rect(case)
            case.screenshot(after, "-after")
            self.assertEqual(after, moved(before, 25, 20))


if __name__ == "__main__":
    unittest.main()
