"""The journeys of a downloaded tour followed on its maps: the offline web map, the contents of its
points, the native map, and the rating at the tour's end. They reuse the download journey's steps
and run as the other journeys do (see journeys.py)."""

import html
import json
import os
import re
import subprocess
import time
import urllib.request

from driver import DemoService, StepFailed, find
from journeys import (back_button, dialog_says, dictionary_texts, download_catalogue_tour, home_in,
                      open_catalogue_tour, point_audio_seconds, sample_tour_id, service_tour)

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
MY_TOURS_BUTTON = "btnMyToursLand"


# --- what the sample tours hold ------------------------------------------------------------------

def sample_tour(build, tour):
    """The tour as the demo service serves it, its points and contents in their order."""
    with open(os.path.join(build, "demo-service", "data", "catalogue.json")) as file:
        catalogue = json.load(file)
    found = next((t for t in catalogue["tours"] if t["circuit_id"] == tour), None)
    if not found:
        raise StepFailed(f"tour {tour} is not among the sample tours")
    points = sorted(found["poi"], key=lambda p: int(p["poi_order"]))
    for point in points:
        point["content"] = sorted(point.get("content", []), key=lambda c: int(c["content_order"]))
    found["poi"] = points
    return found


# --- reading the screen ------------------------------------------------------------------------

def screen_is(program, name, timeout=15):
    return program.wait(f"the screen {name}", lambda t: t["screen"] == name, timeout)


def region_signature(program, view, path):
    """A signature of the pixels the window draws where `view` lies, from a screenshot."""
    program.screenshot(path)
    crop = f"{int(view['w'])}x{int(view['h'])}+{int(view['x'])}+{int(view['y'])}"
    return subprocess.run(["convert", path, "-crop", crop, "+repage", "-format", "%#", "info:"],
                          check=True, capture_output=True, text=True).stdout.strip()


def wait_drawn_change(j, description, view, before, timeout=10):
    """Waits until the window draws something else where `view` lies than the signature `before`."""
    path = os.path.join(j.folder, "probe.png")
    try:
        return j.program.wait(description, lambda t: region_signature(j.program, view, path) != before, timeout)
    finally:
        if os.path.exists(path):
            os.remove(path)


def drawn_signature(j, view):
    path = os.path.join(j.folder, "probe.png")
    try:
        return region_signature(j.program, view, path)
    finally:
        os.remove(path)


def nav_item(tree, texts):
    """A button of the navigation bar whose title is one of `texts`, where a click reaches it."""
    for view in tree["views"]:
        if view["kind"] == "NavigationBar":
            for part in view.get("parts", []):
                if part["text"] in texts and part["hit"]:
                    return part
    return None


def tap_nav_item(program, key):
    """Clicks the navigation bar's button titled with the dictionary's text `key`."""
    titles = dictionary_texts(key)
    tree = program.wait(f'the navigation bar\'s button "{key}"', lambda t: nav_item(t, titles) is not None)
    program.click(nav_item(tree, titles))


def go_back(program, description):
    tree = program.wait(f"the back button ({description})", lambda t: back_button(t) is not None)
    program.click(back_button(tree))


# --- the offline web map -----------------------------------------------------------------------

def pins(program, timeout=15, count=None, reachable=None):
    """The numbered pins of the web map page, in the tour's order, once the pins numbered in
    `reachable` (all of them when None) can be clicked."""
    def drawn(elements):
        wanted = range(1, len(elements) + 1) if reachable is None else reachable
        return (elements and (count is None or len(elements) == count) and
                all(n <= len(elements) and elements[n - 1]["hit"] for n in wanted))
    which = "every pin" if reachable is None else "pins " + ", ".join(map(str, reachable))
    return program.wait_page(f"the map page's pins drawn, {which} where a click reaches it", "map", ".tq-pin",
                             drawn, timeout)


def pin_numbers(elements):
    return [element["text"].strip() for element in elements]


def current_pin(program, number, timeout=10):
    """Waits until the pin with this number is the page's current one."""
    return program.wait_page(f"pin {number} marked as the current point", "map", ".tq-pin",
                             lambda pins: [p["text"].strip() for p in pins if "tq-current" in p["classes"]] == [str(number)],
                             timeout)


def offline_with_a_stored_tour(j, build, work):
    """Downloads the catalogue's first tour with the demo service running, then stops the service
    and relaunches the program on it: from here on the program has no network. Returns the home
    folder, the tour's identifier and the (stopped) service."""
    service = DemoService(build, os.path.join(work, "service")).start()
    home = os.path.join(work, "home")
    try:
        j.step("home")
        j.launch(build, home, service)
        home_in(j.program, "en")
        tour = download_catalogue_tour(j, home)
    finally:
        service.stop()
    j.step("relaunch with the service stopped")
    j.launch(build, home, service)  # its address now answers nothing
    j.program.service_down = True
    home_in(j.program, "en")
    j.shot("home-offline")
    return home, tour, service


def open_stored_tour_map(j, tour_title):
    """From the home screen: the stored tours, the tour's presentation, then its map."""
    j.step("open the stored tours")
    j.program.tap("the stored tours button", id=MY_TOURS_BUTTON)
    j.program.wait_view(f'the stored tour "{tour_title}"', clickable=True, id="lblTitle", text=tour_title)
    j.shot("stored-tours")

    j.step("open the stored tour's presentation")
    j.program.tap(f'the stored tour "{tour_title}"', id="lblTitle", text=tour_title)
    screen_is(j.program, "TourDetailController")
    j.shot("stored-presentation")

    j.step("open the stored tour's map")
    j.program.tap("the start button", id="btnConsultTop")
    screen_is(j.program, "MapLeafletController", timeout=20)
    # A first visit shows how the map works over it.
    j.program.wait_view("the map hint's close button", clickable=True, id="btnClosePopup", timeout=20)
    j.shot("map-hint")
    j.program.close_hint()


def open_point_from_map(j, point, number):
    """Taps a pin of the web map and its popup's button: the content player opens on that point."""
    j.step(f"tap point {number} on the map")
    pin = pins(j.program, reachable=[number])[number - 1]
    j.program.click(pin)
    current_pin(j.program, number)
    # The popup of the point before may still be fading out.
    j.program.wait_page(f'the popup of point {number} naming "{point["poi_name"]}" alone', "map", ".tq-popup .tq-name",
                        lambda found: [e["text"] for e in found] == [point["poi_name"]])
    button = j.program.wait_page(f"the popup's button to open point {number}", "map", ".tq-popup .tq-show",
                                 lambda found: len(found) == 1 and found[0]["hit"])[0]
    j.shot(f"point-{number}-popup")

    j.step(f"the content player opens on point {number}")
    j.program.click(button)
    screen_is(j.program, "ContentController")
    first = point["content"][0]["title"]
    j.program.wait_view(f'the first content of point {number}: "{first}"', id="lblTitle", text=first)
    j.shot(f"point-{number}-contents")


def journey_map_offline(j, build, work):
    home, tour, service = offline_with_a_stored_tour(j, build, work)
    sample = sample_tour(build, tour)
    open_stored_tour_map(j, sample["title"])

    j.step("the offline page with its tiles and numbered points")
    drawn = pins(j.program, count=len(sample["poi"]))
    numbers = pin_numbers(drawn)
    if numbers != [str(n) for n in range(1, len(sample["poi"]) + 1)]:
        raise StepFailed(f"the pins are numbered {numbers}")
    folder = os.path.join(home, "cache", "trelvoquest", "circuit", f"circuit{tour}")
    tiles = j.program.wait_page("the tour's own tiles drawn", "map", "img.leaflet-tile-loaded",
                                lambda found: [t for t in found if folder in urllib.request.url2pathname(t["src"])])
    # Beyond the tour's own tiles the page draws its default tile; nothing else may come in.
    strangers = [t["src"] for t in tiles
                 if folder not in urllib.request.url2pathname(t["src"]) and not t["src"].startswith("default_tile_")]
    if strangers:
        raise StepFailed(f"tiles from elsewhere than the tour's folder: {strangers[:3]}")
    current_pin(j.program, 1)
    j.shot("offline-map")

    j.step("next point")
    j.program.tap("the next-point button", id="btnNext")
    current_pin(j.program, 2)
    j.shot("next-point")
    j.program.tap("the next-point button", id="btnNext")
    current_pin(j.program, 3)

    j.step("previous point")
    j.program.tap("the previous-point button", id="btnPrev")
    current_pin(j.program, 2)
    j.shot("previous-point")

    open_point_from_map(j, sample["poi"][2], 3)


# --- the content player -------------------------------------------------------------------------

def plain_text(markup):
    return " ".join(html.unescape(re.sub(r"<[^>]+>", " ", markup)).split())


def drag(program, x, y, dx, dy):
    """Presses the pointer at (x, y), moves it by (dx, dy) in a few steps and releases it."""
    xid = str(program.tree()["xid"])
    args = ["xdotool", "mousemove", "--window", xid, str(int(x)), str(int(y)), "mousedown", "1"]
    for step in range(1, 5):
        args += ["mousemove", "--window", xid, str(int(x + dx * step / 4)), str(int(y + dy * step / 4))]
    args += ["mouseup", "1"]
    subprocess.run(args, check=True)


def ctrl_wheel(program, view, turns=3):
    """Turns the mouse wheel up over a view with Ctrl held: the desktop's zoom gesture."""
    xid = str(program.tree()["xid"])
    args = ["xdotool", "mousemove", "--window", xid, str(int(view["x"] + view["w"] / 2)),
            str(int(view["y"] + view["h"] / 2)), "keydown", "ctrl"]
    args += ["click", "4"] * turns
    args += ["keyup", "ctrl"]
    subprocess.run(args, check=True)


def seconds(text):
    """The seconds of a time text such as "0:07" or "-0:07"."""
    match = re.fullmatch(r"-?(\d+):(\d\d)", text.strip())
    if not match:
        raise StepFailed(f'"{text}" is no time text')
    return int(match.group(1)) * 60 + int(match.group(2))


def content_shown(program, point, index):
    """Waits until the content player shows content `index` (from 1) of the point (the contents of
    a sample point have titles of their own)."""
    content = point["content"][index - 1]
    program.wait_view(f'content {index}/{len(point["content"])}: "{content["title"]}"',
                      id="lblTitle", text=content["title"])
    return content


def next_content(j, point, index):
    j.program.tap("the content player's next button", id="btnNext")
    return content_shown(j.program, point, index)


def played(program):
    return program.wait_view("the audio's played time", id="lblAudioTimePlayedLand")["text"]


def own_track_ready(j, home, tour, point, number):
    """Waits until the audio shows its start, and checks that the length it shows (the remaining
    time before play) is that of the point's own narration file: another point's track has
    another length. Returns the remaining time shown."""
    length = point_audio_seconds(home, tour, point)
    tree = j.program.wait(f"the audio of point {number} ready at its start",
                          lambda t: (find(t, id="lblAudioTimePlayedLand") or {}).get("text") == "0:00" and
                          (find(t, id="lblAudioTimeRemainingLand") or {}).get("text", "").startswith("-"))
    remaining = find(tree, id="lblAudioTimeRemainingLand")["text"]
    if abs(seconds(remaining) - length) >= 1:
        raise StepFailed(f"the audio of point {number} lasts {remaining}, its own track {length:.1f} s")
    return remaining


def text_content(j, point, number):
    j.step(f"point {number}: its text")
    content = content_shown(j.program, point, 1)
    words = plain_text(content["description"])[:40]
    j.program.wait_page(f'the text page reading "{words}"', "webViewText", "body",
                        lambda found: found and words in " ".join(found[0]["text"].split()))
    j.shot(f"point-{number}-text")


def return_to_map(j, point):
    """The next button of the last content leads back to the map."""
    j.step("back to the map from the last content")
    back = dictionary_texts("ReturnMap")
    j.program.wait("the next button's label back to the map", lambda t: (find(t, id="lblNext") or {}).get("text") in back)
    j.program.tap("the content player's next button", id="btnNext")
    screen_is(j.program, "MapLeafletController")
    pins(j.program, reachable=[])
    j.shot("back-on-the-map")


def journey_content(j, build, work):
    home, tour, service = offline_with_a_stored_tour(j, build, work)
    sample = sample_tour(build, tour)
    points = sample["poi"]
    open_stored_tour_map(j, sample["title"])
    open_point_from_map(j, points[0], 1)
    text_content(j, points[0], 1)

    j.step("point 1: its panorama, dragged")
    next_content(j, points[0], 2)
    j.shot("panorama-content")
    j.program.tap("the panorama's picture", id="btnShow360Land")
    screen_is(j.program, "PanoramaViewController")
    panorama = j.program.wait_view("the panorama drawn", clickable=True, id="panoramaView")
    # It starts following the device's motion; the bar's button gives it to the pointer.
    tap_nav_item(j.program, "Touch")
    j.program.wait("the control button offering the motion again",
                   lambda t: nav_item(t, dictionary_texts("Motion")) is not None)
    before = drawn_signature(j, panorama)
    drag(j.program, panorama["x"] + panorama["w"] / 2, panorama["y"] + panorama["h"] / 2, -240, 60)
    wait_drawn_change(j, "the panorama to turn with the drag", panorama, before)
    j.shot("panorama-dragged")
    tap_nav_item(j.program, "Close")
    content_shown(j.program, points[0], 2)

    j.step("point 1: its own audio track plays and its time moves")
    next_content(j, points[0], 3)
    own_track_ready(j, home, tour, points[0], 1)
    start = played(j.program)
    j.program.tap("the audio's play button", id="btnPlayAudioLand")
    j.program.wait(f'the audio\'s time to move on from "{start}"',
                   lambda t: seconds(find(t, id="lblAudioTimePlayedLand")["text"]) > seconds(start), timeout=10)
    j.shot("audio-playing")

    j.step("point 1: pause keeps the audio's position")
    play_texts = dictionary_texts("Play")
    j.program.tap("the audio's pause button", id="btnPlayAudioLand")
    j.program.wait("the play look after the pause", lambda t: (find(t, id="lblShow") or {}).get("text") in play_texts)
    paused = played(j.program)
    j.shot("audio-paused")
    j.program.tap("the audio's play button", id="btnPlayAudioLand")
    tree = j.program.wait("the pause look while the audio plays again",
                          lambda t: (find(t, id="lblShow") or {}).get("text") == "Pause")
    resumed = find(tree, id="lblAudioTimePlayedLand")["text"]
    resumed_at = time.monotonic()
    left = seconds(find(tree, id="lblAudioTimeRemainingLand")["text"])
    if seconds(resumed) < seconds(paused):
        raise StepFailed(f"the audio paused at {paused} started again at {resumed}")

    j.step("another content takes over the playing audio's controls")
    j.program.tap("the content player's previous button", id="btnPrev")
    content_shown(j.program, points[0], 2)
    j.program.wait("the show button as the playing audio's pause",
                   lambda t: (find(t, id="lblShow") or {}).get("text") == "Pause")
    j.shot("audio-over-panorama")
    next_content(j, points[0], 3)
    tree = j.program.wait(f"the audio still playing on, past {resumed}, or played to its end by now",
                          lambda t: seconds(find(t, id="lblAudioTimePlayedLand")["text"]) > seconds(resumed) and
                          (find(t, id="lblShow") or {}).get("text") == "Pause" or
                          time.monotonic() - resumed_at >= left, timeout=10)
    if seconds(find(tree, id="lblAudioTimePlayedLand")["text"]) <= seconds(resumed):
        # A busy machine took longer than the rest of the short track: it ended, back at its start
        # and still there (a track started again would move on).
        j.program.wait_steady("the audio ended, back at its start and not moving",
                              lambda t: find(t, id="lblAudioTimePlayedLand")["text"] == "0:00", period=1.5)

    return_to_map(j, points[0])
    open_point_from_map(j, points[1], 2)
    text_content(j, points[1], 2)

    j.step("point 2: its picture, zoomed")
    next_content(j, points[1], 2)
    j.program.wait_view("the picture shown", id="imgImageLand", clickable=False)
    j.shot("picture-content")
    j.program.tap("the picture's zoom button", id="btnImageZoomLand")
    screen_is(j.program, "ZoomImageController")
    picture = j.program.wait_view("the picture to zoom", clickable=True, kind="ImageScrollView")
    # The picture is drawn once the screen has come up: two reads alike.
    j.program.wait("the picture drawn still", lambda t: drawn_signature(j, picture) == drawn_signature(j, picture))
    before = drawn_signature(j, picture)
    for attempt in range(3):
        # A turn that arrives while the viewer still takes its size is undone by it: turned again.
        ctrl_wheel(j.program, picture)
        try:
            wait_drawn_change(j, "the picture to grow under Ctrl and the wheel", picture, before,
                              timeout=3 if attempt < 2 else 10)
            break
        except StepFailed:
            if attempt == 2:
                raise
    j.shot("picture-zoomed")
    bar = j.program.wait_view("the zoom's close button", id="toolbar")
    close = next((p for p in bar.get("parts", []) if p["text"] in dictionary_texts("Close")), None)
    if not close:
        raise StepFailed(f"the zoom's toolbar has no close button: {bar.get('parts')}")
    j.program.click(close)
    screen_is(j.program, "ContentController")

    j.step("the next point's audio takes the player over")
    next_content(j, points[1], 3)
    remaining = own_track_ready(j, home, tour, points[1], 2)
    j.program.tap("the audio's play button", id="btnPlayAudioLand")
    j.program.wait("the audio of point 2 playing from its start",
                   lambda t: 0 < seconds(find(t, id="lblAudioTimePlayedLand")["text"]) and
                   seconds(find(t, id="lblAudioTimeRemainingLand")["text"]) < seconds(remaining), timeout=10)
    j.shot("audio-handed-over")

    return_to_map(j, points[1])
    open_point_from_map(j, points[2], 3)

    j.step("point 3: its video plays to its end and the page comes back")
    next_content(j, points[2], 2)
    j.shot("video-content")
    j.program.tap("the video's play button", id="btnVideoPlayLand")
    j.program.wait("the video player", lambda t: t["screen"] != "ContentController")
    j.shot("video-playing")
    screen_is(j.program, "ContentController", timeout=30)
    content_shown(j.program, points[2], 2)
    j.shot("video-ended")


# --- the native map ------------------------------------------------------------------------------

def native_pins(tree):
    """The pins of the native map as the map draws them: each reads its number, or while its
    callout is up its title."""
    view = find(tree, kind="MapView")
    return [part for part in (view or {}).get("parts", []) if part["text"]]


def callout_button(tree):
    """The button of the callout that is up (it shows a sign, no text), where a click reaches it."""
    view = find(tree, kind="MapView")
    return next((part for part in (view or {}).get("parts", []) if not part["text"] and part["hit"]), None)


def pin_number(pin):
    return pin["text"].strip()


def callout_pin(tree):
    """The number of the pin the callout stands over: the card is centred above its pin, so that
    pin is the nearest below the card's button, to its right, that the card does not cover."""
    button = callout_button(tree)
    if not button:
        return None
    below = [p for p in native_pins(tree)
             if p["hit"] and p["y"] > button["y"] and 0 < p["x"] + p["w"] / 2 - button["x"] < 400]
    nearest = min(below, key=lambda p: p["y"] - button["y"], default=None)
    return nearest and pin_number(nearest)


def open_from_callout(j, sample, number):
    """Clicks the callout of pin `number`: the content player opens on that point."""
    point = sample["poi"][number - 1]
    title = f'{number} - {point["poi_name"]}'
    tree = j.program.wait(f'the callout of pin {number} ("{title}") with its button',
                          lambda t: callout_pin(t) == str(number))
    j.shot(f"callout-{number}")
    j.program.click(callout_button(tree))
    screen_is(j.program, "ContentController")
    first = point["content"][0]["title"]
    j.program.wait_view(f'the first content of point {number}: "{first}"', id="lblTitle", text=first)
    j.shot(f"point-{number}-contents")
    go_back(j.program, "to the native map")
    screen_is(j.program, "MapController")


def journey_native_map(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    try:
        j.step("home, with tours opening on the native map")
        j.launch(build, os.path.join(work, "home"), service, extra=["--native-map"])
        home_in(j.program, "en")

        j.step("a tour of the catalogue on the native map")
        open_catalogue_tour(j.program)
        title = j.program.wait_view("the tour's presentation and its title", id="lblTitle", clickable=True)["text"]
        sample = sample_tour(build, sample_tour_id(title))
        j.program.tap("the start button", id="btnConsultTop")
        screen_is(j.program, "MapController", timeout=20)
        # A first visit shows how the map works over it, fading in.
        j.program.close_hint()

        j.step("the pins with their numbers")
        count = len(sample["poi"])
        numbers = [str(n) for n in range(1, count + 1)]
        # Centred on the first point, the map may leave the farthest pins outside: zoomed out once,
        # it shows them all.
        j.program.tap("the zoom-out button", id="btnZoomOut")
        j.program.wait(f"pins numbered 1 to {count}", lambda t: sorted(pin_number(p) for p in native_pins(t)) == numbers)
        j.shot("native-map")

        j.step("the next point's callout opens its point")
        j.program.tap("the next-point button", id="btnNext")
        open_from_callout(j, sample, 2)

        j.step("another pin's callout opens its own point")
        def other_pin(tree):
            return next((p for p in native_pins(tree) if p["hit"] and pin_number(p) != "2"), None)
        tree = j.program.wait("a pin other than the current one where a click reaches it", other_pin)
        other = other_pin(tree)
        j.program.click(other)
        open_from_callout(j, sample, int(pin_number(other)))
    finally:
        service.stop()


# --- the rating --------------------------------------------------------------------------------

def service_totals(service, tour):
    """The rating totals the demo service gives the tour now, asked as the application asks."""
    found = service_tour(service, tour)
    return float(found["rating_total_score"]), int(found["rating_total_counter"])


def journey_rating(j, build, work):
    service = DemoService(build, os.path.join(work, "service")).start()
    try:
        j.step("home")
        j.launch(build, os.path.join(work, "home"), service)
        home_in(j.program, "en")

        j.step("a tour of the catalogue and its map")
        open_catalogue_tour(j.program)
        title = j.program.wait_view("the tour's presentation and its title", id="lblTitle", clickable=True)["text"]
        tour = sample_tour_id(title)
        sample = sample_tour(build, tour)
        before = service_totals(service, tour)
        j.program.tap("the start button", id="btnConsultTop")
        screen_is(j.program, "MapLeafletController", timeout=20)
        j.program.close_hint()
        current_pin(j.program, 1)
        j.shot("map")

        j.step("past the last point, the rating screen")
        # Each step is seen taken before the next: a click lost or doubled shows as the wrong point.
        for number in range(2, len(sample["poi"]) + 1):
            j.program.tap("the next-point button", id="btnNext")
            current_pin(j.program, number)
        j.program.tap("the next-point button", id="btnNext")
        screen_is(j.program, "RateTourController")
        stars = j.program.wait_view("the rating's stars", clickable=True, id="ratingView")
        j.shot("rating")

        j.step("rate 3.5 stars")
        size = min(stars["w"] / 5, stars["h"])  # the stars are squares drawn from the left
        j.program.click_at(stars["x"] + 3.25 * size, stars["y"] + stars["h"] / 2)
        j.program.wait_view('the mark "3.5"', id="ratingResults", text="3.5")
        j.shot("rated")

        j.step("send the rating")
        j.program.tap("the send button", id="btnRate")
        j.program.wait('the result alert (its "ThanksMessage")', lambda t: dialog_says(t, "ThanksMessage"))
        j.shot("result")

        j.step("the result alert closes by itself")
        j.program.wait("the result alert to close by itself", lambda t: not t["dialog"], timeout=10)
        screen_is(j.program, "RateTourController")
        j.shot("result-closed")

        j.step("the demo service's totals for the tour changed")
        after = service_totals(service, tour)
        if after != (before[0] + 3.5, before[1] + 1):
            raise StepFailed(f"the totals went from {before} to {after}, not by one rating of 3.5")
    finally:
        service.stop()
