#!/bin/sh
"true" '''\'
# A shell prelude that Python reads as a string: the file runs with
# ./install-on-linux.sh, sh install-on-linux.sh and bash install-on-linux.sh alike.
# Python runs isolated (-I -S): a player's PYTHONPATH or site packages change nothing.
command -v python3 >/dev/null 2>&1 || {
  echo "install-on-linux.sh needs python3, which is not installed." >&2
  echo "Install it with your system's package manager (it comes with Steam's Proton)." >&2
  exit 14
}
exec python3 -I -S "$0" "$@"
'''

# install-on-linux.sh: installs addonwarlord1 on Linux and the Steam Deck.
#
# Finds the Wine or Proton prefix where the game is installed (Steam's native,
# Flatpak and Snap installs with every library Steam lists, ~/.wine,
# $WINEPREFIX, Lutris, Heroic and Bottles), by the registry keys that the
# installer itself reads, and runs addonwarlord1_setup.exe there with the
# game's own Proton, or with the Wine the prefix belongs to. It writes
# nothing itself and never starts Steam. Run it from the unpacked release
# folder; --help tells the options and exit statuses.

import os
import re
import shlex
import shutil
import subprocess
import sys

INSTALLER = "addonwarlord1_setup.exe"
LOCALE = "zh_TW.UTF-8"

# The registry keys the installer reads under HKEY_CURRENT_USER, base edition first.
EDITIONS = (("base", "Vantaris77 Tc"), ("expansion", "Vantaris77QX Tc"))

# This script's own statuses: none of them is a status of the installer as a
# shell sees it (0 to 4, 45, 46, 101 to 109, 145, 201 to 206, 245 to 248).
EXIT_NOT_FOUND = 10
EXIT_SEVERAL = 11
EXIT_NO_TOOL = 12
EXIT_GAME_RUNNING = 13
EXIT_USAGE = 14
EXIT_STEAM_FILE = 15

# The installer's outcomes, in the words of the README's table of exit codes
# (a test holds the two together).
OUTCOMES = (
    ("0", "installed"),
    ("101", "the game is not installed (no installation folder in the registry)"),
    ("102", "a face archive could not be copied from the game's folder: it is missing or cannot be read, the "
            "disk is full, or another program held the game's archive or the copy longer than the retries"),
    ("103, 104", "the base edition (103) or the expansion (104) is not updated far enough"),
    ("105", "the documents folder cannot be found (at the start, or when the expansion's set-data file is "
            "looked for), or its name cannot be written in the system's code page or is longer than 259 "
            "bytes in it"),
    ("106", "Windows or a security program (Controlled folder access, an antivirus program's ransomware or "
            "folder shield, the folder's permissions) refused a write into the documents folder (making a "
            "folder, creating, opening for writing, copying to or replacing a file) after the retries"),
    ("107", "a file the installer needs under the documents folder (a face archive, the set-data file) is "
            "kept online only by a cloud sync client, and its data cannot be had (the client closed, paused "
            "or offline)"),
    ("108", "the installer runs elevated as a user other than the one signed in to the desktop (\"Run as "
            "administrator\" from a standard account); told before the registry is read or anything is "
            "written"),
    ("109", "a file stands where a folder the installer needs must be (ZAVO, Vantaris77 Tc, EDIT, "
            "EDIT\\BUSHOU or GRP under the documents folder); told before anything is made"),
    ("201-203", "the large, medium or small face archive could not be patched"),
    ("204-206", "the large, medium or small face archive could not be replaced"),
    ("301, 302", "the record file could not be written or moved into place"),
    ("401", "the expansion's scenario set-data file is there but stayed held by another program longer "
            "than the retries, or could not be read or written; where there is no such file (also a folder "
            "of its name, or a path of 260 bytes or more) the flag is skipped and the run goes on"),
    ("501", "the installation's thread could not be started"),
    ("502", "the installation's thread ended without its outcome reaching the dialog (a lost message)"),
    ("503", "the progress dialog could not be made (a damaged copy, or no resources left); the Win32 error "
            "goes to the debugger (OutputDebugString; under Wine, WINEDEBUG=+debugstr)"),
    ("504", "a system DLL (user32, gdi32, comctl32, shell32, shlwapi) or one of its functions could not be "
            "loaded; told in a box where one can still be shown (not without user32 or gdi32, nor under Wine "
            "without comctl32); the DLL and error go to the debugger"),
    ("1", "the dialog was ended from outside before the installation reported an outcome (the program "
          "itself never does that)"),
    ("2", "declined: the game or its launcher is running"),
    ("3", "declined: another copy of the installer is running"),
    ("4", "failed with a code that would read as one of the values above"),
)

USAGE = """\
Usage: ./install-on-linux.sh [--prefix DIR] [--proton DIR | --wine PATH]
       ./install-on-linux.sh --list | --help

Installs addonwarlord1 into the Wine or Proton prefix where the game is
installed: run it from the unpacked folder, beside addonwarlord1_setup.exe.
It looks in Steam (native, Flatpak and Snap, every library), ~/.wine,
$WINEPREFIX, Lutris, Heroic and Bottles, and runs the installer with the
game's own Proton (or the prefix's Wine). Answer the installer's boxes with OK.

  --prefix DIR   use this prefix: a Wine prefix, or a Steam compatdata/<app id>
                 folder
  --proton DIR   run the installer with the Proton in DIR (a folder that holds
                 the file 'proton'); for a Steam prefix
  --wine PATH    run the installer with this wine program
  --list         print the prefixes where the game is installed, one a line
  --help         print this text

Exit status: the installer's own (0: installed) when it ran; otherwise
  10  the game was found in no prefix
  11  the game was found in several prefixes: choose one with --prefix
  12  which Proton or Wine runs the game cannot be told: choose with
      --proton or --wine
  13  the game or its launcher is running: close it first
  14  the command cannot run as given (a bad option, or a file it needs is
      missing)
  15  a Steam file cannot be read
"""


class Stop(Exception):
    """Ends the run with a message and one of this script's statuses."""

    def __init__(self, status, message):
        Exception.__init__(self, message)
        self.status = status


def say(text=""):
    print(text, flush=True)


def warn(text):
    print("Note: " + text, file=sys.stderr, flush=True)


def quoted(path):
    return shlex.quote(path)


def home():
    return os.path.expanduser("~")


def shown(path):
    """A path as the player knows it: ~ for the home folder."""
    h = home().rstrip("/")
    if h and (path == h or path.startswith(h + "/")):
        return "~" + path[len(h):]
    return path


def real(path):
    return os.path.realpath(path)


# --- Text files: Steam's KeyValues (.vdf, .acf), Wine's registry -----------

class FileProblem(Exception):
    """A file that is there but cannot be read or understood."""

    def __init__(self, path, reason):
        Exception.__init__(self, "%s: %s" % (path, reason))
        self.path = path
        self.reason = reason


def read_text(path):
    try:
        with open(path, "rb") as stream:
            data = stream.read()
    except OSError as error:
        raise FileProblem(path, error.strerror or str(error))
    return data.decode("utf-8", "surrogateescape")


class Node:
    """A KeyValues block: its entries in order, keys compared without case."""

    def __init__(self):
        self.entries = []

    def get(self, key):
        for name, value in self.entries:
            if name.lower() == key.lower():
                return value
        return None

    def block(self, *keys):
        node = self
        for key in keys:
            node = node.get(key) if isinstance(node, Node) else None
        return node if isinstance(node, Node) else None

    def text(self, key):
        value = self.get(key)
        return value if isinstance(value, str) else None


_VDF_TOKEN = re.compile(r'\s+|//[^\n]*|"((?:[^"\\]|\\.)*)"|([{}])|(\[[^\]\n]*\])|([^\s"{}]+)', re.S)
_VDF_ESCAPES = {"n": "\n", "t": "\t", "\\": "\\", '"': '"'}


def parse_vdf(text, path):
    """Steam's text KeyValues format; a file that does not follow it is a FileProblem."""
    tokens = []
    position = 0
    while position < len(text):
        match = _VDF_TOKEN.match(text, position)
        if match is None:
            line = text.count("\n", 0, position) + 1
            raise FileProblem(path, "not in Steam's format (line %d)" % line)
        position = match.end()
        if match.group(1) is not None:
            tokens.append(("s", re.sub(r"\\(.)", lambda m: _VDF_ESCAPES.get(m.group(1), "\\" + m.group(1)),
                                       match.group(1))))
        elif match.group(2) is not None:
            tokens.append((match.group(2), None))
        elif match.group(4) is not None:
            tokens.append(("s", match.group(4)))
        # White space, comments and conditions such as [$WIN32] carry nothing here.
    root = Node()
    stack = [root]
    index = 0
    while index < len(tokens):
        kind, value = tokens[index]
        if kind == "}":
            if len(stack) == 1:
                raise FileProblem(path, "not in Steam's format (a '}' too many)")
            stack.pop()
            index += 1
            continue
        if kind != "s" or index + 1 >= len(tokens):
            raise FileProblem(path, "not in Steam's format (cut short)")
        following, text_value = tokens[index + 1]
        if following == "{":
            child = Node()
            stack[-1].entries.append((value, child))
            stack.append(child)
        elif following == "s":
            stack[-1].entries.append((value, text_value))
        else:
            raise FileProblem(path, "not in Steam's format (a key without a value)")
        index += 2
    if len(stack) != 1:
        raise FileProblem(path, "not in Steam's format (cut short)")
    return root


def read_vdf(path):
    return parse_vdf(read_text(path), path)


_REG_ESCAPE = re.compile(r'\\(x[0-9a-fA-F]{1,4}|[0-7]{1,3}|.)', re.S)
_REG_LETTERS = {"a": "\a", "b": "\b", "t": "\t", "n": "\n", "v": "\v", "f": "\f", "r": "\r", "e": "\x1b"}


def unescape_registry(text):
    def one(match):
        code = match.group(1)
        if code[0] == "x" and len(code) > 1:
            return chr(int(code[1:], 16))
        if code[0] in "01234567":
            return chr(int(code, 8))
        return _REG_LETTERS.get(code, code)
    return _REG_ESCAPE.sub(one, text)


def registry_text(data):
    """The text the installer reads from a value of Wine's user.reg, or None
    where it reads nothing (the registry type does not matter to it)."""
    string = re.match(r'^(?:str\(\d+\):)?"((?:[^"\\]|\\.)*)"\s*$', data, re.S)
    if string:
        text = unescape_registry(string.group(1)).split("\0")[0]
        return text or None
    hexed = re.match(r"^hex(?:\((\w+)\))?:(.*)$", data, re.S)
    if hexed:
        raw = bytes(int(part, 16) for part in re.findall(r"[0-9a-fA-F]{2}", hexed.group(2)))
        if hexed.group(1) in ("1", "2", "7"):  # strings, kept as UTF-16
            text = raw.decode("utf-16-le", "replace").split("\0")[0]
        else:
            text = raw.split(b"\0")[0].decode("latin-1")
        return text or None
    dword = re.match(r"^dword:([0-9a-fA-F]{8})", data)
    if dword:
        raw = int(dword.group(1), 16).to_bytes(4, "little")
        return raw.split(b"\0")[0].decode("latin-1") or None
    return None


def game_in_registry(user_reg):
    """(edition, installation folder) when the game is installed in this
    prefix for its user, as the installer finds it; None when it is not."""
    wanted = {("software\\zavo\\%s\\install" % key.lower()): edition for edition, key in EDITIONS}
    found = {}
    section = None
    pending = ""
    for line in read_text(user_reg).split("\n"):
        line = line.rstrip("\r")
        if pending:
            line, pending = pending + line.lstrip(), ""
        if line.endswith("\\") and section in wanted and not line.startswith("["):
            pending = line[:-1]  # a long hex value goes on on the next line
            continue
        if line.startswith("["):
            name = line[1:].rsplit("]", 1)[0]
            section = unescape_registry(name).lower()
            continue
        if section in wanted and line.lower().startswith('"installinfo"='):
            text = registry_text(line[len('"installinfo"='):])
            if text:
                found[wanted[section]] = text
    for edition, _ in EDITIONS:
        if edition in found:
            return edition, found[edition]
    return None


# --- Prefixes and where they come from -------------------------------------

class Prefix:
    """A Wine prefix, and what runs programs in it."""

    def __init__(self, path, origin):
        self.path = real(path)
        self.origin = origin          # how the player knows it, e.g. "Steam app 1234"
        self.steam = None             # SteamInstall, for a Steam prefix
        self.compat_data = None       # the folder Proton works in (holds pfx/)
        self.app_id = None
        self.proton = None            # a Proton folder a launcher records for it
        self.wine = None              # the wine program a launcher records for it
        self.wine_source = None       # what records that wine
        self.missing_runner = None    # a Wine or Proton the launcher names but that is not there
        self.game = None              # (edition, installation folder)

    def user_reg(self):
        return os.path.join(self.path, "user.reg")


class SteamInstall:
    def __init__(self, root, label):
        self.root = root
        self.label = label
        self.libraries = [root]
        self.absent_libraries = []
        self.problems = []


STEAM_ROOTS = (
    (".steam/root", "Steam"),
    (".steam/steam", "Steam"),
    (".local/share/Steam", "Steam"),
    (".steam/debian-installation", "Steam"),
    (".var/app/com.valvesoftware.Steam/.local/share/Steam", "Steam (Flatpak)"),
    (".var/app/com.valvesoftware.Steam/data/Steam", "Steam (Flatpak)"),
    ("snap/steam/common/.local/share/Steam", "Steam (Snap)"),
    ("snap/steam/common/.steam/steam", "Steam (Snap)"),
)


def find_steam_installs():
    installs = []
    seen = set()
    for relative, label in STEAM_ROOTS:
        root = os.path.join(home(), relative)
        if not os.path.isdir(os.path.join(root, "steamapps")):
            continue
        root = real(root)
        if root in seen:
            continue
        seen.add(root)
        install = SteamInstall(root, label)
        read_libraries(install)
        installs.append(install)
    return installs


def read_libraries(install):
    """Every library the Steam install lists, the install's own folder first."""
    listing = os.path.join(install.root, "steamapps", "libraryfolders.vdf")
    if not os.path.exists(listing):
        return
    try:
        folders = read_vdf(listing).block("libraryfolders")
    except FileProblem as problem:
        install.problems.append(problem)
        return
    if folders is None:
        install.problems.append(FileProblem(listing, "it holds no list of libraries"))
        return
    seen = {install.root}
    for _, entry in folders.entries:
        # Older Steam wrote "1" "/path"; today's write a block with "path".
        path = entry if isinstance(entry, str) else entry.text("path")
        if not path or not path.startswith("/"):
            continue
        if not os.path.isdir(os.path.join(path, "steamapps")):
            install.absent_libraries.append(path)
            continue
        path = real(path)
        if path not in seen:
            seen.add(path)
            install.libraries.append(path)


def steam_prefixes(install):
    prefixes = []
    for library in install.libraries:
        compat_root = os.path.join(library, "steamapps", "compatdata")
        try:
            names = sorted(os.listdir(compat_root))
        except OSError:
            continue
        for name in names:
            pfx = os.path.join(compat_root, name, "pfx")
            if not name.isdigit() or not os.path.isfile(os.path.join(pfx, "user.reg")):
                continue
            prefix = Prefix(pfx, "Steam app %s" % name)
            prefix.steam = install
            prefix.compat_data = real(os.path.join(compat_root, name))
            prefix.app_id = name
            prefixes.append(prefix)
    return prefixes


def simple_yaml(path):
    """The scalar settings of a launcher's YAML file, as {"section.key": value}
    (two levels are all that Lutris' and Bottles' settings need here)."""
    values = {}
    section = ""
    for line in read_text(path).split("\n"):
        if not line.strip() or line.lstrip().startswith("#"):
            continue
        match = re.match(r"^(\s*)([\w.-]+):\s*(.*?)\s*$", line)
        if match is None:
            continue
        indent, key, value = match.groups()
        if value.startswith(("'", '"')) and value.endswith(value[0]) and len(value) > 1:
            value = value[1:-1]
        if not indent:
            section = key
            if value:
                values[key] = value
        elif value:
            values[section + "." + key] = value
    return values


def wine_in(folder):
    for name in ("bin/wine", "bin/wine64"):
        path = os.path.join(folder, name)
        if os.path.isfile(path) and os.access(path, os.X_OK):
            return path
    return None


def lutris_prefixes():
    prefixes = []
    data_homes = [os.path.join(home(), ".local/share/lutris"),
                  os.path.join(home(), ".var/app/net.lutris.Lutris/data/lutris")]
    config_homes = [os.path.join(home(), ".config/lutris"),
                    os.path.join(home(), ".var/app/net.lutris.Lutris/config/lutris")]
    for data_home, config_home in zip(data_homes, config_homes):
        # The Wine that Lutris gives a game without a Wine of its own.
        default_version = None
        for runner_settings in (os.path.join(config_home, "runners", "wine.yml"),
                                os.path.join(data_home, "runners", "wine.yml")):
            if default_version is None and os.path.isfile(runner_settings):
                try:
                    default_version = simple_yaml(runner_settings).get("wine.version")
                except FileProblem as problem:
                    warn("cannot read Lutris' %s: %s" % (problem.path, problem.reason))
        for games in (os.path.join(data_home, "games"), os.path.join(config_home, "games")):
            try:
                names = sorted(os.listdir(games))
            except OSError:
                continue
            for name in names:
                if not name.endswith(".yml"):
                    continue
                try:
                    settings = simple_yaml(os.path.join(games, name))
                except FileProblem as problem:
                    warn("cannot read Lutris' %s: %s" % (problem.path, problem.reason))
                    continue
                path = settings.get("game.prefix")
                if not path:
                    continue
                prefix = Prefix(os.path.expanduser(path), "Lutris game %s" % name[:-4])
                version = settings.get("wine.version") or default_version
                if version and version != "system":
                    runner = os.path.join(data_home, "runners", "wine", version)
                    prefix.wine = wine_in(runner)
                    prefix.wine_source = "Lutris runs the game with %s" % version
                    if prefix.wine is None:
                        prefix.missing_runner = runner
                prefixes.append(prefix)
    return prefixes


def heroic_prefixes():
    import json
    prefixes = []
    for config in (os.path.join(home(), ".config/heroic"),
                   os.path.join(home(), ".var/app/com.heroicgameslauncher.hgl/config/heroic")):
        games = os.path.join(config, "GamesConfig")
        try:
            names = sorted(os.listdir(games))
        except OSError:
            continue
        for name in names:
            if not name.endswith(".json"):
                continue
            try:
                settings = json.loads(read_text(os.path.join(games, name)))
            except (FileProblem, ValueError) as problem:
                warn("cannot read Heroic's %s: %s" % (os.path.join(games, name), problem))
                continue
            for game, values in (settings.items() if isinstance(settings, dict) else ()):
                if not isinstance(values, dict) or not isinstance(values.get("winePrefix"), str):
                    continue
                tool = values.get("wineVersion") if isinstance(values.get("wineVersion"), dict) else {}
                binary = tool.get("bin") if isinstance(tool.get("bin"), str) else None
                folder = os.path.expanduser(values["winePrefix"])
                if tool.get("type") == "proton":
                    prefix = Prefix(os.path.join(folder, "pfx"), "Heroic game %s" % game)
                    prefix.compat_data = real(folder)
                    if binary and os.path.isfile(binary):
                        prefix.proton = real(os.path.dirname(binary))
                    elif binary:
                        prefix.missing_runner = binary
                else:
                    prefix = Prefix(folder, "Heroic game %s" % game)
                    if binary and os.path.isfile(binary) and os.access(binary, os.X_OK):
                        prefix.wine = binary
                        prefix.wine_source = "Heroic runs the game with %s" % tool.get("name", binary)
                    elif binary:
                        prefix.missing_runner = binary
                prefixes.append(prefix)
    return prefixes


def bottles_prefixes():
    prefixes = []
    for data in (os.path.join(home(), ".local/share/bottles"),
                 os.path.join(home(), ".var/app/com.usebottles.bottles/data/bottles")):
        bottles = os.path.join(data, "bottles")
        try:
            names = sorted(os.listdir(bottles))
        except OSError:
            continue
        for name in names:
            folder = os.path.join(bottles, name)
            settings_file = os.path.join(folder, "bottle.yml")
            if not os.path.isfile(settings_file):
                continue
            try:
                settings = simple_yaml(settings_file)
            except FileProblem as problem:
                warn("cannot read Bottles' %s: %s" % (problem.path, problem.reason))
                continue
            if settings.get("Custom_Path", "").lower() == "true" and settings.get("Path", "").startswith("/"):
                folder = settings["Path"]
            prefix = Prefix(folder, "Bottles bottle %s" % settings.get("Name", name))
            runner = settings.get("Runner", "")
            if runner and not runner.startswith("sys-"):
                folder = os.path.join(data, "runners", runner)
                prefix.wine = wine_in(folder)
                prefix.wine_source = "Bottles runs the bottle with %s" % runner
                if prefix.wine is None:
                    prefix.missing_runner = folder
            prefixes.append(prefix)
    return prefixes


def wine_prefixes():
    prefixes = [Prefix(os.path.join(home(), ".wine"), "Wine's default prefix")]
    if os.environ.get("WINEPREFIX"):
        prefixes.append(Prefix(os.path.expanduser(os.environ["WINEPREFIX"]), "$WINEPREFIX"))
    return prefixes + lutris_prefixes() + heroic_prefixes() + bottles_prefixes()


class Survey:
    """Every prefix looked at, and those that hold the game."""

    def __init__(self):
        self.steam_installs = find_steam_installs()
        candidates = []
        for install in self.steam_installs:
            candidates += steam_prefixes(install)
        candidates += wine_prefixes()
        # One prefix can be reached several ways ($WINEPREFIX and a launcher's
        # settings): the way that knows what runs programs in it counts.
        self.looked_at = []
        for prefix in candidates:
            same = [p for p in self.looked_at if p.path == prefix.path]
            if not same:
                self.looked_at.append(prefix)
            elif knows_its_runner(prefix) and not knows_its_runner(same[0]):
                self.looked_at[self.looked_at.index(same[0])] = prefix
        self.found = []
        for prefix in self.looked_at:
            if not os.path.isfile(prefix.user_reg()):
                continue
            try:
                prefix.game = game_in_registry(prefix.user_reg())
            except FileProblem as problem:
                warn("cannot read the registry of %s: %s" % (shown(prefix.path), problem.reason))
                continue
            if prefix.game:
                self.found.append(prefix)

    def problems(self):
        return [problem for install in self.steam_installs for problem in install.problems]


def knows_its_runner(prefix):
    return any((prefix.steam, prefix.compat_data, prefix.wine, prefix.proton, prefix.missing_runner))


def prefix_named(path, survey):
    """The prefix --prefix names: a Wine prefix, a Steam compatdata/<app id>
    folder, or the pfx folder in it."""
    path = os.path.expanduser(path)
    if not os.path.isdir(path):
        raise Stop(EXIT_USAGE, "--prefix %s: there is no such folder." % path)
    if os.path.isfile(os.path.join(path, "pfx", "user.reg")):
        path = os.path.join(path, "pfx")
    if not os.path.isfile(os.path.join(path, "user.reg")):
        raise Stop(EXIT_USAGE, "--prefix %s: this is not a Wine prefix (it holds no user.reg), nor a Steam "
                               "compatdata folder." % path)
    path = real(path)
    for prefix in survey.looked_at:
        if prefix.path == path:
            return prefix
    prefix = Prefix(path, "the prefix you named")
    parent = os.path.dirname(path)
    if os.path.basename(path) == "pfx" and os.path.basename(os.path.dirname(parent)) == "compatdata":
        # A Steam prefix in a library this script was not told about.
        prefix.compat_data = parent
        prefix.app_id = os.path.basename(parent) if os.path.basename(parent).isdigit() else None
        prefix.origin = "Steam app %s" % prefix.app_id if prefix.app_id else prefix.origin
        library = os.path.dirname(os.path.dirname(os.path.dirname(parent)))
        owners = [install for install in survey.steam_installs if library in install.libraries]
        prefix.steam = (owners or survey.steam_installs or [None])[0]
    try:
        prefix.game = game_in_registry(prefix.user_reg())
    except FileProblem as problem:
        raise Stop(EXIT_USAGE, "--prefix %s: its registry cannot be read: %s." % (path, problem.reason))
    return prefix


# --- Which Proton or Wine ---------------------------------------------------

def steam_tools(survey):
    """Every Proton the Steam installs hold: {name: folder} for the tools that
    have a name of their own, and the list of every folder."""
    named = {}
    folders = []
    tool_dirs = []
    for install in survey.steam_installs:
        tool_dirs.append(os.path.join(install.root, "compatibilitytools.d"))
    tool_dirs += ["/usr/share/steam/compatibilitytools.d", "/usr/local/share/steam/compatibilitytools.d"]
    tool_dirs += [path for path in os.environ.get("STEAM_EXTRA_COMPAT_TOOLS_PATHS", "").split(":") if path]
    for tool_dir in tool_dirs:
        try:
            entries = sorted(os.listdir(tool_dir))
        except OSError:
            continue
        for entry in entries:
            manifest = os.path.join(tool_dir, entry, "compatibilitytool.vdf")
            if not os.path.isfile(manifest):
                continue
            try:
                tools = read_vdf(manifest).block("compatibilitytools")
            except FileProblem as problem:
                warn("cannot read %s: %s" % (problem.path, problem.reason))
                continue
            for _, group in (tools.entries if tools else ()):
                if not isinstance(group, Node):
                    continue
                for name, values in group.entries:
                    if not isinstance(values, Node):
                        continue
                    folder = os.path.join(tool_dir, entry, values.text("install_path") or ".")
                    if os.path.isfile(os.path.join(folder, "proton")):
                        named.setdefault(name, real(folder))
                        folders.append(real(folder))
    for install in survey.steam_installs:
        for library in install.libraries:
            common = os.path.join(library, "steamapps", "common")
            try:
                entries = sorted(os.listdir(common))
            except OSError:
                continue
            for entry in entries:
                if os.path.isfile(os.path.join(common, entry, "proton")):
                    folders.append(real(os.path.join(common, entry)))
    unique = []
    for folder in folders:
        if folder not in unique:
            unique.append(folder)
    return named, unique


def official_folder_key(folder_name):
    """"Proton 8.0" -> "8", "Proton 5.13" -> "513", "Proton 9.0 (Beta)" -> "9"."""
    match = re.match(r"^Proton (\d+)\.(\d+)\b", folder_name)
    if match is None:
        return None
    major, minor = match.groups()
    return major + ("" if minor == "0" else minor)


def resolve_tool_name(name, named, folders):
    """The folder of the tool Steam names, or None when it cannot be told
    which one it is. Steam's own Protons are named in data this script
    cannot read (proton_8, proton_experimental): their folders are matched
    by their names."""
    if name in named:
        return named[name]
    lowered = name.lower()
    official = {"proton_experimental": "Proton - Experimental", "proton_hotfix": "Proton Hotfix"}
    if lowered in official:
        matches = [f for f in folders if os.path.basename(f) == official[lowered]]
    else:
        number = re.match(r"^proton_(\d+)(_beta)?$", lowered)
        if number is None:
            return None
        matches = [f for f in folders if official_folder_key(os.path.basename(f)) == number.group(1)]
    return matches[0] if len(matches) == 1 else None


def mapped_tool_name(prefix):
    config = os.path.join(prefix.steam.root, "config", "config.vdf")
    if not os.path.isfile(config):
        return None
    try:
        mapping = read_vdf(config).block("InstallConfigStore", "Software", "Valve", "Steam", "CompatToolMapping")
    except FileProblem as problem:
        warn("cannot read Steam's choice of Proton for each game from %s: %s" % (problem.path, problem.reason))
        return None
    entry = mapping.block(prefix.app_id) if mapping else None
    name = entry.text("name") if entry else None
    return name or None


def proton_that_set_up(prefix, folders):
    """The Proton that last set up the prefix, as Proton records it: the
    paths in config_info, or else the prefix version in 'version'."""
    config_info = os.path.join(prefix.compat_data, "config_info")
    try:
        lines = read_text(config_info).split("\n")
    except FileProblem:
        lines = []
    for line in lines[1:3]:
        match = re.match(r"^(/.*?)/(?:files|dist)/(?:share/fonts|lib)/?$", line.strip())
        if match and os.path.isfile(os.path.join(match.group(1), "proton")):
            return real(match.group(1)), "Proton last set up this prefix"
    try:
        version = read_text(os.path.join(prefix.compat_data, "version")).strip()
    except FileProblem:
        return None, None
    if not version:
        return None, None
    matches = []
    for folder in folders:
        try:
            script = read_text(os.path.join(folder, "proton"))
        except FileProblem:
            continue
        if re.search(r'^CURRENT_PREFIX_VERSION\s*=\s*"%s"' % re.escape(version), script, re.M):
            matches.append(folder)
    if len(matches) == 1:
        return matches[0], "Proton last set up this prefix (prefix version %s)" % version
    return None, None


def choose_steam_proton(prefix, survey, given):
    named, folders = steam_tools(survey)
    if given:
        return given[0], given[1], folders
    name = mapped_tool_name(prefix) if prefix.steam and prefix.app_id else None
    mapped = resolve_tool_name(name, named, folders) if name else None
    last, why_last = proton_that_set_up(prefix, folders)
    if mapped:
        why = "Steam runs app %s with %s" % (prefix.app_id, name)
        if last and last != mapped:
            why += "; %s set up the prefix last, and this Proton updates it, as the game's next start would" \
                % shown(last)
        return mapped, why, folders
    if last:
        if name:
            why_last += " (Steam names %s for the game, which this script cannot find)" % name
        return last, why_last, folders
    lines = ["Cannot tell which Proton runs the game in %s." % shown(prefix.path)]
    if name:
        lines.append("Steam names \"%s\" for app %s, which is not among the Protons found." % (name, prefix.app_id))
    lines += proton_choices(folders)
    raise Stop(EXIT_NO_TOOL, "\n".join(lines))


def proton_choices(folders):
    if not folders:
        return ["No Proton was found. Start the game once from Steam (it installs its Proton), then run this again."]
    lines = ["Protons found; run this again with the one the game uses (copy its line):"]
    lines += ["  ./install-on-linux.sh --proton " + quoted(folder) for folder in folders]
    return lines


def manifest_command(folder, verb):
    """The tool's command line from its toolmanifest.vdf, %verb% filled in,
    and the Steam app id of the tool it needs around it (or None)."""
    manifest_path = os.path.join(folder, "toolmanifest.vdf")
    if not os.path.isfile(manifest_path):
        return [os.path.join(folder, "proton"), verb], None
    try:
        manifest = read_vdf(manifest_path).block("manifest")
    except FileProblem as problem:
        raise Stop(EXIT_STEAM_FILE, "Cannot read %s: %s." % (problem.path, problem.reason))
    if manifest is None or not manifest.text("commandline"):
        raise Stop(EXIT_STEAM_FILE, "Cannot read %s: it gives no command line." % manifest_path)
    try:
        words = shlex.split(manifest.text("commandline"))
    except ValueError:
        raise Stop(EXIT_STEAM_FILE, "Cannot read %s: its command line cannot be split." % manifest_path)
    words = [word.replace("%verb%", verb) for word in words]
    if words[0].startswith("/"):
        words[0] = folder + words[0]
    return words, manifest.text("require_tool_appid")


def installed_app_folder(survey, app_id):
    for install in survey.steam_installs:
        for library in install.libraries:
            manifest = os.path.join(library, "steamapps", "appmanifest_%s.acf" % app_id)
            if not os.path.isfile(manifest):
                continue
            try:
                state = read_vdf(manifest).block("AppState")
            except FileProblem as problem:
                raise Stop(EXIT_STEAM_FILE, "Cannot read %s: %s." % (problem.path, problem.reason))
            installdir = state.text("installdir") if state else None
            folder = os.path.join(library, "steamapps", "common", installdir) if installdir else None
            if folder and os.path.isdir(folder):
                return real(folder)
    return None


class Plan:
    def __init__(self, proton):
        self.proton = proton
        self.in_runtime = False
        self.command = []
        self.environment = {}
        self.lines = []


def locale_available():
    import locale
    saved = locale.setlocale(locale.LC_CTYPE)
    for name in (LOCALE, "zh_TW.utf8"):
        try:
            locale.setlocale(locale.LC_CTYPE, name)
            return True
        except locale.Error:
            continue
        finally:
            locale.setlocale(locale.LC_CTYPE, saved)
    return False


def steam_plan(prefix, survey, installer, given_proton):
    """given_proton: (folder, why) when the player or a launcher names the Proton."""
    plan = Plan(proton=True)
    folder, why, _ = choose_steam_proton(prefix, survey, given_proton)
    # Steam runs a game's setup programs with the verb "run", and without
    # SteamAppId: nothing here is the game itself.
    command, runtime_id = manifest_command(folder, "run")
    plan.lines.append("Proton: %s (%s)." % (shown(folder), why))
    tool_paths = [folder]
    if runtime_id and prefix.steam is not None:
        runtime = installed_app_folder(survey, runtime_id)
        if runtime is None:
            raise Stop(EXIT_NO_TOOL, "%s runs inside the Steam Linux Runtime (Steam app %s), which is not "
                                     "installed. Start the game once from Steam, which installs it, then run "
                                     "this again." % (shown(folder), runtime_id))
        outer, _ = manifest_command(runtime, "run")
        command = outer + command
        plan.in_runtime = True
        tool_paths.append(runtime)
        plan.lines.append("It runs inside the Steam Linux Runtime, as Steam starts it: %s." % shown(runtime))
    plan.command = command + [installer]
    environment = {
        "STEAM_COMPAT_DATA_PATH": prefix.compat_data,
        "STEAM_COMPAT_TOOL_PATHS": ":".join(tool_paths),
        "STEAM_COMPAT_MOUNTS": os.path.dirname(installer),
    }
    if prefix.steam is not None:
        environment["STEAM_COMPAT_CLIENT_INSTALL_PATH"] = prefix.steam.root
        environment["STEAM_COMPAT_LIBRARY_PATHS"] = ":".join(
            os.path.join(library, "steamapps") for library in prefix.steam.libraries)
    if prefix.app_id:
        environment["STEAM_COMPAT_APP_ID"] = prefix.app_id
    plan.environment = environment
    return plan


def wine_plan(prefix, installer, given_wine):
    plan = Plan(proton=False)
    if given_wine:
        wine, why = given_wine, "you chose it"
    elif prefix.wine:
        wine, why = prefix.wine, prefix.wine_source
    elif prefix.missing_runner:
        raise Stop(EXIT_NO_TOOL, "Cannot tell which Wine runs the game in %s: %s names %s, which is not "
                                 "there.\nChoose the Wine: ./install-on-linux.sh --wine PATH"
                   % (shown(prefix.path), prefix.origin, prefix.missing_runner))
    else:
        wine = shutil.which("wine")
        why = "the system's Wine"
        if wine is None:
            raise Stop(EXIT_NO_TOOL, "No Wine was found to run the installer in %s: install Wine, or choose "
                                     "one: ./install-on-linux.sh --wine PATH" % shown(prefix.path))
    plan.lines.append("Wine: %s (%s)." % (wine, why))
    plan.command = [wine, installer]
    plan.environment = {"WINEPREFIX": prefix.path}
    return plan


# --- The game or its launcher running in the prefix --------------------------

def unix_path_in(prefix, path):
    """A program's path as Wine shows it (C:\\... or /...) as a Unix path."""
    if path.startswith("/"):
        return path
    match = re.match(r"^([A-Za-z]):(\\.*)?$", path)
    if match is None:
        return None
    drive = os.path.join(prefix.path, "dosdevices", match.group(1).lower() + ":")
    rest = (match.group(2) or "\\").replace("\\", "/")
    return os.path.normpath(real(drive) + rest)


def game_processes(prefix):
    """The running programs of the prefix whose file lies in the game's
    installation folder: the game or its launcher."""
    folder = unix_path_in(prefix, prefix.game[1].rstrip("\\") + "\\")
    if folder is None:
        return []
    folder = real(folder).lower() + "/"
    running = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit() or int(pid) == os.getpid():
            continue
        try:
            with open("/proc/%s/environ" % pid, "rb") as stream:
                environment = stream.read().split(b"\0")
            with open("/proc/%s/cmdline" % pid, "rb") as stream:
                arguments = [a for a in stream.read().split(b"\0") if a]
        except OSError:
            continue  # gone, or another user's: not in this prefix
        wineprefix = os.path.join(home(), ".wine")
        for variable in environment:
            if variable.startswith(b"WINEPREFIX="):
                wineprefix = os.fsdecode(variable[len(b"WINEPREFIX="):])
        if not arguments or real(wineprefix) != prefix.path:
            continue
        program = unix_path_in(prefix, os.fsdecode(arguments[0]))
        if program and real(program).lower().startswith(folder):
            running.append((pid, os.fsdecode(arguments[0])))
    return running


# --- The outcome -------------------------------------------------------------

def outcome_codes():
    """{installer status: words}, from the table."""
    codes = {}
    for key, words in OUTCOMES:
        for part in key.split(","):
            low, _, high = part.strip().partition("-")
            for code in range(int(low), int(high or low) + 1):
                codes[code] = words
    return codes


def describe_outcome(status):
    codes = outcome_codes()
    if status < 0:
        return "Wine or Proton was ended by signal %d." % -status
    seen_as = [code for code in sorted(codes) if code % 256 == status]
    if seen_as:
        code = seen_as[0]
        shell = "" if code == status else " (a shell sees %d)" % status
        return "the installer ended with %d%s: %s." % (code, shell, codes[code])
    if status in (126, 127):
        return "Wine or Proton could not be started (status %d)." % status
    if status > 128:
        return "the installer, Wine or Proton was ended by signal %d (status %d)." % (status - 128, status)
    return ("the installer, Wine or Proton ended with status %d, which is none of the installer's: "
            "Wine or Proton failed before or while running it." % status)


# --- The run -----------------------------------------------------------------

def parse_arguments(arguments):
    options = {"prefix": None, "proton": None, "wine": None, "list": False, "help": False}
    index = 0
    while index < len(arguments):
        argument = arguments[index]
        name, equals, value = argument.partition("=")
        if name in ("--prefix", "--proton", "--wine"):
            if not equals:
                index += 1
                if index >= len(arguments) or not arguments[index]:
                    raise Stop(EXIT_USAGE, "%s needs a value (./install-on-linux.sh --help tells the options)." % name)
                value = arguments[index]
            options[name[2:]] = value
        elif argument in ("--list", "--help", "-h"):
            options["help" if argument == "-h" else argument[2:]] = True
        else:
            raise Stop(EXIT_USAGE, "Unknown option: %s (./install-on-linux.sh --help tells the options)." % argument)
        index += 1
    if options["proton"] and options["wine"]:
        raise Stop(EXIT_USAGE, "Give --proton or --wine, not both.")
    if options["proton"]:
        folder = os.path.expanduser(options["proton"])
        if os.path.basename(folder) == "proton" and os.path.isfile(folder):
            folder = os.path.dirname(folder)
        if not os.path.isfile(os.path.join(folder, "proton")):
            raise Stop(EXIT_USAGE, "--proton %s: this folder holds no 'proton'." % options["proton"])
        options["proton"] = real(folder)
    if options["wine"]:
        wine = shutil.which(os.path.expanduser(options["wine"]))
        if wine is None:
            raise Stop(EXIT_USAGE, "--wine %s: there is no such program." % options["wine"])
        options["wine"] = os.path.abspath(wine)
    return options


def report_survey(survey):
    say("Looking for the game in Wine and Proton prefixes...")
    for install in survey.steam_installs:
        say("  %s at %s, libraries:" % (install.label, shown(install.root)))
        for library in install.libraries:
            say("    " + shown(library))
        for library in install.absent_libraries:
            say("    %s (listed by Steam, but not there: a drive or card not mounted?)" % shown(library))
    others = [p for p in survey.looked_at if p.steam is None and os.path.isfile(p.user_reg())]
    if others:
        say("  Wine prefixes:")
        for prefix in others:
            say("    %s (%s)" % (shown(prefix.path), prefix.origin))


def describe_game(prefix):
    edition, folder = prefix.game
    return "%s edition, installed in %s" % (edition, folder)


def choose_prefix(survey, options):
    if options["prefix"]:
        prefix = prefix_named(options["prefix"], survey)
        if prefix.game is None:
            raise Stop(EXIT_NOT_FOUND, "The game is not installed in %s: its registry holds no installation "
                                       "of it." % shown(prefix.path))
        return prefix
    problems = survey.problems()
    if problems:
        lines = ["Cannot read Steam's list of libraries, so the game may be in one this script cannot see:"]
        lines += ["  %s: %s" % (problem.path, problem.reason) for problem in problems]
        lines.append("Start Steam once so that it writes the list again, or name the game's prefix: "
                     "./install-on-linux.sh --prefix DIR")
        raise Stop(EXIT_STEAM_FILE, "\n".join(lines))
    if not survey.found:
        lines = ["The game was not found in any Wine or Proton prefix."]
        absent = [lib for install in survey.steam_installs for lib in install.absent_libraries]
        if absent:
            lines.append("Steam lists libraries that are not there (mount them, then run this again): "
                         + ", ".join(absent))
        lines.append("Start the game once (from Steam, Lutris, Heroic or Bottles), so that its prefix exists, "
                     "then run this again; or name the prefix: ./install-on-linux.sh --prefix DIR")
        raise Stop(EXIT_NOT_FOUND, "\n".join(lines))
    if len(survey.found) > 1:
        lines = ["The game was found in %d prefixes; run this again with the one you play with (copy its line):"
                 % len(survey.found)]
        for prefix in survey.found:
            lines.append("  %s (%s):" % (prefix.origin, describe_game(prefix)))
            lines.append("    ./install-on-linux.sh --prefix " + quoted(prefix.path))
        raise Stop(EXIT_SEVERAL, "\n".join(lines))
    return survey.found[0]


def run(arguments, script_folder):
    options = parse_arguments(arguments)
    if options["help"]:
        say(USAGE.rstrip())
        return 0
    installer = os.path.join(script_folder, INSTALLER)
    if not options["list"] and not os.path.isfile(installer):
        raise Stop(EXIT_USAGE, "%s is not beside this script in %s: unpack the whole archive and run the "
                               "script there." % (INSTALLER, script_folder))
    if os.geteuid() == 0:
        warn("this runs as root, whose home holds no player's prefixes, and Wine refuses prefixes that are not "
             "its own: run it as the player, without sudo.")
    survey = Survey()
    if options["list"]:
        for prefix in survey.found:
            say(prefix.path)
        for problem in survey.problems():
            warn("cannot read %s: %s" % (problem.path, problem.reason))
        if not survey.found:
            warn("the game was found in no prefix.")
        return 0

    report_survey(survey)
    prefix = choose_prefix(survey, options)
    say("Found the game (%s) in %s:" % (describe_game(prefix), prefix.origin))
    say("  " + prefix.path)

    steam_like = prefix.compat_data is not None
    if options["proton"] and not steam_like:
        raise Stop(EXIT_USAGE, "--proton runs only in a Steam prefix (compatdata/<app id>); for %s give "
                               "--wine PATH." % shown(prefix.path))
    if steam_like and not options["wine"]:
        given = None
        if options["proton"]:
            given = (options["proton"], "you chose it")
        elif prefix.proton:
            given = (prefix.proton, "%s runs the game with it" % prefix.origin.split(" ")[0])
        elif prefix.missing_runner:
            raise Stop(EXIT_NO_TOOL, "Cannot tell which Proton runs the game in %s: %s names %s, which is not "
                                     "there.\nChoose the Proton: ./install-on-linux.sh --proton DIR"
                       % (shown(prefix.path), prefix.origin, prefix.missing_runner))
        plan = steam_plan(prefix, survey, installer, given)
    else:
        plan = wine_plan(prefix, installer, options["wine"])
    for line in plan.lines:
        say(line)

    how_to_add = ("To add it: on Debian or Ubuntu 'sudo dpkg-reconfigure locales', on Fedora 'sudo dnf install "
                  "glibc-langpack-zh', on Arch uncomment zh_TW.UTF-8 in /etc/locale.gen and run 'sudo locale-gen'.")
    have_locale = locale_available()
    # The Steam Linux Runtime makes the locales its programs ask for that the system lacks.
    if have_locale or plan.in_runtime:
        plan.environment["LC_ALL"] = LOCALE
        if plan.proton:
            # Proton drops LC_ALL and gives Wine the locale from HOST_LC_ALL.
            plan.environment["HOST_LC_ALL"] = LOCALE
    if have_locale:
        say("Language: Traditional Chinese (%s)." % LOCALE)
    elif plan.in_runtime:
        say("Language: Traditional Chinese (%s), which this system lacks: the Steam Linux Runtime makes it for "
            "the run where it can. Should the installer's texts still show garbled, add the locale. %s"
            % (LOCALE, how_to_add))
    else:
        say("Language: the Traditional Chinese locale (%s) is not installed, so the installer's texts will "
            "show garbled; the installation works the same. %s" % (LOCALE, how_to_add))

    running = game_processes(prefix)
    if running:
        lines = ["The game or its launcher is running in that prefix:"]
        lines += ["  process %s: %s" % (pid, program) for pid, program in running]
        lines.append("Close it, then run this again.")
        raise Stop(EXIT_GAME_RUNNING, "\n".join(lines))

    environment = dict(os.environ)
    environment.setdefault("WINEDEBUG", "-all")
    environment.update(plan.environment)
    say("Running the installer in that prefix; answer its boxes with OK:")
    for key, value in sorted(plan.environment.items()):
        say("  %s=%s \\" % (key, quoted(value)))
    say("  " + " ".join(quoted(word) for word in plan.command))
    try:
        status = subprocess.call(plan.command, env=environment, cwd=script_folder)
    except OSError as error:
        say("Result: %s could not be started: %s." % (plan.command[0], error.strerror or error))
        return 127
    say("Result: " + describe_outcome(status))
    return status if status >= 0 else 128 - status


def main():
    for stream in (sys.stdout, sys.stderr):
        try:
            stream.reconfigure(errors="backslashreplace")  # a path in no encoding still prints
        except AttributeError:
            pass
    script_folder = os.path.dirname(os.path.abspath(sys.argv[0]))
    try:
        return run(sys.argv[1:], script_folder)
    except Stop as stop:
        print(str(stop), file=sys.stderr, flush=True)
        return stop.status
    except (FileProblem, OSError) as error:
        print("Cannot go on: %s. Nothing was run." % error, file=sys.stderr, flush=True)
        return EXIT_USAGE
    except KeyboardInterrupt:
        print("Stopped.", file=sys.stderr)
        return 130


if __name__ == "__main__":
    sys.exit(main())
