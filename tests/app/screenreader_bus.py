#!/usr/bin/python3
"""What a screen reader meets in the program, read over the accessibility bus
(AT-SPI) as Orca reads it: the program itself on a virtual screen, on a
private session bus with an accessibility bus of its own, showing the sample
forum through the loopback proxy.

    screenreader_bus.py VELMORA FORUM_PY

First the desktop's accessibility is on but nothing listens to the bus:
the page must stay unread (it costs processor time). Then a listener comes,
as Orca does, and the page must be read without being asked; then by keys
alone the member goes to a reply (Tab, Enter, Tab, Enter), writes, opens the
Iconario with Ctrl+E (its button checked), chooses a set with Space, reaches
the list by Tab, picks the first name with Home and presses Enter: the screen reader hears
that the tag went into the message, and is told the reply has the keyboard
again; the member writes on. Ctrl+E in the reply goes back into the open
panel, Esc closes it, and the reply is told to have the keyboard again; so
too after Ctrl+E closes it. A topic is reached by keys, each page heard as
it loads, and read with F9: its text by line, its headings with their
levels, its table with its size. Tab leaves the page for the bar
and comes back in. Last, the flag Orca sets alone is enough.

Exits 77 (skipped) where the machine cannot run the bus: no Xvfb, no session
bus, no at-spi2-core, no pyatspi.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def skip(why):
    print(f"SKIP: {why}", flush=True)
    sys.exit(SKIP)


def fail(why):
    print(f"FAIL: {why}", flush=True)
    sys.exit(1)


def outside(args):
    """Checks what the test needs, then runs itself on a virtual screen and
    a private session bus."""
    for tool in ("xvfb-run", "dbus-run-session", "xdotool", "openbox"):
        if not shutil.which(tool):
            skip(f"{tool} is not installed")
    if not os.access(LAUNCHER, os.X_OK):
        skip("at-spi2-core is not installed (no at-spi-bus-launcher)")
    try:
        import pyatspi  # noqa: F401
    except ImportError:
        skip("python3-pyatspi is not installed")
    # Everything it starts has a home of its own: the bus launcher keeps its
    # flags in the desktop's settings, which must not be the user's.
    scratch = tempfile.mkdtemp(prefix="velmora-a11y-")
    try:
        env = dict(os.environ, HOME=scratch, XDG_CONFIG_HOME=os.path.join(scratch, "config"),
                   XDG_CACHE_HOME=os.path.join(scratch, "cache"), XDG_DATA_HOME=os.path.join(scratch, "data"),
                   XDG_STATE_HOME=os.path.join(scratch, "state"), XDG_RUNTIME_DIR=os.path.join(scratch, "run"))
        os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
        return subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "dbus-run-session", "--",
                               sys.executable, __file__, "--inside", *args], env=env).returncode
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def wait_for(what, timeout, step=0.2):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = what()
        if found:
            return found
        time.sleep(step)
    return None


def set_bus_flag(name, value):
    return subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                           "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status", f"string:{name}",
                           f"variant:boolean:{'true' if value else 'false'}"], capture_output=True).returncode == 0


def inside(velmora, forum_py):
    import pyatspi
    from gi.repository import GLib

    children = []

    def start(command, **kw):
        process = subprocess.Popen(command, **kw)
        children.append(process)
        return process

    # The desktop's accessibility on, as some desktops keep it, but nothing
    # listening yet: no screen reader.
    start([LAUNCHER, "--launch-immediately"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not wait_for(lambda: set_bus_flag("IsEnabled", True), 10):
        skip("the accessibility bus did not start")
    start(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    forum = start([sys.executable, forum_py, "--port", "0"], stdout=subprocess.PIPE, text=True)
    port = forum.stdout.readline().strip()
    env = dict(os.environ, QT_QPA_PLATFORM="xcb",
               QTWEBENGINE_CHROMIUM_FLAGS=f"--proxy-server=http://127.0.0.1:{port}")
    env.pop("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", None)

    def velmora_run(check):
        process = subprocess.Popen([velmora], env=env)
        try:
            check(process)
        finally:
            process.terminate()
            process.wait(20)

    try:
        velmora_run(lambda process: expect_page(pyatspi, process, readable=False))
        # Orca starts: it listens to the bus's events.
        pyatspi.Registry.registerEventListener(lambda event: None, "object:state-changed:focused")
        velmora_run(lambda process: run_checks(pyatspi, GLib, process))
        # Only the flag Orca sets, the desktop's accessibility off.
        set_bus_flag("IsEnabled", False)
        set_bus_flag("ScreenReaderEnabled", True)
        velmora_run(lambda process: expect_page(pyatspi, process, readable=True))
    finally:
        for process in reversed(children):
            process.terminate()
        for process in children:
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
    print("PASS", flush=True)


def nodes(pyatspi, node, skip_document=False):
    if skip_document and node.getRole() == pyatspi.ROLE_DOCUMENT_WEB:
        return
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child:
            yield from nodes(pyatspi, child, skip_document)


def find(pyatspi, root, role, name=None):
    for node in nodes(pyatspi, root):
        if node.getRole() == role and (name is None or node.name == name):
            return node
    return None


def expect_page(pyatspi, app_process, readable):
    """The program on the bus with its forum page loaded; its links exposed
    or not. Returns the application and the page's document."""
    def application():
        for app in pyatspi.Registry.getDesktop(0):
            if app and app.get_process_id() == app_process.pid:
                return app
        return None

    app = wait_for(application, 60, 0.5)
    if not app:
        fail("the program never appeared on the accessibility bus")
    # The window's title says the page has loaded, read or not.
    if not wait_for(lambda: any(n.name == "NORVALE system - Velmora Forum - Indice" for n in nodes(pyatspi, app)),
                    60, 0.5):
        fail("the forum's page never loaded")
    document = find(pyatspi, app, pyatspi.ROLE_DOCUMENT_WEB)
    link = wait_for(lambda: find(pyatspi, app, pyatspi.ROLE_LINK, "Hardware e periferiche"),
                    60 if readable else 3, 0.5)
    if readable and not link:
        fail("the forum's links are not exposed: the page is unreadable")
    if not readable and link:
        fail("the page's accessibility is on with no screen reader")
    return app, document


def run_checks(pyatspi, GLib, app_process):
    app, document = expect_page(pyatspi, app_process, readable=True)

    # No control of the program's own without a name.
    named_roles = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TOGGLE_BUTTON, pyatspi.ROLE_CHECK_BOX,
                   pyatspi.ROLE_RADIO_BUTTON, pyatspi.ROLE_LIST, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY,
                   pyatspi.ROLE_IMAGE, pyatspi.ROLE_COMBO_BOX, pyatspi.ROLE_SCROLL_PANE}
    unnamed = [n.getRoleName() for n in nodes(pyatspi, app, skip_document=True)
               if n.getRole() in named_roles and not (n.name or "").strip()]
    if unnamed:
        fail(f"unnamed controls: {unnamed}")
    # Only windows are frames: Orca ignores the focus in a frame that is not
    # the active window.
    inner = [n.name for n in nodes(pyatspi, app, skip_document=True)
             if n.getRole() == pyatspi.ROLE_FRAME and n.parent != app]
    if inner:
        fail(f"panels told as windows: {inner}")

    window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(app_process.pid),
                             "--name", "NORVALE system"], capture_output=True, text=True).stdout.split()
    if not window:
        fail("the main window is not on the screen")
    subprocess.run(["xdotool", "windowactivate", "--sync", window[0]], capture_output=True)

    # Where the focus is, as a screen reader learns it: from the bus's events.
    heard = {"focus": None, "said": []}

    def on_event(event):
        if not event.detail1:
            return
        if event.type.startswith("object:state-changed:focused"):
            heard["focus"] = event.source
        elif event.source.getRole() == pyatspi.ROLE_NOTIFICATION:
            heard["said"].append(event.source.name)

    # As Orca does, names are followed as they change.
    pyatspi.Registry.registerEventListener(on_event, "object:state-changed:focused",
                                           "object:state-changed:showing", "object:property-change:accessible-name")

    def pump(until, timeout):
        end = time.monotonic() + timeout
        result = [None]

        def check():
            try:
                result[0] = until()
            except GLib.GError:
                result[0] = None  # a node gone with the page it was on
            if result[0] or time.monotonic() > end:
                pyatspi.Registry.stop()
                return False
            return True

        GLib.timeout_add(50, check)
        pyatspi.Registry.start()
        return result[0]

    def within(node, ancestor):
        while node:
            if node == ancestor:
                return True
            node = node.parent
        return False

    def key(*keys, until, timeout=10):
        subprocess.run(["xdotool", "key", *keys], check=True)
        if not pump(until, timeout):
            try:
                now = f"{heard['focus'].getRoleName()} \"{heard['focus'].name}\""
            except (AttributeError, GLib.GError):
                now = "nothing on the bus"
            fail(f"after {' '.join(keys)}: focus on {now}")

    def focus_is(role, name=None):
        return lambda: (lambda n: n is not None and n.getRole() == role and (name is None or n.name == name))(
            heard["focus"])

    page = find(pyatspi, app, pyatspi.ROLE_FILLER, "Pagina del forum")
    iconario = find(pyatspi, app, pyatspi.ROLE_CHECK_BOX, "Iconario")
    if not iconario:
        fail("no Iconario button")

    def titled(title):
        return lambda: find(pyatspi, page, pyatspi.ROLE_DOCUMENT_WEB, title)

    def typing():
        focus = heard["focus"]
        return (focus is not None and focus.getState().contains(pyatspi.STATE_MULTI_LINE)
                and focus.getState().contains(pyatspi.STATE_EDITABLE) and within(focus, page))

    # To a reply by keys: the first link, its section, "Rispondi"; the
    # reply box takes the focus, and the member writes.
    key("Tab", until=focus_is(pyatspi.ROLE_LINK, "Hardware e periferiche"))
    key("Return", until=titled("Velmora Forum - Sezione"))
    key("Tab", until=focus_is(pyatspi.ROLE_LINK, "Rispondi"))
    key("Return", until=typing)
    box = heard["focus"]
    subprocess.run(["xdotool", "type", "Ciao "], check=True)

    # From the text to the Iconario and back: Ctrl+E, a set, an emoticon, OK.
    key("ctrl+e", until=focus_is(pyatspi.ROLE_RADIO_BUTTON))
    if not iconario.getState().contains(pyatspi.STATE_CHECKED):
        fail("the Iconario's button is not checked with the panel open")
    chosen = heard["focus"]
    key("space", until=lambda: chosen.getState().contains(pyatspi.STATE_CHECKED))
    emoticons = find(pyatspi, app, pyatspi.ROLE_LIST, "Emoticon del set")
    for _ in range(3):
        key("Tab", until=lambda: heard["focus"] != chosen)
        if within(heard["focus"], emoticons):
            break
    else:
        fail("Tab never reached the list of emoticons")
    ok = find(pyatspi, app, pyatspi.ROLE_PUSH_BUTTON, "OK")
    # The first name, focused by Tab, is picked by Home.
    key("Home", until=lambda: ok.getState().contains(pyatspi.STATE_ENABLED)
        and ok.getState().contains(pyatspi.STATE_SHOWING))

    def back_in_the_reply():
        return heard["focus"] is not None and heard["focus"] == box

    # Enter on the name is OK: the tag goes into the reply, the keyboard
    # with it, and the screen reader hears both.
    key("Return", until=lambda: any(s.startswith("Inserito nel messaggio: ") for s in heard["said"])
        and back_in_the_reply())
    subprocess.run(["xdotool", "type", " a tutti"], check=True)
    # A second emoticon: Ctrl+E in the reply goes into the open panel; Esc
    # there closes it, with the keyboard back in the reply, and says so.
    key("ctrl+e", until=focus_is(pyatspi.ROLE_RADIO_BUTTON))
    key("Escape", until=lambda: not iconario.getState().contains(pyatspi.STATE_CHECKED) and back_in_the_reply()
        and "Iconario chiuso" in heard["said"])
    subprocess.run(["xdotool", "type", "!"], check=True)
    text = box.queryText()
    written = pump(lambda: (lambda t: t if t.endswith(" a tutti!") else None)(text.getText(0, -1)), 10)
    if not written or not written.startswith("Ciao [img]") or "[/img] a tutti!" not in written:
        fail(f"the reply holds {text.getText(0, -1)!r}")
    # Ctrl+E opens the panel and, in the panel, closes it again.
    key("ctrl+e", until=focus_is(pyatspi.ROLE_RADIO_BUTTON))
    heard["focus"] = None
    key("ctrl+e", until=lambda: not iconario.getState().contains(pyatspi.STATE_CHECKED) and back_in_the_reply())

    # A topic, read as in a browser: to it by keys, each page heard as it
    # loads; F9 shows it as text, read by line, by heading with its level,
    # by table with its size; Esc gives the keyboard back to the page.
    key("alt+Home", until=titled("Velmora Forum - Indice"))
    key("Tab", until=focus_is(pyatspi.ROLE_LINK, "Hardware e periferiche"))
    key("Return", until=titled("Velmora Forum - Sezione"))
    for _ in range(3):
        key("Tab", until=lambda: heard["focus"] is not None and heard["focus"].getRole() == pyatspi.ROLE_LINK)
        if heard["focus"].name == "La stampante non stampa più":
            break
    topic = "La stampante non stampa più - Velmora Forum"
    key("Return", until=lambda: f"Caricata: {topic}" in heard["said"])
    key("F9", until=lambda: heard["focus"] is not None and heard["focus"].name == "Lettura della pagina")
    reading = heard["focus"].queryText()
    read = pump(lambda: (lambda t: t if "Re: La stampante non stampa più" in t else None)(reading.getText(0, -1)), 10)
    if not read or "Messaggi: 2; Visite: 57; Iniziata: ieri; Ultima risposta: oggi" not in read:
        fail(f"the topic reads {reading.getText(0, -1)!r}")
    key("3", until=lambda: "Intestazione livello 3: La stampante non stampa più" in heard["said"])
    key("h", until=lambda: "Intestazione livello 3: Re: La stampante non stampa più" in heard["said"])
    key("t", until=lambda: "Tabella con 2 righe e 4 colonne" in heard["said"])
    key("Escape", until=lambda: within(heard["focus"], page))

    # Tab leaves the page for the bar, goes along it, and comes back in.
    bar = ["Indietro", "Avanti", "Ricarica", "Interrompi", "Pagina iniziale del forum"]
    for _ in range(30):
        subprocess.run(["xdotool", "key", "Tab"], check=True)
        if pump(focus_is(pyatspi.ROLE_PUSH_BUTTON, bar[0]), 0.5):
            break
    else:
        fail("Tab never left the page for the bar")
    for name in bar[1:]:
        key("Tab", until=focus_is(pyatspi.ROLE_PUSH_BUTTON, name))
    key("Tab", until=focus_is(pyatspi.ROLE_CHECK_BOX, "Iconario"))
    key("Tab", until=lambda: within(heard["focus"], page))
    key("shift+Tab", until=focus_is(pyatspi.ROLE_CHECK_BOX, "Iconario"))

if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] == "--inside":
        inside(*sys.argv[2:4])
    elif len(sys.argv) == 3:
        sys.exit(outside(sys.argv[1:3]))
    else:
        print(__doc__)
        sys.exit(2)
