#!/usr/bin/env python3
"""The application's journeys, run as a person would: the real program in its window under Xvfb,
its real engines, and the demo service with its sample tours. Each journey's screenshots and
contact sheet go to OUT/<journey>/; a failing journey names its step and keeps its last
screenshot and the program's console there.

usage: journeys.py BUILD_DIR OUT_DIR [JOURNEY...]"""

import json
import os
import plistlib
import shutil
import sqlite3
import sys
import tempfile
import traceback

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from driver import DemoService, Journey, StepFailed, unexpected_console_lines  # noqa: E402

# The journeys of the other modules reuse this one's steps: they find it under its own name even
# when it runs as the main program.
sys.modules.setdefault("journeys", sys.modules[__name__])

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

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
    finally:
        service.stop()


def journey_language_setting(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    try:
        j.step("home in English")
        home = os.path.join(work, "home")
        j.launch(build, home, service, language="en_US.UTF-8")
        home_in(j.program, "en")
        j.step("open the settings")
        j.program.tap("the settings button", id=SETTINGS_BUTTON,
                      until=lambda t: t["screen"] == "ParametersController", until_says="the settings screen")
        j.shot("settings")

        j.step("choose French as the interface language")
        j.program.choose("the interface language choice", "segLang", text="Français")
        j.shot("french-chosen")

        j.step("after a relaunch, the home screen is in French")
        j.launch(build, home, service, language="en_US.UTF-8")
        home_in(j.program, "fr")
        j.shot("home-french")
    finally:
        service.stop()


def tour_titles(tree):
    return [view["text"] for view in tree["views"] if view["id"] == "lblTitle" and view["hit"] and view["h"] > 0]


def show_order(program, segment):
    """Chooses a segment of the catalogue's order bar and waits until its tours are drawn."""
    program.choose("the catalogue's orders", "segmentBar", text=segment)
    return program.wait(f'the tours of the order "{segment}"', lambda t: tour_titles(t))


def nearest_city(tree):
    near = sorted((v for v in tree["views"] if v["id"] == "lblCity" and v["h"] > 0), key=lambda v: v["y"])
    return near[0]["text"] if near else "no city"


def journey_catalogue(j, build, work):
    j.step("home, started by the run command with its own set-up")
    # The visitor stands in Barcelona's Gothic quarter.
    j.launch(build, os.path.join(work, "home"), None, location="41.3839,2.1763", run_command=SOURCE)
    home_in(j.program, "en")
    j.step("open the catalogue")
    j.program.tap("the catalogue button", id=CATALOGUE_BUTTON, until=lambda t: t["screen"] != "HomeController",
                  until_says="the catalogue")
    j.program.wait_view("a tour of the catalogue drawn where it can be tapped", clickable=True, id="lblTitle")
    j.shot("catalogue")
    orders = {}
    for segment in ("Featured", "Latest", "Near me"):
        j.step(f'the order "{segment}"')
        orders[segment] = tour_titles(show_order(j.program, segment))
        j.shot(segment.lower().replace(" ", "-"))
    j.step('"Near me" starts from the --location position')
    try:
        j.program.wait('the nearest tour in Barcelona', lambda t: "Barcelona" in nearest_city(t))
    except StepFailed:
        raise StepFailed(f"the nearest tour from Barcelona is in {nearest_city(j.program.tree())}")

    j.step("pick a tour: its presentation")
    j.program.tap("a tour of the list", id="lblTitle", until=lambda t: t["screen"] == "TourDetailController",
                  until_says="the tour's presentation")
    title = j.program.wait_view("the presentation's title", id="lblTitle", clickable=True)["text"]
    j.shot("presentation")

    j.step("the presentation's language versions")
    versions = j.program.scroll_to("the language versions", id="segLanguageLand")
    j.shot("language-versions")
    names = versions["text"].split("|")
    if len(names) < 2:
        raise StepFailed(f"the tour shows one language version only: {versions['text']}")

    j.step("switch to another language version: the text changes")
    current = j.program.wait_view("the current language's name", id="lblCurrentLangLand")["text"]
    # Spanish, unless the tour is shown in Spanish already.
    others = [p for p in versions["parts"] if p["text"] != current]
    other = next((p for p in others if p["text"] == "Español"), others[0])
    j.program.click(other)
    j.program.wait(f'the presentation in {other["text"]} (title other than "{title}")',
                   lambda t: any(v["id"] == "lblTitle" and v["text"] not in ("", title) for v in t["views"]),
                   timeout=20)
    j.program.scroll_to("the title", id="lblTitle")
    j.shot("other-language")


LINKED_TOUR = "9102"  # "Old Lyon and its traboules" in the sample tours


def journey_links(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    try:
        j.step("a tour and point link opened at launch")
        j.launch(build, os.path.join(work, "home"), service,
                 extra=["--open-url", f"https://www.trelvoquest.com/circuit/{LINKED_TOUR}/old-lyon/1"])
        j.program.wait("the linked tour's map (MapLeafletController)",
                       lambda t: t["screen"] == "MapLeafletController", timeout=20)
        j.program.wait_view("the map's point controls", id="btnNext")
        j.shot("linked-tour-map")

        j.step("close the map's how-it-works picture")
        j.program.close_hint()
        j.shot("map-ready")

        j.step("back from the map")
        back = j.program.wait("the navigation bar's back button",
                              lambda t: back_button(t) is not None)
        j.program.click(back_button(back))
        tree = j.program.wait("the screen under the map", lambda t: t["screen"] != "MapLeafletController")
        j.shot(tree["screen"])

        journeys_store.links_into_running_program(j)
    finally:
        service.stop()


def back_button(tree):
    for view in tree["views"]:
        if view["kind"] == "NavigationBar":
            for part in view.get("parts", []):
                if part["text"].startswith("\u2039") and part["hit"]:
                    return part
    return None


def dictionary_texts(key):
    """The texts of a dictionary key in the three languages of the bundle."""
    resources = os.path.join(SOURCE, "resources")
    values = set()
    for code in ("EN", "FR", "ES"):
        with open(os.path.join(resources, f"TrelvoQuestLanguage{code}.plist"), "rb") as file:
            values.add(plistlib.load(file)[key])
    return values


def dialog_says(tree, key):
    dialog = tree.get("dialog")
    return bool(dialog) and any(text.strip() in dictionary_texts(key) for text in dialog["texts"])


def sample_tour_id(title):
    """The identifier the sample tours give the version with this title."""
    with open(os.path.join(SOURCE, "tools", "demo-service", "samples", "sample-tours.json")) as file:
        samples = json.load(file)
    for group in samples["groups"]:
        for version in group["versions"].values():
            if version["title"] == title:
                return version["id"]
    raise StepFailed(f'no sample tour is called "{title}"')


def stored_tour_ids(home):
    database = os.path.join(home, "cache", "trelvoquest", "TrelvoQuest.sqlite3")
    if not os.path.exists(database):
        return set()
    with sqlite3.connect(f"file:{database}?mode=ro", uri=True) as connection:
        return {row[0] for row in connection.execute('SELECT "id_circuit" FROM "Catalog"')}


def pick_catalogue_tour(j):
    """From the home screen: opens the catalogue and the first tour's presentation; the tour's id."""
    open_catalogue_tour(j.program)
    title = j.program.wait_view("the tour's presentation and its title", id="lblTitle", clickable=True)["text"]
    j.shot("presentation")
    return sample_tour_id(title)


def open_catalogue_tour(program):
    """From the home screen: the catalogue, then its first tour's presentation."""
    program.tap("the catalogue button", id=CATALOGUE_BUTTON, until=lambda t: t["screen"] != "HomeController",
                until_says="the catalogue")
    program.tap("a tour of the list", id="lblTitle", until=lambda t: t["screen"] == "TourDetailController",
                until_says="the tour's presentation")


def preload_and_confirm(j):
    """On a tour's presentation: preload, confirm, and close the "PreloadStarted" alert."""
    j.program.tap("the preload button", id="btnPreload", until=lambda t: t["dialog"],
                  until_says="the download's confirmation")
    confirm = j.program.wait("the download's confirmation",
                             lambda t: t["dialog"] and len(t["dialog"]["buttons"]) == 2)
    j.shot("confirm")
    j.program.tap_dialog_button(confirm["dialog"]["buttons"][-1]["text"], closes=False)
    started = j.program.wait('the "PreloadStarted" alert', lambda t: dialog_says(t, "PreloadStarted"))
    j.shot("download-started")
    j.program.tap_dialog_button(started["dialog"]["buttons"][-1]["text"])


def download_complete(j):
    """Waits for the "DownloadComplete" alert and closes it with "OK"."""
    done = j.program.wait('the "DownloadComplete" alert (its "DownloadDoneMessage")',
                          lambda t: dialog_says(t, "DownloadDoneMessage"), timeout=60)
    j.shot("download-complete")
    if not any(b["text"] in dictionary_texts("ShowMyTours") for b in done["dialog"]["buttons"]):
        raise StepFailed('the "DownloadComplete" alert has no "ShowMyTours" action')
    j.program.tap_dialog_button("OK")


def tour_folder(home, tour):
    return os.path.join(home, "cache", "trelvoquest", "circuit", f"circuit{tour}")


def check_stored(home, tour):
    if tour not in stored_tour_ids(home):
        raise StepFailed(f"tour {tour} has no row in the catalogue database: {sorted(stored_tour_ids(home))}")
    folder = tour_folder(home, tour)
    if not os.path.isdir(folder) or not os.listdir(folder):
        raise StepFailed(f"tour {tour} has no folder with its files at {folder}")


def download_catalogue_tour(j, home):
    """From the home screen: picks the catalogue's first tour, preloads it, answers the alerts and
    checks that it is stored. Returns the tour's identifier."""
    j.step("pick a tour of the catalogue")
    tour = pick_catalogue_tour(j)

    j.step("preload and confirm")
    preload_and_confirm(j)

    j.step('the "DownloadComplete" alert')
    download_complete(j)

    j.step("the tour is stored: its row and its folder")
    check_stored(home, tour)
    j.shot("stored")
    return tour


def journey_download(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    home = os.path.join(work, "home")
    try:
        j.step("home")
        j.launch(build, home, service)
        home_in(j.program, "en")
        download_catalogue_tour(j, home)
    finally:
        service.stop()


# The journeys of the other modules take their steps from this one, whichever way it was started.
sys.modules.setdefault("journeys", sys.modules[__name__])
import journeys_store  # noqa: E402
import journeys_map  # noqa: E402

JOURNEYS = [
    ("launch", journey_launch),
    ("language-setting", journey_language_setting),
    ("catalogue", journey_catalogue),
    ("download", journey_download),
    ("links", journey_links),
    ("search", journeys_store.journey_search),
    ("update-delete", journeys_store.journey_update_delete),
    ("faults", journeys_store.journey_faults),
    ("map-offline", journeys_map.journey_map_offline),
    ("content", journeys_map.journey_content),
    ("native-map", journeys_map.journey_native_map),
    ("rating", journeys_map.journey_rating),
]


def run(name, journey, build, out):
    j = Journey(name, out)
    work = tempfile.mkdtemp(prefix=f"tq-journey-{name}-")
    try:
        j.step("start")
        journey(j, build, work)
        j.shot("end")
        j.step("quit")
        j.close_program()
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
            lines = unexpected_console_lines(j.program)
            if lines and "unexpected fault line" not in str(error):
                print("  the console's unexpected fault lines:\n    " + "\n    ".join(lines[:8]))
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
    sys.stdout.reconfigure(line_buffering=True)  # each journey's result shows even if the run is cut off
    build, out = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    wanted = sys.argv[3:]
    os.makedirs(out, exist_ok=True)
    results = [run(name, journey, build, out) for name, journey in JOURNEYS if not wanted or name in wanted]
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
