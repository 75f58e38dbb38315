"""Runs the real program against a stand-in product and shows what the
product's updater was asked to do. Used by scripts/demo."""

import os
import shutil
import subprocess
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(REPO / "tests" / "wine"))

import rig  # noqa: E402
from common import COMBO1, COMMAND1  # noqa: E402

PRODUCT_ROOT = r"C:\Program Files\Nordavin Antivirus"
DATA_ROOT = r"C:\ProgramData\Nordavin"


def has_display():
    display = os.environ.get("DISPLAY")
    if not display or not shutil.which("xdotool"):
        return None
    probe = subprocess.run(["xdotool", "getdisplaygeometry"], capture_output=True,
                           env=dict(os.environ, DISPLAY=display))
    return display if probe.returncode == 0 else None


def install_stand_in(case):
    case.seed_registry({
        "HKLM\\SOFTWARE\\NordavinLab\\protected\\TVX16\\environment": {
            "ProductRoot": PRODUCT_ROOT,
            "DataRoot": DATA_ROOT,
            "ProductName": "Nordavin Antivirus 16",
            "Build": "1424",
            "Localization": os.environ.get("DEMO_LOCALE", "en-US"),
        }
    })
    config = case.host_path(DATA_ROOT + r"\Data\updcfg.xml")
    config.parent.mkdir(parents=True, exist_ok=True)
    config.write_text('<source url="http://update01.nordavin.example" weight="1"/>\r\n')
    return case.install_product(PRODUCT_ROOT)


def main():
    rig.choose_arch_or_exit()
    print(f"Demo of the {rig.ARCH.describe()}")
    display = has_display()
    case = rig.Case("demo")
    if display:
        case.display = display
        case.env["DISPLAY"] = display
    try:
        log = install_stand_in(case)
        case.start()
        window = case.wait_for_window()
        if display:
            print("The program is running on your display; press Update, then Close.")
            case.result(timeout=24 * 3600)
        else:
            case.call("set-text", COMBO1, "http://update05.nordavin.example")
            case.call("click", COMMAND1)
            rig.wait_for(lambda: log.exists() and log.read_text(encoding="utf-8"), 30,
                         "the stand-in updater's log")
            shot = case.screenshot(rect=window["client"])
            target = REPO / "build" / "demo.png"
            shutil.copy2(shot, target)
            print(f"Screenshot of the window: {target}")
            case.call("close")
            case.result()
        print("The product's updater was started with:")
        print(log.read_text(encoding="utf-8") if log.exists() else "  (nothing: Update was not pressed)")
    finally:
        case.close()


if __name__ == "__main__":
    main()
