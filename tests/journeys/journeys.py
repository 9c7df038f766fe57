#!/usr/bin/env python3
"""The application's journeys, run as a person would: the real program in its window under Xvfb,
its real engines, and the demo service with its sample tours. Each journey's screenshots and
contact sheet go to OUT/<journey>/; a failing journey names its step and keeps its last
screenshot and the program's console there.

usage: journeys.py BUILD_DIR OUT_DIR [JOURNEY...]"""

import os
import shutil
import sys
import tempfile
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from driver import DemoService, Journey, Program, StepFailed, find, texts  # noqa: E402

# The home screen's entry buttons in a landscape tablet window, and their pictures per language.
CATALOGUE_BUTTON = "btnCatalogLand"
SETTINGS_BUTTON = "btnSettingsLand"


def home_in(program, language):
    return program.wait_view(f'the home screen in "{language}" (catalogue button picture catalog-{language})',
                             id=CATALOGUE_BUTTON, image=f"catalog-{language}")


def journey_launch(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    try:
        j.step("home in the locale's language (Spanish)")
        j.launch(build, os.path.join(work, "spanish-locale"), service, language="es_ES.UTF-8")
        home_in(j.program, "es")
        j.shot("home-spanish-locale")

        j.step("home in the locale's language (English)")
        home = os.path.join(work, "home")
        j.launch(build, home, service, language="en_US.UTF-8")
        home_in(j.program, "en")
        j.shot("home-english-locale")

        j.step("open the settings")
        j.program.tap("the settings button", id=SETTINGS_BUTTON)
        j.program.wait("the settings screen", lambda t: t["screen"] == "ParametersController")
        j.shot("settings")
    finally:
        service.stop()


JOURNEYS = [
    ("launch", journey_launch),
]


def run(name, journey, build, out):
    j = Journey(name, out)
    work = tempfile.mkdtemp(prefix=f"tq-journey-{name}-")
    try:
        j.step("start")
        journey(j, build, work)
        j.shot("end")
        print(f"journey {name}: passed ({len(j.shots)} screenshots in {j.folder})")
        return True
    except (StepFailed, Exception) as error:
        j.shot("failed")
        print(f'journey {name}: FAILED at step "{j.step_name}": {error}')
        if not isinstance(error, StepFailed):
            traceback.print_exc()
        if j.program:
            console = os.path.join(j.folder, "console.log")
            shutil.copy(j.program.console_path, console)
            print(f"  last screenshot and the program's console kept in {j.folder}")
        return False
    finally:
        if j.program:
            j.program.quit()
        j.contact_sheet()
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    build, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    wanted = sys.argv[3:]
    os.makedirs(out, exist_ok=True)
    results = [run(name, journey, build, out) for name, journey in JOURNEYS if not wanted or name in wanted]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
