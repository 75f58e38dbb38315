"""The real program under Wine: the outdated notice and its link, the Russian interface,
the report of the configured update source, and the folder option's picker."""

import os
import pwd
import unittest

from common import (BS_AUTORADIOBUTTON, BS_TYPEMASK, CAPTION, COMBO1, COMMAND1, COMMAND2, LABEL1, LABEL2,
                    LABEL3, LABEL4, LABEL5, LABEL6, LABEL7, OPTION1, OPTION2, OPTION3, PURE_BLUE, PURE_RED,
                    REGULAR_CONFIG, REGULAR_SOURCES, TEST_CHANNELS, TEST_SERVER_CHANNEL, TEST_SERVER_CONFIG,
                    ClientPixels, WineTestCase, center, control, crlf, full_look, is_ink, product)
from rig import wait_for

NOTICE = "You have a very old antivirus version. Please download and install actual version."
LINK = "Download new version"

PICKER_PROMPT = "Выберите папку"
IDOK, IDCANCEL = 1, 2


def wine_user():
    """The name Wine gives the prefix's user: the Unix user's."""
    return os.environ.get("USER") or pwd.getpwuid(os.getuid()).pw_name


def catch_browser(case):
    """Has Wine hand web addresses to a script that writes them down; returns its log.

    The page opens through explorer.exe, which passes the address on to Wine's
    browser launcher and ends at once; what reaches the browser is what can be
    watched without racing those short-lived processes.
    """
    log = case.prefix / "browser.log"
    script = case.prefix / "browser.sh"
    script.write_text(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{log}"\n')
    script.chmod(0o755)
    case.seed_registry({r"HKCU\Software\Wine\WineBrowser": {"Browsers": str(script)}}, view=64)
    return log


def painted_in(control_id, colour):
    def check(shot):
        count = shot.inside(control_id).count(colour)
        return None if count > 40 else f"control {control_id}: {count} pixels of {colour}"
    return check


def painted_in_default_colour(control_id):
    def check(shot):
        pixels = shot.inside(control_id)
        dark = sum(1 for pixel in pixels if max(pixel) < 80)
        coloured = sum(1 for pixel in pixels if max(pixel) - min(pixel) > 100)
        if dark > 40 and coloured == 0:
            return None
        return f"control {control_id}: {dark} dark and {coloured} coloured pixels"
    return check


def text_fits(control_id):
    """A text cut off by its control leaves ink in the control's last column."""
    def check(shot):
        cut = any(is_ink(row[-1]) for row in shot.rows(control_id))
        return f"control {control_id}: its text runs into the right edge" if cut else None
    return check


def texts_fit(window):
    """A check for every label and option that shows a text (push buttons draw a border there)."""
    def is_option(c):
        return c["class"].lower() == "button" and c["style"] & BS_TYPEMASK == BS_AUTORADIOBUTTON

    return [text_fits(c["id"]) for c in window["controls"]
            if c["visible"] and c["text"] and (c["class"].lower() == "static" or is_option(c))]


class ProductTextsTestCase(WineTestCase):
    def assert_drawn(self, case, window, checks, timeout=10):
        """Waits for a look at the window that passes every check: drawing lags the dump."""
        failures = []

        def good():
            shot = ClientPixels(case, window)
            failures[:] = [failure for failure in (check(shot) for check in checks) if failure]
            return not failures

        try:
            wait_for(good, timeout, "the window drawn as expected")
        except AssertionError:
            self.fail(f"the window is not drawn as expected: {failures}")

    def click_link(self, case, window, url):
        log = catch_browser(case)
        case.xdotool("mousemove", "--sync", *center(window, LABEL5), "click", 1)
        opened = wait_for(lambda: log.exists() and log.read_text().endswith("\n") and log.read_text(),
                          20, "the browser to be asked for a page")
        self.assertEqual(opened, url + "\n")

    def texts(self, window, ids):
        return {i: control(window, i)["text"] for i in ids}


class OutdatedNoticeTest(ProductTextsTestCase):
    def test_outdated_product_gets_red_notice_and_blue_link_to_the_download_page(self):
        name = "Nordavin Antivirus 2010"
        with self.started(product(name)) as (case, window):
            self.assertEqual(self.texts(window, (LABEL3, LABEL4, LABEL5)),
                             {LABEL3: f"{name} detected", LABEL4: NOTICE, LABEL5: LINK})
            self.assertTrue(control(window, LABEL5)["visible"])
            self.assert_drawn(case, window, [
                painted_in(LABEL4, PURE_RED),
                painted_in(LABEL5, PURE_BLUE),
                painted_in_default_colour(LABEL3),
            ] + texts_fit(window))
            case.screenshot(window["window"])
            self.click_link(case, window, "http://www.nordavin.example/productupdates")
            self.assertFalse(case.has_ended())

    def test_exempt_build_gets_no_notice(self):
        with self.started(product("Vardexon Internet Security", build="1424")) as (_, window):
            self.assertEqual(control(window, LABEL4)["text"], "")
            self.assertFalse(control(window, LABEL5)["visible"])
            self.assertEqual(control(window, LABEL3)["text"], "Vardexon Internet Security detected")

    def test_build_is_read_as_the_users_locale_reads_it(self):
        # A Russian locale writes 1424 as "1424,0" and reads "1,424" as 1.424; an English one
        # groups thousands with the comma, so there "1424,0" is 14240.
        for user_locale, build, notice in [
            ("ru_RU.UTF-8", "1424,0", ""),
            ("ru_RU.UTF-8", "1,424", NOTICE),
            ("en_US.UTF-8", "1,424", ""),
            ("en_US.UTF-8", "1424,0", NOTICE),
        ]:
            registry = product("Vardexon Internet Security", build=build)
            with self.subTest(user_locale=user_locale, build=build), self.started(
                    registry, label=f"{user_locale}-{build}", user_locale=user_locale) as (_, window):
                self.assertEqual(control(window, LABEL4)["text"], notice)
                self.assertEqual(control(window, LABEL5)["visible"], bool(notice))


class RussianInterfaceTest(ProductTextsTestCase):
    def test_russian_product_gets_russian_texts_and_the_russian_page(self):
        # A name the prefix's ANSI code page (1252) cannot carry, as the texts around it.
        name = "Нордавин Антивирус 2009"
        registry = product(name, locale="ru-RU")
        with self.started(registry, crlf(REGULAR_CONFIG).encode()) as (case, window):
            self.assertEqual(window["caption"], CAPTION)
            self.assertEqual(self.texts(window, (LABEL3, LABEL4, LABEL5, OPTION2, OPTION1, COMMAND1,
                                                 COMMAND2, LABEL1, OPTION3, LABEL7)), {
                LABEL3: f"Обнаружен {name}",
                LABEL4: "У Вас установлена устаревшая версия антивируса. Рекомендуется обновить версию.",
                LABEL5: "Скачать новую версию антивируса",
                OPTION2: "Публичные сервера",
                OPTION1: "Тестовые сервера",
                COMMAND1: "Обновить",
                COMMAND2: "Закрыть",
                LABEL1: "Укажите новый источник обновления:",
                OPTION3: "Локальный или сетевой источник обновления",
                LABEL7: "Источник обновления по умолчанию: публичные сервера обновления ЛН ",
            })
            self.assertTrue(control(window, LABEL5)["visible"])
            self.assert_drawn(case, window, [
                painted_in(LABEL4, PURE_RED),
                painted_in(LABEL5, PURE_BLUE),
                painted_in_default_colour(LABEL3),
                painted_in_default_colour(LABEL7),
            ] + texts_fit(window))
            case.screenshot(window["window"])
            self.click_link(case, window, "http://www.nordavin-ru.example/productupdates")


class ConfiguredSourceTest(ProductTextsTestCase):
    def test_test_server_config_in_each_encoding(self):
        """The product writes its configuration in any of these; each must read alike."""
        for label, config in [
            ("ascii", crlf(TEST_SERVER_CONFIG).encode()),
            ("utf8_bom", b"\xef\xbb\xbf" + crlf(TEST_SERVER_CONFIG).encode()),
            ("utf16le_bom", b"\xff\xfe" + crlf(TEST_SERVER_CONFIG).encode("utf-16-le")),
        ]:
            with self.subTest(label), self.started(product("Nordavin Antivirus"), config, label) as (
                    case, window):
                self.assertEqual(self.texts(window, (LABEL7, LABEL6)), {
                    LABEL7: "Default update source: Nordavin Lab test servers",
                    LABEL6: TEST_SERVER_CHANNEL,
                })
                self.assert_drawn(case, window, [painted_in(LABEL7, PURE_RED),
                                                 painted_in(LABEL6, PURE_RED)] + texts_fit(window))
                case.screenshot(window["window"])
                options = (OPTION1, OPTION2, OPTION3)
                self.assertEqual([control(window, o)["check"] for o in options], [1, 0, 0])
                self.assertEqual(control(window, COMBO1)["combo"]["items"], TEST_CHANNELS)

    def test_regular_config_or_none(self):
        for label, config, report in [
            ("regular", crlf(REGULAR_CONFIG).encode(),
             "Default update source: regular Nordavin Lab servers"),
            ("missing", None, ""),
        ]:
            with self.subTest(label), self.started(product("Nordavin Antivirus"), config, label) as (
                    case, window):
                self.assertEqual(self.texts(window, (LABEL7, LABEL6, LABEL2)),
                                 {LABEL7: report, LABEL6: "", LABEL2: ""})
                if report:
                    self.assert_drawn(case, window, [painted_in_default_colour(LABEL7)])
                options = (OPTION1, OPTION2, OPTION3)
                self.assertEqual([control(window, o)["check"] for o in options], [0, 1, 0])
                self.assertEqual(control(window, COMBO1)["combo"]["items"], REGULAR_SOURCES)


class FolderOptionTest(ProductTextsTestCase):
    def picker(self, case):
        """The program's folder picker: a dialog of its process (the caption is the system's)."""
        def shown():
            if case.has_ended():
                raise AssertionError(f"the program ended: {case.result()}")
            look = case.call("dialogs")
            trees = [d for d in look["dialogs"] if any(c["class"] == "SysTreeView32" for c in d["controls"])]
            return look["complete"] and trees

        pickers = wait_for(shown, 20, "the folder picker")
        self.assertEqual(len(pickers), 1, pickers)
        return pickers[0]

    def settled_combo(self, case):
        # Under Wine without a window manager the program's thread stalls for
        # about 2 s while the closed picker is taken off the screen; a look
        # then reads nothing, which must not pass for an empty list.
        window = full_look(case)
        combo = window and control(window, COMBO1)
        return combo if combo and not combo["combo"]["items"] else None

    def test_picker_cancel_or_ok(self):
        desktop = rf"C:\users\{wine_user()}\Desktop"
        # Cancel from the test channels, OK from the regular list: either list empties.
        for label, config, button, picked in [
            ("cancel", crlf(TEST_SERVER_CONFIG).encode(), IDCANCEL, ""),
            ("ok", None, IDOK, desktop),
        ]:
            with self.subTest(label), self.started(product("Nordavin Antivirus"), config, label) as (
                    case, window):
                self.assertTrue(control(window, COMBO1)["combo"]["items"])
                case.call("click", OPTION3)
                picker = self.picker(case)
                self.assertTrue(picker["owned_by_main"], "the picker does not belong to the window")
                prompts = [c for c in picker["controls"] if c["class"] == "Static" and c["text"]]
                self.assertEqual([c["text"] for c in prompts], [PICKER_PROMPT])
                wait_for(lambda: sum(1 for p in case.pixels(prompts[0]["rect"]) if max(p) < 80) > 40,
                         10, "the prompt to be drawn")
                case.screenshot(picker["rect"], "-picker")
                buttons = {c["id"] for c in picker["controls"] if c["class"] == "Button"}
                self.assertLessEqual({IDOK, IDCANCEL}, buttons)

                self.assertEqual(case.call("dialog-press", button)["posted"], 1)
                wait_for(lambda: not case.call("dialogs")["dialogs"], 10, "the picker to close")
                # The list and the text are put in place together once the picker returns.
                combo = wait_for(lambda: self.settled_combo(case), 10, "the emptied list")
                self.assertEqual(combo["text"], picked)
                self.assertEqual(control(case.dump(), OPTION3)["check"], 1)
                if picked:
                    self.assertTrue(case.host_path(picked).is_dir(), f"Wine has no {picked}")

    def test_picker_without_the_shell(self):
        """Without shell32 there is no picker, and the debug line names that library and its error."""
        def without_shell32(case):
            case.record_debug_output()
            case.env["WINEDLLOVERRIDES"] += ";shell32=d"

        with self.started(product("Nordavin Antivirus"), None, "no-shell", prepare=without_shell32) as (
                case, window):
            case.call("click", OPTION3)
            lines = wait_for(case.debug_lines, 10, "the debug line")
            # 126: the module was not found, read before ole32.dll loaded after it.
            self.assertEqual(len(lines), 1, lines)
            self.assertRegex(lines[0], r"^updstart: could not open the folder picker: shell32\.dll: error 126: ")
            self.assertFalse(case.call("dialogs")["dialogs"])


if __name__ == "__main__":
    unittest.main()
