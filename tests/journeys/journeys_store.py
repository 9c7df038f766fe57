"""The journeys of searching for tours, of links into a running program, and of the stored tours:
their update and deletion, and the faults on the road (the service gone mid-download, the program
killed mid-update). They run in the table of journeys.py, with its steps and the same driver."""

import json
import os
import sqlite3

import journeys as base
from driver import DemoService, StepFailed, find

BARCELONA = "41.3839,2.1763"  # the visitor stands in Barcelona's Gothic quarter
MY_TOURS_BUTTON = "btnMyToursLand"
SEARCH_BUTTON = "btnSearchLand"
UPDATE_BUTTON = "btnUpdateLand"


# --- reading what the program keeps --------------------------------------------------------------

def catalog_row(home, tour):
    """The stored row of a tour (its stored text and its update flag), or None."""
    database = os.path.join(home, "cache", "trelvoquest", "TrelvoQuest.sqlite3")
    if not os.path.exists(database):
        return None
    with sqlite3.connect(f"file:{database}?mode=ro", uri=True) as connection:
        row = connection.execute('SELECT "imagepath", "is_uptodate" FROM "Catalog" WHERE "id_circuit" = ?',
                                 (tour,)).fetchone()
    return {"text": row[0], "needs_update": row[1]} if row else None


def moderation_date(row):
    """The date of the stored version: the row holds the service's full-tour reply."""
    results = json.loads(row["text"]).get("results") or [{}]
    return results[0].get("moderation_date") or ""


def folder_contents(folder):
    """Every file under `folder` with its bytes' size, each one read through to its end."""
    contents = {}
    for root, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            with open(path, "rb") as file:
                contents[os.path.relpath(path, folder)] = len(file.read())
    return contents


def check_intact(home, tour, row, files, when):
    """The stored tour is as it was: the same row and every file of its folder, readable."""
    now = catalog_row(home, tour)
    if now != row:
        raise StepFailed(f"{when}, the stored row of tour {tour} changed or went: {now and now['needs_update']}")
    contents = folder_contents(base.tour_folder(home, tour))
    if contents != files:
        missing = sorted(set(files) - set(contents))[:5]
        raise StepFailed(f"{when}, the folder of tour {tour} changed: {len(contents)} files of {len(files)}, "
                         f"missing {missing}")


# --- acting through the window -------------------------------------------------------------------

def go_back(j):
    tree = j.program.wait("the navigation bar's back button", lambda t: base.back_button(t) is not None)
    screen = tree["screen"]
    j.program.click(base.back_button(tree))
    return j.program.wait(f"the screen under {screen}", lambda t: t["screen"] != screen)


def back_to_home(j):
    for _ in range(5):
        # A screen still coming up may show neither: both are waited for.
        tree = j.program.wait("the home screen or a back button",
                              lambda t: t["screen"] == "HomeController" or base.back_button(t) is not None)
        if tree["screen"] == "HomeController":
            break
        go_back(j)
    base.home_in(j.program, "en")


def titles_shown(j, description):
    tree = j.program.wait(description, lambda t: t["screen"] == "SearchResultsController" and base.tour_titles(t),
                          timeout=20)
    return tree, base.tour_titles(tree)


def choose_segment(j, view_id, index, description):
    j.program.choose(description, view_id, index=index)


def type_into(j, field_id, text):
    """Clicks a text field, replaces its text by typing, and waits until the field holds it."""
    j.program.tap(f"the text field {field_id}", id=field_id)
    j.program.keys("ctrl+a")
    j.program.type_text(text)
    j.program.wait_view(f'the text field {field_id} holding "{text}"', id=field_id, text=text)


def close_alert_saying(j, key):
    tree = j.program.wait(f'the alert "{key}"', lambda t: base.dialog_says(t, key), timeout=20)
    j.shot(key)
    j.program.tap_dialog_button(tree["dialog"]["buttons"][-1]["text"])


def open_my_tours(j):
    """From the home screen: the stored tours."""
    j.program.tap("the stored tours button", id=MY_TOURS_BUTTON)
    return j.program.wait("the stored tours' list", lambda t: t["screen"] == "CatalogController")


def download_first_tour(j, home):
    """From the home screen: the catalogue's first tour downloaded and stored; its id. It ends on
    the home screen."""
    tour = base.pick_catalogue_tour(j)
    base.preload_and_confirm(j)
    base.download_complete(j)
    base.check_stored(home, tour)
    back_to_home(j)
    return tour


def show_update_button(j, service, home, tour):
    """The service marks the stored tour as updated; back on the home screen the program checks its
    stored tours, and the stored tours' list shows the tour's update button."""
    service.post(f"/demo/updated/{tour}")
    open_my_tours(j)
    back_to_home(j)
    j.program.wait(f"the update check to mark tour {tour} as needing an update",
                   lambda t: (catalog_row(home, tour) or {}).get("needs_update") == "1", timeout=20)
    open_my_tours(j)
    return j.program.wait_view("the tour's update button", clickable=True, id=UPDATE_BUTTON)


def start_update(j):
    j.program.tap("the tour's update button", id=UPDATE_BUTTON)
    confirm = j.program.wait('the update\'s confirmation ("UpdateTitle")', lambda t: base.dialog_says(t, "UpdateTitle"))
    j.shot("update-confirm")
    j.program.tap_dialog_button(confirm["dialog"]["buttons"][-1]["text"])


# --- the journeys --------------------------------------------------------------------------------

def journey_search(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    try:
        j.step("open the search")
        j.launch(build, os.path.join(work, "home"), service, location=BARCELONA)
        base.home_in(j.program, "en")
        j.program.tap("the search button", id=SEARCH_BUTTON)
        j.program.wait("the search screen", lambda t: t["screen"] == "SearchController")
        j.program.wait_view("the search kinds drawn", clickable=True, id="segmentTypeSearch")
        j.shot("search")

        j.step('by keyword, normal: "goth" in titles and descriptions')
        choose_segment(j, "segmentTypeSearch", 2, "search kinds (keyword)")
        j.program.wait_view("the keyword field", clickable=True, id="txtKeyword")
        type_into(j, "txtKeyword", "goth")
        j.program.tap("the keyword search button", id="btnSearchkeywords")
        _, titles = titles_shown(j, 'the tours found for "goth"')
        j.shot("keyword-normal")
        expected = ["Barcelona's Gothic Quarter", "Le quartier gothique de Barcelone"]
        if sorted(titles) != expected:
            raise StepFailed(f'the search for "goth" found {titles}, not {expected}')
        go_back(j)

        j.step('by keyword, exact: "goth" is no whole word of a title')
        j.program.tap("the exact-match switch", id="switchExactSearch")
        j.program.wait_view("the exact-match switch on", id="switchExactSearch", text="on")
        j.program.tap("the keyword search button", id="btnSearchkeywords")
        close_alert_saying(j, "SearchNoResult")

        j.step('by keyword, exact: "Gothic"')
        type_into(j, "txtKeyword", "Gothic")
        j.program.tap("the keyword search button", id="btnSearchkeywords")
        _, titles = titles_shown(j, 'the tours found for the exact word "Gothic"')
        j.shot("keyword-exact")
        if titles != ["Barcelona's Gothic Quarter"]:
            raise StepFailed(f'the exact search for "Gothic" found {titles}')
        go_back(j)

        j.step("by region: country, then state, then city")
        choose_segment(j, "segmentTypeSearch", 0, "search kinds (places)")
        for button, picker, choice, field in (("btnCountry", "Countries", "France", "txtViewCountry"),
                                              ("btnState", "Regions", "Auvergne-Rhône-Alpes", "txtViewState"),
                                              ("btnCity", "Cities", "Lyon", "txtViewCity")):
            j.program.tap(f"the {picker.lower()} field", id=button)
            j.program.wait_view(f'the region picker "{picker}"', id="lblTitle", text=picker)
            j.program.tap(f'"{choice}" in the picker', text=choice)
            j.program.wait_view(f'"{choice}" chosen', id=field, text=choice)
            j.shot(f"region-{picker.lower()}")
        j.program.tap("the search by place button", id="btnSearchPlaces")
        tree, titles = titles_shown(j, "the tours of Lyon")
        j.shot("region-results")
        cities = [v["text"] for v in tree["views"] if v["id"] == "lblCity" and v["h"] > 0]
        if not cities or any("Lyon" not in city for city in cities):
            raise StepFailed(f"the search by city found tours outside Lyon: {cities}")
        go_back(j)

        j.step("around the --location position")
        j.program.tap("the search around button", id="btnSearchAround")
        tree, titles = titles_shown(j, "the tours around Barcelona")
        j.shot("around-results")
        near = sorted((v for v in tree["views"] if v["id"] == "lblCity" and v["h"] > 0), key=lambda v: v["y"])
        if not near or "Barcelona" not in near[0]["text"]:
            raise StepFailed(f"the nearest tour found around Barcelona is in {near[0]['text'] if near else 'no city'}")
        go_back(j)

        j.step("on the world map: tap a marker, then its tour")
        choose_segment(j, "segmentTypeSearch", 1, "search kinds (world map)")
        markers = j.program.wait_page("the world map's markers, one where a click reaches it", "webView",
                                      ".leaflet-marker-icon", lambda found: [m for m in found if m["hit"]], timeout=30)
        j.shot("world-map")
        j.program.click(next(m for m in markers if m["hit"]))
        title = j.program.wait_page("the marker's popup with its tour's title", "webView", ".leaflet-popup .tq-title",
                                    lambda found: found and found[0]["hit"])[0]["text"]
        j.shot("world-map-popup")
        opener = j.program.wait_page("the popup's open button", "webView", ".leaflet-popup .tq-open",
                                     lambda found: found and found[0]["hit"])[0]
        j.program.click(opener)
        j.program.wait(f'the presentation of "{title}"', lambda t: t["screen"] == "TourDetailController", timeout=20)
        j.program.wait_view(f'the presentation\'s title "{title}"', clickable=True, id="lblTitle", text=title)
        j.shot("world-map-tour")
    finally:
        service.stop()


LINKED_TOUR = "9102"  # "Old Lyon and its traboules" in the sample tours


def links_into_running_program(j):
    """A second start with --open-url hands the link to the program already running (on its home
    screen), which opens that tour at that point; the second start ends with status 0."""
    j.step("a link handed to the running program by a second start")
    status, said = j.program.second_start("--open-url", f"https://www.trelvoquest.com/circuit/{LINKED_TOUR}/old-lyon/2")
    if status != 0:
        raise StepFailed(f"the second start ended with status {status}: {said.strip()}")
    j.program.wait("the linked tour's map in the running program (MapLeafletController)",
                   lambda t: t["screen"] == "MapLeafletController", timeout=20)
    j.program.wait_view("the map's point controls", id="btnNext")
    j.program.wait_page("the linked tour's points drawn on its map", "map", ".leaflet-marker-icon",
                        lambda found: [m for m in found if m["hit"]], timeout=30)
    j.shot("linked-in-running-program")


def journey_update_delete(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    home = os.path.join(work, "home")
    try:
        j.step("a stored tour")
        j.launch(build, home, service)
        base.home_in(j.program, "en")
        tour = download_first_tour(j, home)

        j.step("the service marks it as updated: the stored tours show the update button")
        show_update_button(j, service, home, tour)
        j.shot("update-button")
        row, files = catalog_row(home, tour), folder_contents(base.tour_folder(home, tour))

        j.step("update it: the tour stays readable while the new version arrives")
        service.hold()
        start_update(j)
        service.wait_holding()
        j.shot("updating")
        check_intact(home, tour, row, files, "while the update downloads")

        j.step("the update ends: the new version is stored")
        service.release()
        j.program.wait("the update button gone once the update is stored",
                       lambda t: find(t, id=UPDATE_BUTTON) is None and base.tour_titles(t) and not t["dialog"],
                       timeout=60)
        j.shot("updated")
        updated = catalog_row(home, tour)
        if not updated or moderation_date(updated) <= moderation_date(row):
            raise StepFailed(f"tour {tour} was not stored in its new version: {updated and moderation_date(updated)}")
        base.check_stored(home, tour)

        j.step("delete it: its row and its folder are gone")
        nav = j.program.wait("the navigation bar's delete button",
                             lambda t: any(p["text"] in base.dictionary_texts("Delete") and p["hit"]
                                           for v in t["views"] if v["kind"] == "NavigationBar" for p in v.get("parts", [])))
        bar = next(v for v in nav["views"] if v["kind"] == "NavigationBar")
        j.program.click(next(p for p in bar["parts"] if p["text"] in base.dictionary_texts("Delete")))
        j.shot("editing")
        # A row being edited shows a round delete control; it reveals the row's Delete button.
        click_part(j, "the row's delete control", "\u2212")
        click_part(j, "the row's Delete button", "Delete")
        # It was the only stored tour: the list says so and sends the visitor home.
        close_alert_saying(j, "NoToursMessage")
        base.home_in(j.program, "en")
        j.shot("deleted")
        if catalog_row(home, tour) is not None:
            raise StepFailed(f"tour {tour} still has its row after its deletion")
        if os.path.exists(base.tour_folder(home, tour)):
            raise StepFailed(f"tour {tour} still has its folder after its deletion")
    finally:
        service.stop()


def click_part(j, what, text):
    """Clicks a button the window draws inside a view of the screen (no view of its own, and not
    one of the navigation bar's) by its text."""
    def part(tree):
        return next((p for v in tree["views"] if v["kind"] != "NavigationBar"
                     for p in v.get("parts", []) if p["text"] == text and p["hit"]), None)
    j.program.click(part(j.program.wait(what, part)))


def journey_faults(j, build, work):
    home = os.path.join(work, "home")
    service = DemoService(build, os.path.join(work, "service")).start(hold_archives=True)
    try:
        j.step("the service stops mid-download")
        j.launch(build, home, service)
        base.home_in(j.program, "en")
        tour = base.pick_catalogue_tour(j)
        base.preload_and_confirm(j)
        service.wait_holding()
        j.shot("download-under-way")
        service.stop()
        j.program.service_down = True

        j.step('the error alert ("NotDownloadedMessage") appears once')
        close_alert_saying(j, "NotDownloadedMessage")
        back_to_home(j)

        j.step("no half tour is listed")
        # The next alert is the stored tours' own: there is none to list (and no second error).
        j.program.tap("the stored tours button", id=MY_TOURS_BUTTON)
        j.program.wait('the stored tours\' "NoTours" alert', lambda t: t["dialog"], timeout=20)
        close_alert_saying(j, "NoToursMessage")
        base.home_in(j.program, "en")
        if tour in base.stored_tour_ids(home):
            raise StepFailed(f"tour {tour} has a stored row after its failed download")

        j.step("the next launch clears what the download left")
        service = DemoService(build, os.path.join(work, "service")).start(hold_archives=True)
        j.launch(build, home, service)
        base.home_in(j.program, "en")
        j.program.wait(f"the folder of tour {tour} cleared",
                       lambda t: not os.path.exists(base.tour_folder(home, tour)))
        j.shot("relaunched")

        j.step("a stored tour, marked as updated")
        service.release()
        tour = download_first_tour(j, home)
        show_update_button(j, service, home, tour)
        row, files = catalog_row(home, tour), folder_contents(base.tour_folder(home, tour))

        j.step("the program is killed mid-update")
        service.hold()
        start_update(j)
        service.wait_holding()
        j.shot("update-under-way")
        j.kill_program()
        service.release()

        j.step("after a relaunch, the stored tour is intact")
        j.launch(build, home, service)
        base.home_in(j.program, "en")
        open_my_tours(j)
        j.program.wait_view("the stored tour listed", clickable=True, id="lblTitle")
        j.shot("intact-after-relaunch")
        check_intact(home, tour, row, files, "after the relaunch")
        staging = os.path.join(home, "cache", "trelvoquest", "circuit", f"update-circuit{tour}")
        if os.path.exists(staging):
            raise StepFailed(f"the killed update's staging folder is left at {staging}")
    finally:
        service.stop()

