#!/usr/bin/env bash
# install-on-linux.sh finding the game's prefix and choosing what runs the
# installer there, against Steam trees, launcher settings and prefixes
# written as Steam, Proton, the launchers and Wine write them, under a home
# folder of its own. No Windows program runs: stand-ins for Proton, the Steam
# Linux Runtime and wine note what was started, with which prefix and locale,
# and wine ends with the status a case asks for.
#   chooses_prefix_and_tool.sh INSTALL-ON-LINUX.SH
set -euo pipefail
source "$(dirname "$0")/steam_tree.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
trap 'echo "FAIL: $(basename "$0") stopped at line $LINENO: $BASH_COMMAND" >&2' ERR

work="$(mktemp -d "${TMPDIR:-/tmp}/aw-linux-choice.XXXXXX")"
trap 'rm -rf "$work"' EXIT
release="$work/release"
mkdir -p "$release"
cp "$1" "$release/install-on-linux.sh"
printf 'MZ a stand-in for the installer\n' >"$release/addonwarlord1_setup.exe"
readonly installer="$release/addonwarlord1_setup.exe"
export AW_TEST_RECORD="$work/record"
unset WINEPREFIX LC_ALL HOST_LC_ALL STEAM_COMPAT_DATA_PATH

fresh_home() {
  rm -rf "$work/home"
  export HOME="$work/home"
  mkdir -p "$HOME"
  : >"$AW_TEST_RECORD"
}

# A Wine prefix as Wine leaves it: drive_c, the drive links and the user's
# registry, with the game's keys of one edition (or none).
fake_prefix() { # folder base|expansion|none [InstallInfo-line]
  local key=""
  mkdir -p "$1/drive_c/Games" "$1/dosdevices"
  ln -sfn ../drive_c "$1/dosdevices/c:"
  ln -sfn / "$1/dosdevices/z:"
  case "$2" in base) key="Vantaris77 Tc" ;; expansion) key="Vantaris77QX Tc" ;; esac
  {
    printf 'WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n'
    printf '[Software\\\\Wine] 1796976287\n#time=1dd894649d63c4a\n"Version"="win10"\n\n'
    if [[ -n $key ]]; then
      printf '[Software\\\\ZAVO\\\\%s\\\\Install] 1796976287\n#time=1dd894649d63c4a\n' "$key"
      printf '%s\n\n' "${3:-\"InstallInfo\"=\"C:\\\\Games\\\\Vantaris77\\\\\"}"
      printf '[Software\\\\ZAVO\\\\%s\\\\PL] 1796976287\n#time=1dd894649d640f0\n"1"=dword:00000002\n\n' "$key"
    fi
  } >"$1/user.reg"
}

steam_prefix() { # library app-id base|expansion|none
  fake_prefix "$1/steamapps/compatdata/$2/pfx" "$3"
}

# Runs the script from the release folder as a player would, with the
# stand-in wine first on the PATH; what it printed is in $printed, that and
# its messages on stderr in $output, its status in $status, and the
# stand-ins' notes of this run alone in $AW_TEST_RECORD.
run_script() { # args...
  : >"$AW_TEST_RECORD"
  status=0
  printed="$(cd "$release" && PATH="$standins:$PATH" ./install-on-linux.sh "$@" 2>"$work/stderr")" || status=$?
  output="$printed"$'\n'"$(cat "$work/stderr")"
}

expect_status() { # status what
  [[ $status -eq $1 ]] || fail "$2: status $status, expected $1; it said:"$'\n'"$output"
}

expect_said() { # text what
  [[ $output == *"$1"* ]] || fail "$2: it did not say '$1'; it said:"$'\n'"$output"
}

# The stand-ins' notes, one a line, in the order they were started.
expect_record() { # what line...
  local what="$1" expected
  shift
  expected="$(printf '%s\n' "$@")"
  [[ "$(cat "$AW_TEST_RECORD")" == "$expected" ]] ||
    fail "$what: started"$'\n'"$(cat "$AW_TEST_RECORD")"$'\n'"expected"$'\n'"$expected"$'\n'"it said:"$'\n'"$output"
}

# A path as the script shows it, with ~ for the home folder.
tilde() { printf '%s' "${1/#$HOME/\~}"; }

expect_nothing_started() { # what
  [[ ! -s $AW_TEST_RECORD ]] || fail "$1: started $(cat "$AW_TEST_RECORD")"
}

# --- Steam: which prefix and which Proton ------------------------------------
# Steam in ~/.local/share/Steam with a second library whose path has a space;
# the game in app 2001010 of the second library; Steam's own Proton 8.0 in the
# second library and a player's Proton in compatibilitytools.d.
steam_home() {
  fresh_home
  root="$HOME/.local/share/Steam"
  library="$work/home/Games Library"
  make_steam "$root" "$library"
  add_runtime "$root"
  add_steam_proton "$library" "Proton 8.0" 2348590 "8.0-104"
  add_custom_proton "$root" "Proton-Standin" "Standin-9" "Standin-9"
  steam_prefix "$root" 2001000 none
  steam_prefix "$library" 2001010 base
  steam_prefix "$library" 2001020 none
  game="$library/steamapps/compatdata/2001010"
  official="$library/steamapps/common/Proton 8.0"
  custom="$root/compatibilitytools.d/Proton-Standin"
  runtime="$root/steamapps/common/$runtime_folder"
}

proton_started() { # proton-folder
  printf 'proton %s verb=run data=%s client=%s app=2001010 steamappid= host_lc_all=zh_TW.UTF-8 exe=%s' \
    "$1" "$game" "$root" "$installer"
}
wine_started_in_game_prefix() {
  printf 'wine %s/wine prefix=%s/pfx lc_all=zh_TW.UTF-8 %s' "$standins" "$game" "$installer"
}
runtime_started() { # tool-folder
  printf 'runtime %s --verb=run tools=%s:%s' "$runtime" "$1" "$runtime"
}

# Each case: how Steam and Proton recorded the game's tool, and the Proton
# that must run the installer.
steam_home
map_tools "$root" 2001010=Standin-9
proton_set_up "$game" "$official" "8.0-104" "$root"
run_script
expect_status 0 "the tool Steam maps the game to"
expect_said "Found the game (base edition, installed in C:\\Games\\Vantaris77\\) in Steam app 2001010:" "found"
expect_said "Proton: $(tilde "$custom") (Steam runs app 2001010 with Standin-9;" "the mapped tool"
expect_said "Result: the installer ended with 0: installed." "the outcome"
expect_record "the mapped tool, in the runtime" "$(runtime_started "$custom")" "$(proton_started "$custom")" \
  "$(wine_started_in_game_prefix)"

for case in "config_info" "version" "proton_8" "--proton" "damaged config.vdf"; do
  steam_home
  args=()
  case "$case" in
    config_info) proton_set_up "$game" "$official" "8.0-104" "$root" ;;
    version) printf '8.0-104\n' >"$game/version" ;;
    proton_8) map_tools "$root" 2001010=proton_8 ;;
    --proton) map_tools "$root" 2001010=Standin-9; args=(--proton "$official") ;;
    "damaged config.vdf")
      proton_set_up "$game" "$official" "8.0-104" "$root"
      map_tools "$root" 2001010=Standin-9
      sed -i '$d' "$root/config/config.vdf" ;;
  esac
  run_script "${args[@]}"
  expect_status 0 "$case"
  expect_said "Proton: $(tilde "$official") (" "$case"
  [[ $case != "damaged config.vdf" ]] ||
    expect_said "Note: cannot read Steam's choice of Proton for each game from $root/config/config.vdf" "$case"
  expect_record "$case" "$(runtime_started "$official")" "$(proton_started "$official")" "$(wine_started_in_game_prefix)"
done

# A Proton that needs no runtime is started directly; with --wine the Steam
# prefix runs under that wine, without Proton.
steam_home
add_custom_proton "$root" "Proton-Bare" "Bare" "Bare" none
map_tools "$root" 2001010=Bare
run_script
expect_status 0 "a Proton without the runtime"
expect_record "a Proton without the runtime" "$(proton_started "$root/compatibilitytools.d/Proton-Bare")" \
  "$(wine_started_in_game_prefix)"
run_script --wine "$standins/wine"
expect_status 0 "--wine for a Steam prefix"
expect_record "--wine for a Steam prefix" "wine $standins/wine prefix=$game/pfx lc_all=zh_TW.UTF-8 $installer"

# No Proton can be told: a mapped tool that is not installed, nothing recorded
# by Proton; or the runtime the Proton needs is missing.
steam_home
map_tools "$root" 2001010=GE-Proton-Gone
run_script
expect_status 12 "a mapped tool that is not there"
expect_said 'Steam names "GE-Proton-Gone" for app 2001010' "a mapped tool that is not there"
expect_said "  ./install-on-linux.sh --proton $custom" "the Protons found"
expect_said "  ./install-on-linux.sh --proton '$official'" "the Protons found"
expect_nothing_started "a mapped tool that is not there"
steam_home
map_tools "$root" 2001010=Standin-9
rm -r "$runtime" "$root/steamapps/appmanifest_$runtime_app_id.acf"
run_script
expect_status 12 "the runtime missing"
expect_said "runs inside the Steam Linux Runtime (Steam app $runtime_app_id), which is not installed" "the runtime missing"
expect_nothing_started "the runtime missing"

# --- Which prefix --------------------------------------------------------------
steam_home
map_tools "$root" 2001010=Standin-9
fake_prefix "$HOME/.wine" expansion
run_script
expect_status 11 "the game in a Steam prefix and in ~/.wine"
expect_said "The game was found in 2 prefixes;" "several"
expect_said "  Steam app 2001010 (base edition, installed in C:\\Games\\Vantaris77\\):
    ./install-on-linux.sh --prefix '$game/pfx'" "several"
expect_said "  Wine's default prefix (expansion edition, installed in C:\\Games\\Vantaris77\\):
    ./install-on-linux.sh --prefix $HOME/.wine" "several"
expect_nothing_started "several"
run_script --list
expect_status 0 "--list"
[[ $printed == "$game/pfx"$'\n'"$HOME/.wine" ]] || fail "--list printed: $printed"
run_script --prefix "$HOME/.wine"
expect_status 0 "--prefix ~/.wine"
expect_said "Wine: $standins/wine (the system's Wine)." "--prefix ~/.wine"
expect_record "--prefix ~/.wine" "wine $standins/wine prefix=$HOME/.wine lc_all=zh_TW.UTF-8 $installer"
run_script --prefix="$game"
expect_status 0 "--prefix compatdata/<app id>"
expect_record "--prefix compatdata/<app id>" "$(runtime_started "$custom")" "$(proton_started "$custom")" \
  "$(wine_started_in_game_prefix)"

# Steam installed as a Flatpak or a Snap, its one library holding the game.
for packaged in "Flatpak|.var/app/com.valvesoftware.Steam/.local/share/Steam" \
                "Snap|snap/steam/common/.local/share/Steam"; do
  fresh_home
  root="$HOME/${packaged#*|}"
  make_steam "$root"
  rm "$HOME/.steam/root" "$HOME/.steam/steam"
  add_custom_proton "$root" "Proton-Bare" "Bare" "Bare" none
  map_tools "$root" 2001010=Bare
  steam_prefix "$root" 2001010 base
  run_script
  expect_status 0 "Steam as a ${packaged%%|*}"
  expect_said "  Steam (${packaged%%|*}) at ~/${packaged#*|}, libraries:" "Steam as a ${packaged%%|*}"
  expect_record "Steam as a ${packaged%%|*}" \
    "proton $root/compatibilitytools.d/Proton-Bare verb=run data=$root/steamapps/compatdata/2001010 client=$root app=2001010 steamappid= host_lc_all=zh_TW.UTF-8 exe=$installer" \
    "wine $standins/wine prefix=$root/steamapps/compatdata/2001010/pfx lc_all=zh_TW.UTF-8 $installer"
done

# Steam also lists a library on a card that is not there.
steam_home
rm -r "$game"
sed -i '$d' "$root/steamapps/libraryfolders.vdf"
printf '\t"2"\n\t{\n\t\t"path"\t\t"/media/deck/absent card"\n\t}\n}\n' >>"$root/steamapps/libraryfolders.vdf"
run_script
expect_status 10 "the game in no prefix"
expect_said "The game was not found in any Wine or Proton prefix." "none"
expect_said "/media/deck/absent card (listed by Steam, but not there" "an absent library"
run_script --list
expect_status 0 "--list, nothing found"
expect_said "the game was found in no prefix" "--list, nothing found"
run_script --prefix "$root/steamapps/compatdata/2001000"
expect_status 10 "--prefix of a prefix without the game"
expect_nothing_started "the game in no prefix"

# A Steam list of libraries that cannot be read leaves the game's place
# unknown; a named prefix does without it.
steam_home
map_tools "$root" 2001010=Standin-9
printf '"libraryfolders"\n{\n\t"0"\n\t{\n\t\t"path"\t\t"%s"\n' "$root" >"$root/steamapps/libraryfolders.vdf"
run_script
expect_status 15 "libraryfolders.vdf cut short"
expect_said "$root/steamapps/libraryfolders.vdf: not in Steam's format (cut short)" "libraryfolders.vdf cut short"
run_script --prefix "$game"
expect_status 0 "libraryfolders.vdf cut short, --prefix"
expect_record "libraryfolders.vdf cut short, --prefix" "$(runtime_started "$custom")" "$(proton_started "$custom")" \
  "$(wine_started_in_game_prefix)"

# --- The installer's outcome, in the README's words, and its status ---------
fresh_home
fake_prefix "$HOME/.wine" base
for outcome in "103|103: the base edition (103) or the expansion (104) is not updated far enough." \
               "45|301 (a shell sees 45): the record file could not be written or moved into place." \
               "77|status 77, which is none of the installer's"; do
  AW_TEST_WINE_STATUS="${outcome%%|*}" run_script
  expect_status "${outcome%%|*}" "wine ending with ${outcome%%|*}"
  expect_said "${outcome#*|}" "wine ending with ${outcome%%|*}"
done

# --- Other homes of prefixes, and the Wine each is run with ------------------
# Each case: the launcher's settings as it writes them, and the wine it names.
for launcher in lutris heroic bottles wineprefix; do
  fresh_home
  runner=""
  case "$launcher" in
    lutris)
      prefix="$HOME/Games/vantaris"
      runner="$HOME/.local/share/lutris/runners/wine/lutris-GE-Proton8-26-x86_64"
      mkdir -p "$HOME/.local/share/lutris/games"
      printf 'game:\n  exe: %s/drive_c/Games/Vantaris77/VANT77.exe\n  prefix: %s\ngame_slug: vantaris\n' \
        "$prefix" "$prefix" >"$HOME/.local/share/lutris/games/vantaris-1700000000.yml"
      printf 'name: Vantaris\nslug: vantaris-1700000000\nsystem: {}\nwine:\n  version: lutris-GE-Proton8-26-x86_64\n' \
        >>"$HOME/.local/share/lutris/games/vantaris-1700000000.yml" ;;
    heroic)
      prefix="$HOME/Games/Heroic/Prefixes/default/Vantaris"
      runner="$HOME/.config/heroic/tools/wine/Wine-GE-Proton8-26"
      mkdir -p "$HOME/.config/heroic/GamesConfig"
      printf '{\n  "a1b2c3": {\n    "winePrefix": "%s",\n    "wineVersion": {\n      "bin": "%s/bin/wine",\n' \
        "$prefix" "$runner" >"$HOME/.config/heroic/GamesConfig/a1b2c3.json"
      printf '      "name": "Wine - Wine-GE-Proton8-26",\n      "type": "wine"\n    }\n  },\n  "version": "v0"\n}\n' \
        >>"$HOME/.config/heroic/GamesConfig/a1b2c3.json" ;;
    bottles)
      prefix="$HOME/.local/share/bottles/bottles/Vantaris"
      runner="$HOME/.local/share/bottles/runners/soda-7.0-9"
      mkdir -p "$prefix"
      printf 'Arch: win64\nCustom_Path: false\nEnvironment: Gaming\nName: Vantaris\nPath: Vantaris\n' >"$prefix/bottle.yml"
      printf 'Runner: soda-7.0-9\nWindows: win10\n' >>"$prefix/bottle.yml" ;;
    wineprefix)
      prefix="$HOME/prefixes/vantaris" ;;
  esac
  fake_prefix "$prefix" base
  wine="$standins/wine"
  if [[ -n $runner ]]; then
    mkdir -p "$runner/bin"
    cp "$standins/wine" "$runner/bin/wine"
    wine="$runner/bin/wine"
  fi
  # Reached through $WINEPREFIX too, Lutris' prefix keeps Lutris' Wine.
  for reached in settings '$WINEPREFIX'; do
    [[ $launcher != wineprefix || $reached != settings ]] || continue
    [[ $launcher == wineprefix || $launcher == lutris || $reached == settings ]] || continue
    if [[ $reached == settings ]]; then run_script; else WINEPREFIX="$prefix" run_script; fi
    expect_status 0 "$launcher through $reached"
    expect_record "$launcher through $reached" "wine $wine prefix=$prefix lc_all=zh_TW.UTF-8 $installer"
  done
  if [[ $launcher == lutris ]]; then
    # A game without a Wine of its own gets the one of Lutris' Wine settings.
    sed -i '/^wine:/,$d' "$HOME/.local/share/lutris/games/vantaris-1700000000.yml"
    mkdir -p "$HOME/.config/lutris/runners"
    printf 'wine:\n  version: lutris-GE-Proton8-26-x86_64\n' >"$HOME/.config/lutris/runners/wine.yml"
    run_script
    expect_status 0 "Lutris' default Wine"
    expect_record "Lutris' default Wine" "wine $wine prefix=$prefix lc_all=zh_TW.UTF-8 $installer"
  fi
  if [[ -n $runner ]]; then
    rm -r "$runner"
    run_script
    expect_status 12 "$launcher, its Wine gone"
    expect_said "Choose the Wine: ./install-on-linux.sh --wine PATH" "$launcher, its Wine gone"
    expect_nothing_started "$launcher, its Wine gone"
  fi
done

# --- The locale, bad options, a missing installer ---------------------------
# Where the system lacks the locale, Wine runs without it, but the Steam Linux
# Runtime is asked for it, as it makes the locales its programs ask for.
mkdir "$work/no-locales"
steam_home
map_tools "$root" 2001010=Standin-9
LOCPATH="$work/no-locales" run_script
expect_status 0 "no zh_TW locale, in the runtime"
expect_said "Language: Traditional Chinese (zh_TW.UTF-8), which this system lacks" "no zh_TW locale, in the runtime"
expect_record "no zh_TW locale, in the runtime" "$(runtime_started "$custom")" "$(proton_started "$custom")" \
  "$(wine_started_in_game_prefix)"
fresh_home
fake_prefix "$HOME/.wine" base
LOCPATH="$work/no-locales" run_script
expect_status 0 "no zh_TW locale"
expect_said "the Traditional Chinese locale (zh_TW.UTF-8) is not installed" "no zh_TW locale"
expect_record "no zh_TW locale" "wine $standins/wine prefix=$HOME/.wine lc_all= $installer"

for bad in "--bogus" "--prefix" "--prefix $work" "--proton $work" "--proton $standins --wine $standins/wine"; do
  read -r -a args <<<"$bad"
  run_script "${args[@]}"
  expect_status 14 "$bad"
done
run_script --proton "$standins" --prefix "$HOME/.wine"
expect_status 14 "--proton for a plain Wine prefix"
expect_said "--proton runs only in a Steam prefix" "--proton for a plain Wine prefix"
rm "$installer"
run_script
expect_status 14 "no installer beside the script"
expect_said "addonwarlord1_setup.exe is not beside this script" "no installer beside the script"
expect_nothing_started "bad options"
echo "PASS"
