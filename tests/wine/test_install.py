"""The installer package under Wine's msiexec: a silent per-machine install that starts and registers
its event source, an upgrade to a newer package, a refused downgrade, the other architecture's package
taking over, and an uninstall that leaves nothing behind."""

import re
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

import rig
from common import CAPTION, COMMAND2, ROW_TVX8, WineTestCase, product_key, product_root

REPO = rig.REPO
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
PRODUCTS_KEY = r"HKLM\Software\Classes\Installer\Products"
EVENT_SOURCE_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Nordavin updater starter"
FOLDER_NAME = "Nordavin updater starter"
# ERROR_INSTALL_FAILURE, as a Linux exit status carries it: its low byte.
MSI_FAILURE = 1603 % 256

# The package's version is the one the caption shows.
VERSION = CAPTION.rsplit(" ", 1)[1]
MAJOR, MINOR, REVISION = VERSION.split(".")
NEWER = f"{MAJOR}.{MINOR}.{int(REVISION) + 1}"


def other_arch():
    return rig.Arch("64" if rig.ARCH.bits == "32" else "32")


def make_package(folder, arch, program, version):
    """scripts/make-msi's package of program as version (three fields), in folder."""
    output = folder / f"updstart-{version}-win{arch.bits}.msi"
    subprocess.run([str(REPO / "scripts" / "make-msi"), "--arch", f"win{arch.bits}", "--program", str(program),
                    "--output", str(output), "--version", f"{MAJOR}.{MINOR}.0.{version.rsplit('.', 1)[1]}"],
                   check=True, capture_output=True)
    return output


def parse_reg(text):
    """{key: {value name: text or number}} of an exported .reg file; string and DWORD values are read."""
    keys, current = {}, None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and (found := re.match(r'^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$', line)):
            current[found.group(1)] = re.sub(r"\\(.)", r"\1", found.group(2))
        elif current is not None and (found := re.match(r'^"((?:[^"\\]|\\.)*)"=dword:([0-9a-f]{8})$', line)):
            current[found.group(1)] = int(found.group(2), 16)
    return keys


class InstallTest(WineTestCase):
    @classmethod
    def setUpClass(cls):
        cls.packages = Path(tempfile.mkdtemp(prefix="updstart-packages-"))
        cls.addClassCleanup(shutil.rmtree, cls.packages)
        cls.older = make_package(cls.packages, rig.ARCH, rig.PROGRAM, VERSION)
        cls.newer = make_package(cls.packages, rig.ARCH, rig.PROGRAM, NEWER)
        other = other_arch()
        cls.other = other.program.exists() and make_package(cls.packages, other, other.program, NEWER)

    def msiexec(self, case, *args):
        """msiexec's exit code; the package is copied into the prefix and named by its C: path."""
        *options, package = args
        copy = case.host_path(rf"C:\packages\{package.name}")
        copy.parent.mkdir(exist_ok=True)
        shutil.copyfile(package, copy)
        done = subprocess.run([rig.WINE, "msiexec", *options, rf"C:\packages\{package.name}", "/qn"],
                              env=case.env, capture_output=True, timeout=180)
        return done.returncode

    def exported(self, case, key, view, must_exist=True):
        """{key: values} under key, its path in lower case; Wine's `reg query` writes nothing into a pipe."""
        target = case.host_path(r"C:\exported.reg")
        target.unlink(missing_ok=True)
        done = subprocess.run([rig.WINE, "reg", "export", key, r"C:\exported.reg", "/y", f"/reg:{view}"],
                              env=case.env, capture_output=True, timeout=60, check=must_exist)
        if done.returncode != 0:
            return {}
        return {k.lower(): v for k, v in parse_reg(target.read_bytes().decode("utf-16")).items()}

    def entries(self, case):
        """{product code: values} of this program's Programs and Features entries, in either registry view."""
        # A prefix booted without 32-bit Wine has no 32-bit Uninstall key until a 32-bit package makes one.
        found = {**self.exported(case, UNINSTALL_KEY, 32, must_exist=False), **self.exported(case, UNINSTALL_KEY, 64)}
        return {key.rsplit("\\", 1)[1].upper(): values for key, values in found.items()
                if values.get("DisplayName") == FOLDER_NAME}

    def shortcuts(self, case):
        """The Start-menu shortcuts named after the program, in the user's and in all users' menus.

        Wine 8's msiexec puts every shortcut into the user's menu; Windows puts
        a per-machine package's into all users'.
        """
        menus = [case.prefix / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs",
                 *(case.prefix / "drive_c" / "users").glob("*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs")]
        return [menu / f"{FOLDER_NAME}.lnk" for menu in menus if (menu / f"{FOLDER_NAME}.lnk").exists()]

    def program_folder(self, case, arch):
        """Where a package of arch installs, as a Windows path."""
        # A 32-bit package goes into the 32-bit Program Files, which only a 64-bit system tells apart.
        if arch.bits == "32" and case.host_path(r"C:\Program Files (x86)").is_dir():
            return rf"C:\Program Files (x86)\{FOLDER_NAME}"
        return rf"C:\Program Files\{FOLDER_NAME}"

    def event_source(self, case):
        """The values of the program's event source as the event log service reads them, None without it.

        The service is a native program: a 32-bit package's key must be there
        too, not in a view of its own.
        """
        keys = self.exported(case, EVENT_SOURCE_KEY, 64, must_exist=False)
        return keys.get(EVENT_SOURCE_KEY.lower().replace("hklm", "hkey_local_machine", 1))

    def assert_installed(self, case, arch, program, version):
        target = self.program_folder(case, arch) + r"\updstart.exe"
        folder = case.host_path(self.program_folder(case, arch))
        self.assertEqual(sorted(p.name for p in folder.iterdir()), ["updstart.exe"])
        self.assertTrue((folder / "updstart.exe").read_bytes() == program.read_bytes(), "another program installed")
        entries = self.entries(case)
        self.assertEqual(len(entries), 1, entries)
        (code, values), = entries.items()
        self.assertEqual((values["DisplayVersion"], values["Publisher"]), (version, "Nordavin Lab"))
        self.assertEqual(values.get("InstallLocation"), self.program_folder(case, arch) + "\\")
        self.assertEqual(self.event_source(case), {"EventMessageFile": target, "TypesSupported": 7})
        packed = "".join(code[1:-1].split("-"))
        packed = "".join(p[::-1] for p in (packed[:8], packed[8:12], packed[12:16])) + "".join(
            packed[i + 1] + packed[i] for i in range(16, 32, 2))
        products = self.exported(case, PRODUCTS_KEY, 64)
        icon = next(values for key, values in products.items() if key.endswith("\\" + packed.lower()))
        self.assertEqual(case.host_path(icon["ProductIcon"]).read_bytes(),
                         (REPO / "src" / "app" / "win32" / "resources" / "updstart.ico").read_bytes())
        shortcuts = self.shortcuts(case)
        self.assertEqual(len(shortcuts), 1, shortcuts)
        # The link's target, as its local base path holds it.
        self.assertIn(target.encode("ascii") + b"\0", shortcuts[0].read_bytes())
        return code

    def test_silent_install_start_upgrade_downgrade_and_uninstall(self):
        arch = rig.ARCH
        with self.new_case() as case:
            case.install_product(product_root(ROW_TVX8))
            case.seed_registry(product_key(ROW_TVX8))

            self.assertEqual(self.msiexec(case, "/i", self.older), 0)
            older_code = self.assert_installed(case, arch, rig.PROGRAM, VERSION)
            case.start(command_line=f'"{self.program_folder(case, arch)}\\updstart.exe"')
            window = case.wait_for_window()
            case.screenshot(window["window"])
            self.assertEqual(window["caption"], CAPTION)
            case.call("click", COMMAND2)
            self.assertEqual(case.result()["exit_code"], 0)

            with self.subTest("a newer package replaces it"):
                self.assertEqual(self.msiexec(case, "/i", self.newer), 0)
                newer_code = self.assert_installed(case, arch, rig.PROGRAM, NEWER)
                self.assertNotEqual(newer_code, older_code)
            with self.subTest("an older package is refused"):
                self.assertEqual(self.msiexec(case, "/i", self.older), MSI_FAILURE)
                self.assertEqual(self.assert_installed(case, arch, rig.PROGRAM, NEWER), newer_code)

            last, last_arch = self.newer, arch
            if self.other and (case.prefix / "drive_c" / "Program Files (x86)").is_dir():
                with self.subTest("the other architecture's package of the same version replaces it"):
                    self.assertEqual(self.msiexec(case, "/i", self.other), 0)
                    self.assert_installed(case, other_arch(), other_arch().program, NEWER)
                    self.assertFalse(case.host_path(self.program_folder(case, arch)).exists())
                    last, last_arch = self.other, other_arch()

            self.assertEqual(self.msiexec(case, "/x", last), 0)
            self.assertFalse(case.host_path(self.program_folder(case, last_arch)).exists(),
                             "the program's folder is left")
            self.assertEqual(self.entries(case), {})
            self.assertIsNone(self.event_source(case))
            self.assertEqual(self.shortcuts(case), [])
            self.assertEqual(list(case.host_path(r"C:\windows\Installer").glob("{*}")), [])


if __name__ == "__main__":
    unittest.main()
