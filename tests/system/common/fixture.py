#!/usr/bin/python3
"""The environments that the system checks run in, as CTest fixtures: a private X display with a
window manager, a session bus, the Orca screen reader speaking into a log, a Wine prefix, and the
web site served on this machine. Every process runs in a session of its own with its output in
STATE/NAME, so CTest never waits on a pipe a daemon holds; stop ends it with all its descendants.

    fixture.py start NAME STATE [NEED...]   starts NAME with the variables of every fixture it needs
                                            (CMake names the indirect ones too), its state in STATE/NAME
    fixture.py stop NAME STATE              ends every process it started, removes its state
    fixture.py run STATE NAME... -- COMMAND...   runs COMMAND with the named fixtures' variables"""
import contextlib, json, os, shutil, signal, subprocess, sys
from pathlib import Path
from check import poll

HERE = Path(__file__).resolve().parent
# Kept from Orca and the program under it, so that the program turns accessibility on from the
# desktop's switch alone, as on a desktop: Qt's own switches, and the caller's session manager.
NOT_UNDER_ORCA = ("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "QT_ACCESSIBILITY", "SESSION_MANAGER")


def stat(pid):
    """The fields of /proc/PID/stat after the ")" that ends the command's name: state, parent, ..."""
    return Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()


def descendants(pids):
    parent = {}
    for proc in Path("/proc").glob("[0-9]*"):
        with contextlib.suppress(OSError, IndexError):  # a process that has ended meanwhile
            parent[int(proc.name)] = int(stat(proc.name)[1])
    tree = list(pids)
    for of in tree:  # the loop goes on over the children it appends
        tree += [child for child, p in parent.items() if p == of]
    return tree[len(pids):]


def alive(pid):
    with contextlib.suppress(OSError, IndexError):
        return stat(pid)[0] != "Z"
    return False


def program(pid):
    """The name of PID's program, or "" once it has ended."""
    with contextlib.suppress(OSError):
        return Path(f"/proc/{pid}/comm").read_text().strip()
    return ""


def launch(argv, log, mode="wb", **kwargs):
    """ARGV started in a session of its own (end() ends it whole), reading nothing, writing to LOG."""
    with open(log, mode) as sink:
        return subprocess.Popen(list(map(str, argv)), stdin=subprocess.DEVNULL, stdout=sink, stderr=sink,
                                start_new_session=True, **kwargs)


def end(pids):
    """Ends the processes and all their descendants: SIGTERM, then SIGKILL after 2 s."""
    victims = [p for p in pids if alive(p)]
    victims += descendants(victims)
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in victims:
            with contextlib.suppress(ProcessLookupError):
                os.kill(pid, sig)
        if poll(2, lambda: not any(alive(p) for p in victims)):
            break


class Fixture:
    def __init__(self, name, state, needs):
        self.name, self.dir = name, Path(state) / name
        self.env, self.exports, self.pids = environment(state, needs), {}, []

    def spawn(self, argv, log, ready=lambda: True, what=None, **kwargs):
        """Starts ARGV writing to LOG; returns what READY returns once true within 10 s, or else
        fails, saying that WHAT (ARGV's program) did not start."""
        self.pids.append(launch(argv, self.dir / log, "ab", env=self.env, **kwargs).pid)
        self.save()
        result = poll(10, ready)
        if not result:
            self.fail(f"{what or argv[0]} did not start", log)
        return result

    def export(self, **variables):
        self.exports.update(variables)
        self.env.update(variables)
        self.save()

    def save(self):
        (self.dir / "state.json").write_text(json.dumps({"env": self.exports, "pids": self.pids}))

    def fail(self, message, log):
        said = (self.dir / log).read_text(errors="replace")[-4000:]  # made as the process started
        sys.exit(f"fixture {self.name}: {message}\n{said}")


def environment(state, names):
    """This process's variables, with those of the named fixtures."""
    env = dict(os.environ)
    for name in names:
        path = Path(state) / name / "state.json"
        if not path.exists():
            sys.exit(f"fixture {name} is not running (no {path})")
        env.update(json.loads(path.read_text())["env"])
    return env


def start_display(f):
    """Xvfb on a display it picks itself, and openbox: without a window manager Wine's windows
    never get the keyboard focus, and new windows are not activated as on a desktop."""
    runtime = f.dir / "runtime"
    runtime.mkdir(mode=0o700)
    read, write = os.pipe()
    f.spawn(["Xvfb", "-displayfd", str(write), "-nolisten", "tcp", "-screen", "0", "1024x768x24"],
            "xvfb.log", pass_fds=(write,))
    os.close(write)
    with os.fdopen(read) as number:
        display = number.readline().strip()
    if not display:
        f.fail("Xvfb did not start", "xvfb.log")
    f.export(DISPLAY=f":{display}", XDG_RUNTIME_DIR=str(runtime))
    if os.environ.get("CONVERSIONE_NO_WINDOW_MANAGER"):  # the benchmarks' bare display
        return
    ready = lambda: b"window id" in subprocess.run(
        ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=f.env, capture_output=True).stdout
    f.spawn(["openbox"], "openbox.log", ready)


def start_dbus(f):
    out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1", "--print-pid=1"],
                         env=f.env, capture_output=True, text=True, check=True).stdout.split()
    f.pids.append(int(out[1]))
    f.export(DBUS_SESSION_BUS_ADDRESS=out[0])


def italian_locale():
    return "it_IT.utf8" in subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout


def accessibility_on(env):
    """The desktop's accessibility switch on, as a screen reader turns it on: the setting, and the
    same on the accessibility bus itself (newer at-spi2-core no longer derives one from the other)."""
    subprocess.run(["gsettings", "set", "org.gnome.desktop.interface", "toolkit-accessibility", "true"],
                   env=env, check=True)
    subprocess.run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus",
                    "--method", "org.freedesktop.DBus.Properties.Set", "org.a11y.Status", "IsEnabled",
                    "<true>"], env=env, check=True, stdout=subprocess.DEVNULL)


def start_orca(f):
    """speech-dispatcher writing what it is given to a text file, the desktop's accessibility
    switch on, and Orca in Italian with its debug log written line by line (ORCA_LOG)."""
    # Orca speaks its own words (roles, states) in the user's language; only root can add the
    # locale, and without it the screen reader's check skips.
    if not italian_locale() and os.geteuid() == 0:
        subprocess.run(["localedef", "-i", "it_IT", "-f", "UTF-8", "it_IT.UTF-8"], check=True)
    home, logs = f.dir / "home", f.dir / "logs"
    (home / ".config/speech-dispatcher/modules").mkdir(parents=True)
    logs.mkdir()
    templates = HERE.parent / "linux" / "screen-reader"
    for source, target in (("speechd.conf", ".config/speech-dispatcher/speechd.conf"),
                           ("textlog.conf", ".config/speech-dispatcher/modules/textlog.conf"),
                           ("asoundrc", ".asoundrc")):
        (home / target).write_text((templates / source).read_text().replace("@DIR@", str(f.dir)))
    f.export(HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
             XDG_DATA_HOME=str(home / ".local/share"), XDG_CACHE_HOME=str(home / ".cache"),
             NO_AT_BRIDGE="0", ORCA_LOG=str(logs / "orca.debug"), SPOKEN=str(logs / "spoken.txt"))
    for name in NOT_UNDER_ORCA:
        f.env.pop(name, None)
    accessibility_on(f.env)
    socket = Path(f.env["XDG_RUNTIME_DIR"]) / "speech-dispatcher/speechd.sock"
    f.spawn(["speech-dispatcher", "-s", "-t", "0"], "speech-dispatcher.log", socket.exists)
    f.env.update(LANG="it_IT.UTF-8", LC_ALL="it_IT.UTF-8")
    f.spawn(["/usr/bin/python3", str(templates / "orca-for-ci.py"), f.exports["ORCA_LOG"]], "orca.log")


def start_wine(f):
    """A Wine prefix of its own, made on the display, where wineboot's windows can open. Wine's
    prefix is 64-bit only: "wine32 is missing" is noise for a 64-bit program."""
    f.export(WINEPREFIX=str(f.dir / "prefix"), WINEDEBUG=os.environ.get("WINEDEBUG", "-all"),
             WINEDLLOVERRIDES="mscoree,mshtml=")
    subprocess.run(["wineboot", "-i"], env=f.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=f.env)


def start_site(f):
    """The build's site (SITE, beside the fixtures' state) served as a static host would, by the
    server scripts/web.sh --serve runs; its address in CONVERSIONE_SITE_URL."""
    log, serve = f.dir / "serve.log", HERE.parents[2] / "packaging/web/serve.py"
    url = lambda: log.read_text().partition("\n")[0] if log.read_text().endswith("\n") else ""
    f.export(CONVERSIONE_SITE_URL=f.spawn(["/usr/bin/python3", serve, f.dir.parent.parent / "site"],
                                          "serve.log", url, "the site's server"))


STARTS = {"display": start_display, "dbus": start_dbus, "orca": start_orca, "wine": start_wine,
          "site": start_site}


def stop(name, state):
    folder = Path(state) / name
    try:
        saved = json.loads((folder / "state.json").read_text())
    except OSError:
        return
    if name == "wine":
        env = dict(os.environ, **saved["env"])
        subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["timeout", "20", "wineserver", "-w"], env=env, stderr=subprocess.DEVNULL)
    end(saved["pids"])
    if os.environ.get("KEEP"):
        print(f"kept {folder}")
    else:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    match sys.argv[1:]:
        case ["start", name, state, *needs]:
            stop(name, state)  # whatever an interrupted run left
            fixture = Fixture(name, state, needs)
            fixture.dir.mkdir(parents=True)
            fixture.save()
            STARTS[name](fixture)
            print(f"fixture {name}: " + " ".join(f"{k}={v}" for k, v in fixture.exports.items()))
        case ["stop", name, state, *_]:
            stop(name, state)
        case ["run", state, *rest] if "--" in rest:
            split = rest.index("--")
            os.execvpe(rest[split + 1], rest[split + 1:], environment(state, rest[:split]))
        case _:
            sys.exit(__doc__)
