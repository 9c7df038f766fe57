"""Drives the real program from outside, as a person would: the demo service and the program are
started as the run command starts them, the program draws its window on the X server of the test
(Xvfb), and every action is a real pointer click or key press synthesised with xdotool on the
widget that draws a named view. What the window shows is read through the program's test-only
inspection socket (--inspect-socket), never guessed from timing: every wait is a condition on the
drawn view tree with a bounded timeout that names what it waited for.

Every bound is given for a quiet machine and multiplied by one factor, TQ_JOURNEY_TIME_SCALE
(default 3), so that a machine busy with other work gives each step room; a step that holds
returns as soon as it does, whatever the factor.

After each step a screenshot of the window goes to the journey's folder; a journey that fails
names its step and keeps its last screenshot and the program's console."""

import json
import os
import re
import shutil
import socket
import ssl
import subprocess
import tempfile
import time
import urllib.request

POLL = 0.05  # how often a condition is checked again while waiting for it


class StepFailed(Exception):
    pass


def _time_scale():
    text = os.environ.get("TQ_JOURNEY_TIME_SCALE", "3")
    try:
        value = float(text)
    except ValueError:
        value = 0
    if not value > 0:
        raise SystemExit(f'TQ_JOURNEY_TIME_SCALE must be a number above 0, not "{text}"')
    return value


TIME_SCALE = _time_scale()


def bound(seconds):
    """A bound given for a quiet machine, on this machine."""
    return seconds * TIME_SCALE


def _wait(description, condition, timeout):
    """Returns condition()'s first true value, or fails naming what was waited for. `timeout` is
    the bound on a quiet machine."""
    limit = bound(timeout)
    deadline = time.monotonic() + limit
    last_error = None
    while True:
        try:
            value = condition()
            if value:
                return value
        except (OSError, ValueError) as error:
            last_error = error
        if time.monotonic() >= deadline:
            extra = f" (last error: {last_error})" if last_error else ""
            raise StepFailed(f"timed out after {limit:g} s waiting for {description}{extra}")
        time.sleep(POLL)


class DemoService:
    """The demo service with its sample tours on a free loopback port, its state in `state`."""

    def __init__(self, build, state):
        self.build = build
        self.state = state
        self.process = None
        self.address = None

    def start(self, updated=(), hold_archives=False):
        """With `hold_archives`, a tile archive's reply stops halfway until `release()`."""
        os.makedirs(self.state, exist_ok=True)
        self.log_path = os.path.join(self.state, "service.log")
        args = [os.path.join(self.build, "demo-service", "trelvoquest-demo-service"), "--port", "0",
                "--state", self.state, "--exit-with-parent"]
        for tour in updated:
            args += ["--updated", str(tour)]
        if hold_archives:
            args.append("--hold-archives")
        self.log = open(self.log_path, "w")
        self.process = subprocess.Popen(args, stdout=self.log, stderr=subprocess.STDOUT)

        def listening():
            if self.process.poll() is not None:
                raise StepFailed("the demo service ended: " + open(self.log_path).read().strip())
            for line in open(self.log_path):
                prefix = "trelvoquest-demo-service: listening on "
                if line.startswith(prefix):
                    return line[len(prefix):].split(",")[0].strip()
            return None

        self.address = _wait("the demo service to listen", listening, 20)
        context = ssl.create_default_context(cafile=self.authority)
        _wait("the demo service to answer over TLS",
              lambda: urllib.request.urlopen(f"https://{self.address}/", context=context, timeout=2), 20)
        return self

    @property
    def authority(self):
        return os.path.join(self.state, "authority.pem")

    def post(self, path):
        """A POST on loopback to the service's own requests (/demo/updated/ID, /demo/hold, /demo/release)."""
        context = ssl.create_default_context(cafile=self.authority)
        request = urllib.request.Request(f"https://{self.address}{path}", data=b"", method="POST")
        with urllib.request.urlopen(request, context=context, timeout=10) as reply:
            if reply.status != 200:
                raise StepFailed(f"the demo service answered {reply.status} to POST {path}")

    def hold(self):
        self.post("/demo/hold")

    def release(self):
        self.post("/demo/release")

    def said(self, text):
        """How many lines of the service's output hold `text`."""
        with open(self.log_path, errors="replace") as log:
            return sum(text in line for line in log)

    def wait_holding(self, count=1, timeout=60):
        """Waits until the service has held `count` tile archives halfway in all."""
        _wait(f"the demo service to hold a tile archive halfway ({count} in all)",
              lambda: self.said("holding archive") >= count, timeout)

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            self.process.wait(bound(10))
        self.process = None
        if getattr(self, "log", None):
            self.log.close()
            self.log = None


class Program:
    """The program in its window, with its own settings and cache folders under `home`."""

    def __init__(self, build, home, service, language="en_US.UTF-8", location="48.8584,2.2945", extra=(),
                 run_command=None):
        """With `run_command` (the checkout), the program is started by the checkout's run command
        from the checkout, as a person starts it: the run command starts the demo service on its
        own default state folder and hands the program the paths relative to the checkout that it
        hands a person's program; `service` is then None."""
        self.build = build
        self.home = home
        self.service_down = False  # set by a journey that stops the service under the program
        self.socket_path = os.path.join(tempfile.mkdtemp(prefix="tq-inspect-"), "socket")
        os.makedirs(home, exist_ok=True)
        self.console_path = os.path.join(home, "console.log")
        self.build = build
        env = dict(os.environ)
        env.update({
            "XDG_CACHE_HOME": os.path.join(home, "cache"),
            "XDG_CONFIG_HOME": os.path.join(home, "config"),
            "LANG": language, "LC_ALL": "", "LC_MESSAGES": "", "LANGUAGE": "",
            # Media play in real time, so that a clock moves and a video ends when it should.
            "TQ_AUDIO_SINK": "fakesink sync=true", "TQ_VIDEO_SINK": "fakesink sync=true",
        })
        if service is not None:
            env["TQ_SERVICE_ROUTE"] = service.address
            env["TQ_SERVICE_CA"] = service.authority
        program_args = ["--inspect-socket", self.socket_path]
        if location:
            program_args += ["--location", location]
        program_args += list(extra)
        if run_command:
            for name in ("TQ_SERVICE_ROUTE", "TQ_SERVICE_CA", "TQ_DEMO_STATE", "TQ_DEMO_PORT"):
                env.pop(name, None)
            args = [os.path.join("scripts", "run"), "--no-build", "--build-dir", os.path.relpath(build, run_command)]
        else:
            args = [os.path.join(build, "trelvoquest"), "--service", "local"]
        args += program_args
        self.env = env
        self.console = open(self.console_path, "a")
        self.console_start = self.console.tell()  # a relaunch on the same home adds to its console
        self.console.write("$ " + " ".join(args) + "\n")
        self.console.flush()
        self.process = subprocess.Popen(args, env=env, stdout=self.console, stderr=subprocess.STDOUT, cwd=run_command)

    def ready(self):
        self.wait("the window to answer its inspection socket", lambda t: t["xid"] != 0, timeout=30)
        return self

    # --- reading the window -------------------------------------------------------------------
    def tree(self):
        return self._ask("tree")

    def page(self, view_id, selector):
        """The elements matching a CSS selector in the page of the shown web view `view_id`, in
        the window's pixels, with `hit` when a click at their centre reaches them."""
        reply = self._ask(f"page {view_id} {selector}")
        if "error" in reply:
            raise ValueError(reply["error"])
        return reply["elements"]

    def wait_page(self, description, view_id, selector, predicate=lambda elements: elements, timeout=15):
        """Waits until the page's elements matching `selector` satisfy `predicate` (some exist, by
        default) while the window has nothing left to draw; returns them."""
        def check():
            if not self.tree()["settled"]:
                return None
            elements = self.page(view_id, selector)
            return elements if predicate(elements) else None
        return _wait(description, check, timeout)

    def _ask(self, line):
        if self.process.poll() is not None:
            raise StepFailed(f"the program ended with status {self.process.returncode}")
        with socket.socket(socket.AF_UNIX) as s:
            s.settimeout(bound(10))
            s.connect(self.socket_path)
            s.sendall(line.encode() + b"\n")
            data = b""
            while not data.endswith(b"\n"):
                chunk = s.recv(1 << 16)
                if not chunk:
                    break
                data += chunk
        return json.loads(data)

    def wait(self, description, predicate, timeout=15):
        """Waits until the drawn tree (settled: nothing left to draw) satisfies `predicate`."""
        def check():
            tree = self.tree()
            return tree["settled"] and predicate(tree) and tree
        return _wait(description, check, timeout)

    def wait_view(self, description, timeout=15, clickable=False, **match):
        tree = self.wait(description,
                         lambda t: find(t, clickable=clickable, **match) is not None, timeout)
        return find(tree, clickable=clickable, **match)

    def wait_steady(self, description, predicate, period, timeout=15):
        """Waits until the drawn tree has satisfied `predicate` on every read for `period` seconds
        (scaled as the bounds are); returns the last tree."""
        since = [None]

        def held(tree):
            if not predicate(tree):
                since[0] = None
                return False
            since[0] = since[0] or time.monotonic()
            return time.monotonic() - since[0] >= bound(period)
        return self.wait(description, held, timeout)

    def wait_still(self, description, timeout=15, **match):
        """Waits until a matching view can be clicked and lies in the same place over two reads
        of the window (no transition is moving it); returns it."""
        def still(tree):
            first = find(tree, clickable=True, **match)
            again = find(self.tree(), clickable=True, **match) if first else None
            return first is not None and again is not None and _place(first) == _place(again)
        return find(self.wait(description + " holding still", still, timeout), clickable=True, **match)

    # --- acting on it -------------------------------------------------------------------------
    def click_at(self, x, y, button=1):
        xid = str(self.tree()["xid"])
        subprocess.run(["xdotool", "mousemove", "--window", xid, str(int(x)), str(int(y)), "click", str(button)],
                       check=True)

    def click(self, entry):
        self.click_at(entry["x"] + entry["w"] / 2, entry["y"] + entry["h"] / 2)

    def tap(self, description, timeout=15, until=None, until_says=None, **match):
        """Waits until a view that matches is drawn, holding still, where a click reaches it, then
        clicks it. With `until` (a condition on the drawn tree, `until_says` naming it), waits
        until the click took effect: a click that a screen still coming up swallowed (no effect,
        and the view still there in its place) is given again, twice at most. Only for a click
        whose effect is the same when given twice, such as one that leaves its screen."""
        for attempt in range(3):
            entry = self.wait_still(description, timeout=timeout, **match)
            self.click(entry)
            if until is None:
                return entry
            last = attempt == 2
            try:
                self.wait(f"{until_says or 'the effect'} after a click on {description}", until,
                          timeout=timeout if last else 3)
                return entry
            except StepFailed:
                if last:
                    raise
                again = find(self.tree(), clickable=True, **match)
                if again is None or _place(again) != _place(entry):
                    # The click was taken and its effect is under way: no second click.
                    self.wait(f"{until_says or 'the effect'} after a click on {description}", until, timeout)
                    return entry
        return entry

    def choose(self, description, view_id, text=None, index=None, timeout=15):
        """Clicks a segment of a segmented bar, by its title or its place, and waits until the bar
        shows it chosen; a click the bar did not take is given again, twice at most (choosing a
        segment twice is choosing it once). Returns the bar as it is then."""
        for attempt in range(3):
            bar = self.wait_still(f"the bar of {description}", timeout=timeout, id=view_id)
            parts = bar.get("parts", [])
            chosen = index if text is None else next((i for i, p in enumerate(parts) if p["text"] == text), None)
            if chosen is None or chosen >= len(parts):
                raise StepFailed(f'the bar of {description} has no segment {text or index}: {bar["text"]}')
            self.click(parts[chosen])
            try:
                return self.wait_view(f"{description}: segment {text or index} chosen", id=view_id,
                                      timeout=timeout if attempt == 2 else 3,
                                      **{"selected": chosen})
            except StepFailed:
                if attempt == 2:
                    raise

    def close_hint(self, free="btnNext", timeout=20):
        """A first visit to a map shows how it works over it, fading in once the screen has come up:
        waits for the hint's close button, clicks it, and waits until the hint is gone and `free`
        can be clicked."""
        self.tap("the map hint's close button", id="btnClosePopup", timeout=timeout,
                 until=lambda t: find(t, id="popUp") is None and find(t, clickable=True, id=free) is not None,
                 until_says=f"the map hint gone and {free} free to tap")

    def scroll_to(self, description, timeout=30, **match):
        """Turns the mouse wheel over the screen until a matching view can be clicked; each turn
        waits until the view has moved, so a screen that does not scroll fails at once."""
        deadline = time.monotonic() + bound(timeout)
        while True:
            tree = self.wait(description + " in the view tree", lambda t: find(t, **match) is not None)
            entry = find(tree, clickable=True, **match)
            if entry:
                return entry
            if time.monotonic() >= deadline:
                raise StepFailed(f"timed out after {bound(timeout):g} s scrolling to {description}")
            before = find(tree, **match)
            screen = tree["views"][0]
            wheel = 4 if before["y"] < screen["y"] else 5  # up when the view lies above the screen
            self.click_at(screen["x"] + screen["w"] / 2, screen["y"] + screen["h"] / 2, button=wheel)
            self.wait(f"{description} to move as the wheel turns",
                      lambda t: (find(t, **match) or {}).get("y") != before["y"], timeout=5)

    def tap_dialog_button(self, text, closes=True, timeout=15):
        """Clicks a dialog's button once its place holds still over two reads. A dialog replaced
        while the click travels may swallow it, so a button that should close its dialog is
        clicked again (a few times at most) while the same dialog still shows it."""
        for attempt in range(3):
            def steady(t):
                first = dialog_button(t, text)
                again = dialog_button(self.tree(), text) if first else None
                return first is not None and first == again
            tree = self.wait(f'a dialog with the button "{text}" holding still', steady, timeout)
            self.click(dialog_button(tree, text))
            if not closes:
                return
            shown = tree["dialog"]["texts"]
            try:
                self.wait(f'the dialog to close after its button "{text}"',
                          lambda t: not t["dialog"] or t["dialog"]["texts"] != shown,
                          timeout=3 if attempt < 2 else timeout)
                return
            except StepFailed:
                if attempt == 2:
                    raise

    def keys(self, *names):
        xid = str(self.tree()["xid"])
        subprocess.run(["xdotool", "key", "--window", xid] + list(names), check=True)

    def type_text(self, text):
        """Types as a keyboard does (XTEST events to the focused window, the one under the pointer
        after a click), key by key."""
        subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)

    def second_start(self, *args, timeout=30):
        """Starts the program once more beside this one, with the same settings, cache and
        runtime folders; its exit status and console."""
        done = subprocess.run([os.path.join(self.build, "trelvoquest"), "--service", "local"] + list(args),
                              env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=bound(timeout))
        return done.returncode, done.stdout.decode(errors="replace")

    def kill(self):
        """Ends the program at once (SIGKILL), as a crash or a killed process would."""
        self.process.kill()
        self.process.wait()
        self.console.close()
        shutil.rmtree(os.path.dirname(self.socket_path), ignore_errors=True)

    def screenshot(self, path):
        """A window just mapped may not have painted its first frame yet: a picture of one colour is
        taken again, for a few seconds at most."""
        xid = str(self.tree()["xid"])

        def painted():
            subprocess.run(["import", "-window", xid, path], check=True, stderr=subprocess.DEVNULL)
            spread = subprocess.run(["convert", path, "-format", "%[fx:standard_deviation]", "info:"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout.strip()
            return spread not in (b"0", b"")
        try:
            _wait("the window to paint its first frame", painted, 5)
        except StepFailed:
            pass  # the blank picture is kept: it shows what the window showed

    def quit(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(bound(20))
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.console.close()
        shutil.rmtree(os.path.dirname(self.socket_path), ignore_errors=True)
        return self.process.returncode


# The lines the program's console holds by design that read like faults, each with its reason.
# Any other line naming a fault fails the journey, at the program's close and with a failure.
EXPECTED_CONSOLE_LINES = [
    # The test machine need not have the locales the journeys choose; the program takes its
    # language from LANG's name, not from the C library.
    (r"Gtk-WARNING \*\*: [0-9:.]+: Locale not supported by C library\.$", "a locale the machine lacks"),
    # The X server of the tests has no GPU, and run-under-xvfb turns GL off.
    (r"WARNING \*\*: [0-9:.]+: Disabled hardware acceleration because GTK failed to initialize GL: "
     r"GL support disabled via GDK_DEBUG\.$", "no GL under Xvfb"),
    # The web views' own processes look for the accessibility bus, which the tests do not run.
    (r"WARNING \*\*: [0-9:.]+: Can't connect to a11y bus: ", "no accessibility bus in the tests"),
]
# And those of a program whose journey stopped the demo service under it (Program.service_down).
SERVICE_DOWN_CONSOLE_LINES = [
    # The update check's and the catalogue's requests say why they got no answer.
    (r"^Update check reply: failure, Could not connect to the server\.$", "the update check without a service"),
    (r"^error Could not connect to the server\.$", "a request without a service"),
    (r"^response error The network connection was lost\.$", "a download cut by the service's end"),
    # The web views' route to the service says that nothing answers there any more.
    (r"^Web pages cannot reach [\w.-]+ at [0-9.]+:[0-9]+: Could not connect to [0-9.]+: Connection refused$",
     "a web page's request without a service"),
]
FAULT_LINE = re.compile(r"critical|warning|\btls\b|certificate|cannot|error|fail|refused|unacceptable|sanitizer",
                        re.IGNORECASE)


def unexpected_console_lines(program):
    """The lines of this run of the program's console that name a fault not expected by design.
    A sanitizer's report that only names leaks of unloaded modules is left to the exit check."""
    with open(program.console_path, errors="replace") as file:
        file.seek(program.console_start)
        text = file.read()
    if "ERROR: LeakSanitizer" in text and _only_unknown_module_leaks(program.console_path):
        text = text[:text.index("ERROR: LeakSanitizer")]
    expected = EXPECTED_CONSOLE_LINES + (SERVICE_DOWN_CONSOLE_LINES if program.service_down else [])
    return [line for line in text.splitlines()
            if FAULT_LINE.search(line) and not any(re.search(pattern, line) for pattern, _ in expected)]


def _only_unknown_module_leaks(console_path):
    """Whether the sanitizer's only report is of leaks allocated inside a library module already
    unloaded (a media or graphics plugin): no frame names it, so no suppression can, and none of
    those allocations comes from our code, which stays loaded and named."""
    with open(console_path, errors="replace") as file:
        console = file.read()
    if "ERROR: LeakSanitizer" not in console or "ERROR: AddressSanitizer" in console:
        return False
    report = console[console.index("ERROR: LeakSanitizer"):]
    frames = [line.strip() for line in report.splitlines() if line.strip().startswith("#")]
    callers = [frame for frame in frames if not frame.startswith("#0 ")]
    return bool(callers) and all(frame.endswith("(<unknown module>)") for frame in callers)


def _place(view):
    return (view["x"], view["y"], view["w"], view["h"])


def _matches(view, kind=None, id=None, text=None, text_has=None, image=None, selected=None):
    if selected is not None and view.get("selected") != selected:
        return False
    if kind is not None and view["kind"] != kind:
        return False
    if id is not None and view["id"] != id:
        return False
    if text is not None and view["text"] != text:
        return False
    if text_has is not None and text_has not in view["text"]:
        return False
    if image is not None and view.get("image") != image:
        return False
    return True


def find(tree, clickable=False, **match):
    """The first drawn view that matches (one a click reaches with a size, if `clickable`)."""
    for view in tree["views"]:
        if _matches(view, **match) and (not clickable or (view["hit"] and view["w"] > 0 and view["h"] > 0)):
            return view
    return None


def find_all(tree, **match):
    return [view for view in tree["views"] if _matches(view, **match)]


def texts(tree):
    return [view["text"] for view in tree["views"] if view["text"]]


def dialog_button(tree, text):
    dialog = tree.get("dialog")
    if not dialog:
        return None
    for button in dialog["buttons"]:
        if button["text"] == text and button["hit"]:
            return button
    return None


class Journey:
    """One journey's steps, screenshots and contact sheet in `out/<name>/`."""

    def __init__(self, name, out):
        self.name = name
        self.folder = os.path.join(out, name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.shots = []
        self.step_name = None
        self.program = None

    def launch(self, *args, **kwargs):
        """Starts the program (quitting the one before) and waits until its window answers."""
        if self.program:
            self.close_program()
        self.program = Program(*args, **kwargs)
        return self.program.ready()

    def kill_program(self):
        """Kills the program (no clean end); its console stays in its home and must hold no
        unexpected fault."""
        program, self.program = self.program, None
        program.kill()
        self._check_console(program)

    def close_program(self):
        """Quits the program as Ctrl-C would; it must end cleanly (a sanitizer's report at exit
        ends it with another status), its console holding no unexpected fault."""
        program, self.program = self.program, None
        status = program.quit()
        if status != 0 and not _only_unknown_module_leaks(program.console_path):
            self.program = program  # its console is kept with the failure
            raise StepFailed(f"the program ended with status {status} when asked to quit")
        self._check_console(program)

    def _check_console(self, program):
        lines = unexpected_console_lines(program)
        if lines:
            self.program = program  # its console is kept with the failure
            shown = "\n    ".join(lines[:8])
            more = f"\n    ... and {len(lines) - 8} more" if len(lines) > 8 else ""
            raise StepFailed(f"the program's console holds {len(lines)} unexpected fault line(s):\n    {shown}{more}")

    def step(self, name):
        """Names the step running now; the screenshot of the previous one is taken first."""
        self.step_name = name
        return self

    def shot(self, label):
        if not self.program:
            return
        path = os.path.join(self.folder, f"{len(self.shots) + 1:02d}-{label}.png")
        try:
            self.program.screenshot(path)
            self.shots.append((path, label))
        except (StepFailed, OSError, subprocess.CalledProcessError):
            pass

    def contact_sheet(self):
        if not self.shots:
            return
        args = ["montage"]
        for path, label in self.shots:
            args += ["-label", label, path]
        args += ["-tile", "4x", "-geometry", "512x+6+6", "-pointsize", "14",
                 os.path.join(self.folder, "contact-sheet.png")]
        subprocess.run(args, check=False, stderr=subprocess.DEVNULL)
