#!/usr/bin/env python3
"""The application's journeys, run as a person would: the real program in its window under Xvfb,
its real engines, and the demo service with its sample tours. Each journey's screenshots and
contact sheet go to OUT/<journey>/; a failing journey names its step and keeps its last
screenshot and the program's console there.

usage: journeys.py BUILD_DIR OUT_DIR [JOURNEY...]"""

import http.client
import json
import os
import plistlib
import shutil
import sqlite3
import ssl
import sys
import tempfile
import traceback
import zipfile

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


# --- what a stored tour must hold ---------------------------------------------------------------

WEB_SERVICE_HOST = "www.trelvoquest.com"  # the product's host the demo service answers for


def service_tour(service, tour):
    """The tour's record as the demo service serves it now (an updated tour in its new version)."""
    host, port = service.address.rsplit(":", 1)
    context = ssl.create_default_context(cafile=service.authority)
    connection = http.client.HTTPSConnection(host, int(port), context=context, timeout=10)
    try:
        connection.request("GET", f"/public/webservice/getFullCircuit/{tour}?callback=no",
                           headers={"Host": WEB_SERVICE_HOST, "api-version": "1.1"})
        reply = json.loads(connection.getresponse().read())
    finally:
        connection.close()
    if reply.get("status") != "success" or not reply.get("results"):
        raise StepFailed(f"the demo service has no tour {tour}: {reply}")
    return reply["results"][0]


def _last_part(address):
    return address.rsplit("/", 1)[-1]


def _served_media(build, address):
    """The demo service's file behind a media address."""
    return os.path.join(build, "demo-service", "data", "media", "public", "media", address.split("/public/media/", 1)[1])


def listed_files(build, record):
    """Every file a stored tour holds, from its record: its name in the tour folder and the file the
    demo service serves for it. The main picture; each content's media and picture (an image
    content keeps its full picture under its thumbnail's name, a panorama its full view); the tile
    archive and each of its tiles (those by their size only)."""
    assets = os.path.join(build, "demo-service", "data", "www", "public", "assets")
    files = {_last_part(record["circuit_imagepath"]): os.path.join(assets, record["circuit_imagepath"])}
    for point in record["poi"]:
        for content in point.get("content") or []:
            meta = json.loads(content["metadata"] or "{}")
            cid, kind = content["content_id"], content["type"]
            if kind in ("panorama", "video", "audio") and meta.get("filePath"):
                name = f"360_{cid}360_{cid}.jpg" if kind == "panorama" else cid + _last_part(meta["filePath"])
                served = meta["filePath"]
                if kind == "panorama":
                    served = served.rsplit("/", 1)[0] + "/" + _last_part(served).replace(cid, "360_" + cid)
                files[name] = _served_media(build, served)
            if meta.get("thumbnailUrl"):
                served = meta["thumbnailUrl"]
                if kind == "img":
                    served = served.rsplit("/", 1)[0] + "/" + _last_part(served).replace("thumb_", "")
                files[cid + _last_part(meta["thumbnailUrl"])] = _served_media(build, served)
    tour = record["circuit_id"]
    archive = os.path.join(assets, "map_tiles", f"circuit{tour}", f"{tour}.zip")
    files[f"tiles/{tour}.zip"] = archive
    with zipfile.ZipFile(archive) as tiles:
        for entry in tiles.infolist():
            if not entry.is_dir():
                files["tiles/" + entry.filename] = entry.file_size
    return files


def check_tour_files(home, build, record, when, only_these=False):
    """Every file the tour's record lists is stored in its folder, not empty, with the served bytes
    (a tile with the served size). With `only_these`, the folder holds nothing else either (what an
    older version of the tour had is gone)."""
    folder = tour_folder(home, record["circuit_id"])
    problems = []
    for name, served in sorted(listed_files(build, record).items()):
        path = os.path.join(folder, name)
        if not os.path.isfile(path) or os.path.getsize(path) == 0:
            problems.append(f"{name} missing or empty")
        elif isinstance(served, int):
            if os.path.getsize(path) != served:
                problems.append(f"{name} has {os.path.getsize(path)} bytes, not {served}")
        elif open(path, "rb").read() != open(served, "rb").read():
            problems.append(f"{name} differs from the served {os.path.relpath(served, build)}")
    if only_these:
        listed = set(listed_files(build, record))
        for root, _, names in os.walk(folder):
            for name in names:
                relative = os.path.relpath(os.path.join(root, name), folder)
                if relative not in listed:
                    problems.append(f"{relative} is no file of this version")
    if problems:
        raise StepFailed(f"{when}, the folder of tour {record['circuit_id']} is wrong: " + "; ".join(problems[:6]) +
                         (f" (and {len(problems) - 6} more)" if len(problems) > 6 else ""))


def mp3_seconds(path):
    """The length of an MP3 file, from its frames (the first frame of an encoder's "Xing"/"Info"
    summary holds no sound)."""
    with open(path, "rb") as file:
        data = file.read()
    at = 0
    if data[:3] == b"ID3":
        at = 10 + ((data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9])
    rates = {3: (44100, 48000, 32000), 2: (22050, 24000, 16000), 0: (11025, 12000, 8000)}
    kbits = {3: (0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320),
             2: (0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160)}
    samples = 0
    rate = None
    first = True
    while at + 4 <= len(data):
        header = int.from_bytes(data[at:at + 4], "big")
        version, layer = (header >> 19) & 3, (header >> 17) & 3
        bitrate, rate_index, padding = (header >> 12) & 15, (header >> 10) & 3, (header >> 9) & 1
        if (header >> 21) != 0x7FF or version == 1 or layer != 1 or bitrate in (0, 15) or rate_index == 3:
            break
        rate = rates[version][rate_index]
        per_frame = 1152 if version == 3 else 576
        size = (144 if version == 3 else 72) * kbits[3 if version == 3 else 2][bitrate] * 1000 // rate + padding
        if not (first and (b"Xing" in data[at:at + size] or b"Info" in data[at:at + size])):
            samples += per_frame
        first = False
        at += size
    if not rate or not samples:
        raise StepFailed(f"{path} holds no MP3 frames")
    return samples / rate


def point_audio_seconds(home, tour, point):
    """The length of the stored narration of a point of the tour (its audio content's own file)."""
    audio = next(c for c in point["content"] if c["type"] == "audio")
    name = audio["content_id"] + _last_part(json.loads(audio["metadata"])["filePath"])
    return mp3_seconds(os.path.join(tour_folder(home, tour), name))


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
        tour = download_catalogue_tour(j, home)

        j.step("every file the tour lists is stored, with the served bytes")
        check_tour_files(home, build, service_tour(service, tour), "after the download")
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
