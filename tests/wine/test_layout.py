"""The real program under Wine: the keyboard order, the list's name for a screen reader, whether
every caption fits its place, and the whole window at 150 % and 200 %."""

import unittest

import rig
from common import (COMBO1, COMMAND1, COMMAND2, LABEL1, OPTION1, OPTION2, OPTION3, REGULAR_CONFIG, ROW_TVX8,
                    TEST_CHANNELS, TEST_SERVER_CHANNEL, TEST_SERVER_CONFIG, ClientPixels, WineTestCase, control,
                    crlf, empty_spot, is_ink, product, product_root)
from rig import wait_for

INPUT_CONTROLS = {COMMAND1, COMBO1, COMMAND2, OPTION1, OPTION2, OPTION3}
OPTIONS = (OPTION1, OPTION2, OPTION3)
REGULAR_COUNT, TEST_COUNT = 22, len(TEST_CHANNELS)

# The longest test channel, to see that Label6 holds any of them.
LONGEST_CHANNEL = max(TEST_CHANNELS, key=len)
LONGEST_CHANNEL_CONFIG = TEST_SERVER_CONFIG.replace(TEST_SERVER_CHANNEL, LONGEST_CHANNEL)

# Outdated names: the notice and its link show too.
OUTDATED_EN = "Nordavin Antivirus 2010"
OUTDATED_RU = "Нордавин Антивирус 2009"

# Measured with Wine's Tahoma at 100 %, in pixels (text / room): the Russian
# folder option 252 / 249, the download link 185 / 177 and the regular-source
# report 399 / 393 (402 with its trailing blank). At 150 % the link is still
# 267 / 266; at 200 % all three fit. Wine's labels and buttons draw glyphs a
# little tighter than the font's own measure (an "i" takes 2 px, not 3), so
# on Wine's screen they are drawn whole, which a test checks. On Windows the
# dialog face is Microsoft Sans Serif, narrower than Tahoma, the face the
# layout was made with.
RUSSIAN_TOO_WIDE = {
    "Локальный или сетевой источник обновления",
    "Скачать новую версию антивируса",
    "Источник обновления по умолчанию: публичные сервера обновления ЛН",
}

# Display scalings to compare with 100 %, and a screen the 200 % window fits on.
SCALINGS = (144, 192)
LARGE_SCREEN = "2048x1536x24"


def option_checks(window):
    return [control(window, option)["check"] for option in OPTIONS]


def wait_for_list(case, length):
    """A look at the window once the source list has that many entries."""
    def switched():
        look = case.dump()
        return look if len(control(look, COMBO1)["combo"]["items"]) == length else None

    return wait_for(switched, 5, f"a list of {length} sources")


def rect_edges(rect):
    return rect["left"], rect["top"], rect["left"] + rect["width"], rect["top"] + rect["height"]


def overlapping_pairs(window):
    """The pairs of visible controls whose rectangles share pixels."""
    shown = [(c["id"], rect_edges(c["rect"])) for c in window["controls"] if c["visible"]]
    pairs = set()
    for i, (a, (al, at, ar, ab)) in enumerate(shown):
        for b, (bl, bt, br, bb) in shown[i + 1:]:
            if al < br and bl < ar and at < bb and bt < ab:
                pairs.add(frozenset((a, b)))
    return pairs


def ink_box(shot, control_id):
    """(left, top, right, bottom) of what is drawn inside a control, or None."""
    rows = shot.rows(control_id)
    xs = [x for row in rows for x, pixel in enumerate(row) if is_ink(pixel)]
    ys = [y for y, row in enumerate(rows) if any(is_ink(pixel) for pixel in row)]
    return (min(xs), min(ys), max(xs) + 1, max(ys) + 1) if xs else None


def measure_captions(case, window):
    """{(control id, text): text-fit answer} for every caption shown and every item of the list.

    A trailing blank takes room but shows nothing, so it is left out.
    """
    fits = {}
    for c in window["controls"]:
        if c["class"].lower() == "combobox":
            for item in c["combo"]["items"]:
                fits[(c["id"], item)] = case.call("text-fit", c["id"], item)
        elif c["visible"] and c["text"].strip():
            fits[(c["id"], c["text"].rstrip())] = case.call("text-fit", c["id"], c["text"].rstrip())
    return fits


def too_wide(fits):
    """"'text' in <id>: width / room px" for each text wider than its room."""
    return [f"{text!r} in {cid}: {fit['width']} / {fit['room']} px"
            for (cid, text), fit in fits.items() if fit["width"] > fit["room"]]


class LayoutTestCase(WineTestCase):
    def started(self, registry, config=None, label="", dpi=None):
        """As WineTestCase.started; config is the text of updcfg.xml, written with CRLF line ends."""
        return super().started(registry, None if config is None else crlf(config).encode(), label, dpi)


class KeyboardTest(LayoutTestCase):
    def focus_window(self, case, window):
        """Gives the window the keyboard; without a window manager nothing else does."""
        case.xdotool("windowfocus", "--sync", case.x_window_at(*empty_spot(window)))
        self.wait_for_focus(case, COMMAND1, "the window's first focus")

    def wait_for_focus(self, case, expected, after):
        seen = []

        def arrived():
            look = case.dump()
            seen.append(look["focus"])
            return look if look["focus"] == expected else None

        try:
            return wait_for(arrived, 5, f"the focus on {expected}")
        except AssertionError:
            pass
        self.fail(f"after {after} the focus is on {seen[-1]}, not {expected}")

    def press(self, case, key, expected):
        case.xdotool("key", key)
        return self.wait_for_focus(case, expected, key)

    def test_tab_shift_tab_and_arrows_reach_every_control(self):
        with self.started(product("Nordavin Antivirus")) as (case, window):
            self.focus_window(case, window)
            reached = {COMMAND1}
            # Only the selected option is a tab stop; Tab passes the labels.
            for key, expected in [("Tab", COMBO1), ("Tab", COMMAND2), ("Tab", OPTION2), ("Tab", COMMAND1),
                                  ("shift+Tab", OPTION2), ("shift+Tab", COMMAND2), ("shift+Tab", COMBO1),
                                  ("shift+Tab", COMMAND1), ("shift+Tab", OPTION2)]:
                reached.add(expected)
                look = self.press(case, key, expected)
            self.assertEqual(option_checks(look), [0, 1, 0], "moving the focus changed the option")

            # An arrow selects the option it reaches, which switches the list.
            self.press(case, "Up", OPTION1)
            look = wait_for_list(case, TEST_COUNT)
            self.assertEqual(option_checks(look), [1, 0, 0])
            # The tab stop moved with the selection.
            self.press(case, "Tab", COMMAND1)
            self.press(case, "shift+Tab", OPTION1)
            self.press(case, "Down", OPTION2)
            look = wait_for_list(case, REGULAR_COUNT)
            self.assertEqual(option_checks(look), [0, 1, 0])

            # The folder option opens its picker as soon as the keyboard selects it.
            case.xdotool("key", "Down")
            wait_for(lambda: any(c["class"] == "SysTreeView32" for d in case.call("dialogs")["dialogs"]
                                 for c in d["controls"]), 20, "the folder picker")
            self.assertEqual(option_checks(case.dump()), [0, 0, 1])
            reached |= {OPTION1, OPTION3}
            self.assertEqual(reached, INPUT_CONTROLS)

    def test_space_presses_the_focused_button(self):
        for label, keys, button in [("update", [], COMMAND1), ("close", ["Tab", "Tab"], COMMAND2)]:
            with self.subTest(label), self.started(product("Nordavin Antivirus"), label=label) as (
                    case, window):
                self.focus_window(case, window)
                for key, expected in zip(keys, (COMBO1, COMMAND2)):
                    self.press(case, key, expected)
                case.xdotool("key", "space")
                if button == COMMAND1:
                    log = case.host_path(product_root(ROW_TVX8)) / "tvx.log"
                    line = wait_for(lambda: log.exists() and log.read_text(encoding="utf-8"), 15,
                                    "the updater to start")
                    self.assertIn(" UPDATE ", line)
                    self.assertFalse(case.has_ended())
                else:
                    result = case.result()
                    self.assertFalse(result["timed_out"])
                    self.assertEqual(result["exit_code"], 0)


class ScreenReaderTest(LayoutTestCase):
    def test_label_directly_precedes_the_list_it_names(self):
        """A screen reader names a combo box by the label just before it among the window's children.

        Wine's own accessibility layer names the combo box by its text instead,
        so the order is what can be checked here.
        """
        with self.started(product("Nordavin Antivirus")) as (_, window):
            order = [c["id"] for c in window["controls"]]  # the driver walks them in that order
            self.assertEqual(order[order.index(COMBO1) - 1], LABEL1, order)
            label = control(window, LABEL1)
            self.assertTrue(label["visible"] and label["text"].strip(), label)


class CaptionFitTest(LayoutTestCase):
    """Every caption against the room its control leaves it, in the window's font at 100 %."""

    def captions(self, runs):
        fits = {}
        for label, registry, config in runs:
            with self.subTest(label), self.started(registry, config, label) as (case, window):
                measured = measure_captions(case, window)
                self.assertEqual({fit["dpi"] for fit in measured.values()}, {96}, "not at 100 %")
                fits.update(measured)
        return fits

    def assert_shown(self, fits, texts):
        shown = {text for _, text in fits}
        self.assertLessEqual(set(texts), shown, "a caption to measure was not shown")

    def test_english_captions_fit(self):
        fits = self.captions([
            ("outdated_test_server", product(OUTDATED_EN), LONGEST_CHANNEL_CONFIG),
            ("regular", product("Nordavin Antivirus"), REGULAR_CONFIG),
        ])
        self.assert_shown(fits, [LONGEST_CHANNEL, "Default update source: regular Nordavin Lab servers",
                                 "Default update source: Nordavin Lab test servers", "Download new version"])
        self.assertEqual(too_wide(fits), [])

    # The notice, the link and the regular-source report show with an outdated
    # product and a regular configuration; the test channel needs its own run.
    RUSSIAN_REGULAR = ("outdated_regular", product(OUTDATED_RU, locale="ru-RU"), REGULAR_CONFIG)
    RUSSIAN_TEST_SERVER = ("test_server", product(OUTDATED_RU, locale="ru-RU"), LONGEST_CHANNEL_CONFIG)

    def test_russian_captions_fit(self):
        fits = self.captions([self.RUSSIAN_REGULAR, self.RUSSIAN_TEST_SERVER])
        self.assert_shown(fits, [LONGEST_CHANNEL, "Источник обновления по умолчанию: тестовые сервера ЛН",
                                 *RUSSIAN_TOO_WIDE])
        self.assertEqual(too_wide({key: fit for key, fit in fits.items() if key[1] not in RUSSIAN_TOO_WIDE}),
                         [])

    def test_russian_captions_measured_too_wide_are_drawn_whole(self):
        """Each caption's ink ends where the same text drawn whole ends, inside its control.

        A caption cut at its control's edge, or whose last word the label
        wraps out of sight, ends short of that.
        """
        with self.started(*self.RUSSIAN_REGULAR[1:], "drawn") as (case, window):
            captions = {c["text"].rstrip(): c for c in window["controls"]
                        if c["visible"] and c["text"].rstrip() in RUSSIAN_TOO_WIDE}
            self.assertEqual(set(captions), RUSSIAN_TOO_WIDE)
            shot = wait_for(lambda: self.drawn(case, window, captions.values()), 10, "the captions drawn")
            for text, c in captions.items():
                with self.subTest(text):
                    fit = case.call("text-fit", c["id"], text)
                    whole = case.call("text-ink", text)
                    ends = ink_box(shot, c["id"])[2]
                    self.assertLessEqual(ends, c["rect"]["width"] - 1, "the ink touches the control's edge")
                    self.assertLessEqual(abs(ends - (fit["indent"] + whole["right"])), 1,
                                         f"ink ends at {ends}, drawn whole it ends at "
                                         f"{fit['indent']} + {whole['right']}")

    @staticmethod
    def drawn(case, window, controls):
        shot = ClientPixels(case, window)
        return shot if all(ink_box(shot, c["id"]) for c in controls) else None


class ScalingTest(LayoutTestCase):
    @classmethod
    def setUpClass(cls):
        rig.use_screen(LARGE_SCREEN)

    def look_at(self, dpi):
        """The window at a DPI: its dump, the captions measured, and Label1's ink, once drawn."""
        with self.started(product(OUTDATED_EN), REGULAR_CONFIG, f"dpi{dpi}", dpi) as (case, window):
            ink = wait_for(lambda: ink_box(ClientPixels(case, window), LABEL1), 10, "Label1 drawn")
            case.screenshot(window["client"], f"-{dpi}dpi")
            return window, measure_captions(case, window), ink

    def test_150_and_200_percent_scale_the_whole_window(self):
        base, base_fits, base_ink = self.look_at(96)
        base_overlaps = overlapping_pairs(base)
        label_text = (LABEL1, control(base, LABEL1)["text"])
        for dpi in SCALINGS:
            scale = dpi / 96
            with self.subTest(dpi=dpi):
                window, fits, ink = self.look_at(dpi)
                for edge in ("width", "height"):
                    self.assertAlmostEqual(window["client"][edge], base["client"][edge] * scale, delta=2,
                                           msg=f"client {edge}")
                for before in base["controls"]:
                    after = control(window, before["id"])["rect"]
                    for edge, value in before["rect"].items():
                        self.assertAlmostEqual(after[edge], value * scale, delta=2,
                                               msg=f"control {before['id']} {edge}")
                self.assertLessEqual(overlapping_pairs(window), base_overlaps, "new overlaps")

                # The 8-point font rounds to whole pixels (11, 16, 21) and hinting
                # moves widths a little more; a font left at 100 % or scaled twice
                # is off by far more than this.
                for what, now, then in [
                    ("line height", fits[label_text]["line_height"], base_fits[label_text]["line_height"]),
                    ("text width", fits[label_text]["width"], base_fits[label_text]["width"]),
                    ("drawn text height", ink[3] - ink[1], base_ink[3] - base_ink[1]),
                ]:
                    self.assertAlmostEqual(now / then, scale, delta=scale * 0.15,
                                           msg=f"{what}: {then} px at 100 %, {now} px at {dpi} DPI")
                fitting_before = {key for key, fit in base_fits.items() if fit["width"] <= fit["room"]}
                self.assertEqual(too_wide({key: fits[key] for key in fitting_before}), [],
                                 "captions that fit at 100 %")


if __name__ == "__main__":
    unittest.main()
