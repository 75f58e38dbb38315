"""The real program under Wine: the product gate, the window as designed, keys and dragging."""

import unittest

from common import (BOX_TITLE, BS_AUTORADIOBUTTON, BS_DEFPUSHBUTTON, BS_PUSHBUTTON, BS_TYPEMASK, CAPTION,
                    CBS_DROPDOWN, CBS_TYPEMASK, COMMAND1, COMMAND2, DESIGN, EVENT_MALFORMED, EVENT_NOT_FOUND,
                    EXIT_PRODUCT_NOT_FOUND,
                    HIDDEN_AT_START, LABEL1, LABEL3, NOT_FOUND_TEXT, OPTION1, OPTION2, OPTION3, PROBE_KEYS,
                    ROW_TVX6, ROW_TVX8, ROW_TVX80, ROW_WPN8, SS_NOTIFY, TWIPS_PER_PIXEL, WineTestCase,
                    center, control, empty_spot, events, log_lines, product_key, record_events,
                    product_root, thirty_two_bit_program_files, updater)
from rig import Expandable, wait_for


def window_rect(case):
    return case.dump()["window"]


def moved(rect, dx, dy):
    return dict(rect, left=rect["left"] + dx, top=rect["top"] + dy)


class ProductGateTest(WineTestCase):
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

    def test_no_product_shows_box_and_exits_2(self):
        with self.new_case() as case:
            self.assert_not_found(case)

    def test_silent_run_without_product_still_shows_box(self):
        with self.new_case() as case:
            record_events(case)
            self.assert_not_found(case, "silent")
            self.assertEqual(events(case), [(EVENT_NOT_FOUND, "error", [NOT_FOUND_TEXT])])

    def test_silent_wait_run_without_product_ends_at_once_without_a_box(self):
        with self.new_case() as case:
            record_events(case)
            case.start("silent wait=5")
            result = case.result()
            self.assertEqual(result["exit_code"], EXIT_PRODUCT_NOT_FOUND)
            self.assertEqual(result["shown"], [], "a window or box was shown")
            self.assertEqual(events(case), [(EVENT_NOT_FOUND, "error", [NOT_FOUND_TEXT])])
        # Nor the usage: a task would wait on the box until its time limit.
        with self.new_case("usage") as case:
            record_events(case)
            case.start("silent wait /?")
            result = case.result()
            self.assertEqual(result["exit_code"], 7)
            self.assertEqual(result["shown"], [], "a window or box was shown")
            self.assertEqual(events(case), [(EVENT_MALFORMED, "error", ["/?"])])

    def test_usage_anywhere_shows_its_box_before_anything_else_and_exits_0(self):
        with self.new_case() as case:
            record_events(case)
            case.start("silent /? source=")
            boxes = case.wait_for_message_box()
            self.assertEqual(len(boxes), 1, boxes)
            case.screenshot(boxes[0]["rect"])
            self.assertEqual(boxes[0]["title"], CAPTION)
            usage = "\n".join(boxes[0]["texts"])
            for part in ("updstart.exe silent", "wait=MINUTES", "source=TEXT", "Exit codes", "\n7: "):
                self.assertIn(part, usage)
            self.assertEqual(case.call("msgbox-ok")["posted"], 1)
            result = case.result()
            self.assertEqual(result["exit_code"], 0)
            self.assertNotIn("UpdStartMainWindow", [w["class"] for w in result["shown"]])
            self.assertEqual(events(case), [], "something else ran")

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
        # A name the ANSI code page of the prefix (1252) cannot carry, and the product's folder as
        # an installer writes it: expandable, in the Program Files folder of the 32-bit product.
        name = "Нордавин Антивирус"
        registry = product_key(ROW_TVX8, root=Expandable(r"%ProgramFiles%\Nordavin\Row1"), name=name)
        meant, other = thirty_two_bit_program_files() + r"\Nordavin\Row1", r"C:\Program Files\Nordavin\Row1"
        with self.started_window(registry, product_folders={meant, other}) as (case, window):
            self.assertEqual(window["caption"], CAPTION)
            self.assertEqual(control(window, LABEL3)["text"], f"{name} detected")
            self.assertEqual((window["client"]["width"], window["client"]["height"]), (707, 264))
            wait_for(lambda: case.dump()["focus"] == COMMAND1, 5, "focus on Update")
            options = (OPTION1, OPTION2, OPTION3)
            self.assertEqual([control(window, o)["check"] for o in options], [0, 1, 0])

            # The 64-bit build reads %ProgramFiles% as the product means it, not as its own folder.
            case.call("click", COMMAND1)
            logs = {folder: case.host_path(folder) / "tvx.log" for folder in (meant, other)}
            wait_for(lambda: any(log.exists() for log in logs.values()), 15, "the updater to start")
            self.assertEqual(log_lines(logs[meant]), [updater(meant) + " UPDATE "])

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
