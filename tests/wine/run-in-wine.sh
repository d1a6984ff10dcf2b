#!/usr/bin/env bash
# Runs a Windows program under Wine the way a player would run it: as an
# ordinary user (as root, Wine ignores read-only files), in a prefix of its
# own, with code page 950 and a fixed time zone, on a private X server.
#
#   run-in-wine.sh [--prefix NAME] [--with FILE]... [--env NAME=VALUE]... [--] PROGRAM.exe [ARGS...]
#   run-in-wine.sh [--prefix NAME] --reset             starts the prefix over from the template
#   run-in-wine.sh [--prefix NAME] --wine-path PATH    prints PATH as the prefix sees it
#   run-in-wine.sh [--prefix NAME] --documents         prints the documents folder (Unix path)
#   run-in-wine.sh [--prefix NAME] --drive-c           prints the folder that is C:\ (Unix path)
#   run-in-wine.sh [--prefix NAME] --stop              ends every program still running in the prefix
#   run-in-wine.sh [--prefix NAME] --remove            stops the prefix and deletes it
#   run-in-wine.sh --as-user HOME [--env NAME=VALUE]... [--] COMMAND [ARGS...]
#                  runs a Linux command that finds its Wine prefixes itself (a
#                  launcher script) as the wine user on the private display, with
#                  HOME as its home, no WINEPREFIX and LANG=C.UTF-8 in place of
#                  our locale; a Wine program it starts must not inherit the
#                  caller's pipes (give the command files for its output)
#
# --prefix NAME  programs that must see each other (window searches, named
#                mutexes, shared registry) run in the same named prefix; a
#                test that changes the prefix's state should use a name of its
#                own. Named prefixes are cheap copies of one template prefix.
# --reset        ends the prefix's programs and copies the template anew;
#                run it alone, before starting anything in that prefix.
# --with FILE    copies FILE next to the program.
# --env NAME=VALUE  sets NAME for the program and the programs it starts;
#                WINEDLLOVERRIDES is added to the usual overrides (e.g.
#                shlwapi=d makes that DLL unavailable to the run). Wine takes
#                the overrides from a process's Unix environment, so this is
#                the way to give them to a program another one starts.
# Files put into the prefix from outside must belong to the wine user
# (see --owner: prints user:group).
#
# The program's stdout/stderr pass through and its exit code is ours. Root
# only. Environment: AW_WINE_ROOT (scratch folder, default
# /tmp/addonwarlord1-wine), AW_WINE_USER (default awtest), AW_WINE_TZ (default
# CST-8), AW_WINE_LOCALE (default zh_TW.UTF-8), WINEDEBUG (default -all),
# AW_WINE_DLLOVERRIDES (more WINEDLLOVERRIDES entries, e.g. "version=n,b"),
# AW_WINE_DISPLAY (a name: an X server of that name instead of the one all
# others share, for a test whose foreground checks no other test's windows
# may disturb).
set -euo pipefail

readonly root_dir="${AW_WINE_ROOT:-/tmp/addonwarlord1-wine}"
readonly wine_user="${AW_WINE_USER:-awtest}"
readonly wine_tz="${AW_WINE_TZ:-CST-8}"
readonly wine_locale="${AW_WINE_LOCALE:-zh_TW.UTF-8}"
readonly wine_debug="${WINEDEBUG:--all}"
wine_dll_overrides="mscoree,mshtml=${AW_WINE_DLLOVERRIDES:+;$AW_WINE_DLLOVERRIDES}"
readonly template_dir="$root_dir/template"
readonly lock_file="$root_dir/setup.lock"
readonly display_name="${AW_WINE_DISPLAY:+-$AW_WINE_DISPLAY}"
readonly display_file="$root_dir/display$display_name"

die() { echo "run-in-wine: $*" >&2; exit 125; }

[[ $(id -u) -eq 0 ]] || die "must run as root (it creates the user '$wine_user' and runs the program as that user)"
for tool in wine wineserver Xvfb setpriv flock; do
  command -v "$tool" >/dev/null || die "'$tool' is missing: run tools/install-deps.sh"
done

# Without the Linux locale Wine silently falls back to code page 1252, and no
# test would see the code page it asked for.
ensure_locale() {
  local wanted
  wanted="$(tr '[:upper:]' '[:lower:]' <<<"${wine_locale/UTF-8/utf8}")"
  locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | grep -qxF "$wanted" ||
    die "the locale $wine_locale is missing, so Wine would not use its code page: run tools/install-deps.sh"
}

ensure_user() {
  id -u "$wine_user" >/dev/null 2>&1 && return
  useradd --system --user-group --no-create-home --home-dir /nonexistent \
    --shell /usr/sbin/nologin "$wine_user" 2>/dev/null || id -u "$wine_user" >/dev/null
}

# The command line that runs a command as the wine user with a clean
# environment aimed at one prefix, in $user_command.
set_user_command() { # prefix_dir
  user_command=(
    setpriv --reuid="$wine_user" --regid="$wine_user" --init-groups
    env -i
      PATH=/usr/local/bin:/usr/bin:/bin
      HOME="$1/home"
      USER="$wine_user" LOGNAME="$wine_user"
      WINEPREFIX="$1/wine"
      WINEDEBUG="$wine_debug"
      WINEDLLOVERRIDES="$wine_dll_overrides"
      DISPLAY="$(cat "$display_file")"
      LC_ALL="$wine_locale"
      TZ="$wine_tz"
      "${passed_env[@]}")
}

as_user_in() { # prefix_dir command...
  set_user_command "$1"
  shift
  "${user_command[@]}" "$@" 9>&-
}

# One X server for every prefix (or one per AW_WINE_DISPLAY name); it
# outlives this script so that the next program starts at once. Its output goes to a log, never to our caller's
# pipes (ctest waits until every holder of its pipes has gone), and it must not
# inherit the setup lock.
ensure_display() {
  local pid_file="$root_dir/xvfb$display_name.pid"
  if [[ -s $pid_file && -s $display_file ]] && kill -0 "$(cat "$pid_file")" 2>/dev/null \
     && [[ -S /tmp/.X11-unix/X$(cut -c2- "$display_file") ]]; then
    return
  fi
  local number=77
  while [[ -e /tmp/.X$number-lock || -e /tmp/.X11-unix/X$number ]]; do number=$((number + 1)); done
  setsid Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp -ac \
    </dev/null >"$root_dir/xvfb$display_name.log" 2>&1 9>&- &
  echo $! >"$pid_file"
  echo ":$number" >"$display_file"
  local waited=0
  until [[ -S /tmp/.X11-unix/X$number ]]; do
    kill -0 "$(cat "$pid_file")" 2>/dev/null || die "Xvfb did not start: $(cat "$root_dir/xvfb$display_name.log")"
    (( waited++ < 300 )) || die "Xvfb did not open its socket within 30 s"
    sleep 0.1
  done
}

stop_prefix() { # prefix_dir
  [[ -d $1/wine ]] || return 0
  as_user_in "$1" wineserver -k </dev/null >/dev/null 2>&1 || true
  as_user_in "$1" wineserver -w </dev/null >/dev/null 2>&1 || true
}

# The template: a booted prefix whose per-user folders are real folders inside
# the prefix (not links to HOME), so that a copy of it is self-contained, and
# where a crash shows no dialog: Wine's crash dialog would keep a crashed
# program alive until someone answers it, so that a test saw a hang; without
# it the program ends at once with the exception's code as its status, and
# Wine's debugger prints the crash report on the program's output.
# A prefix belongs to the user's numeric id: one left by an earlier user of
# the same name (on a reused /tmp) is not used; nor is one made by an older
# version of these settings (the number after the id).
readonly template_version=2
prefix_is_ready() { # prefix_dir
  [[ -f $1/ready && "$(cat "$1/ready")" == "$(id -u "$wine_user") $template_version" ]]
}

ensure_template() {
  prefix_is_ready "$template_dir" && return
  rm -rf "$template_dir"
  mkdir -p "$template_dir/home"
  chown "$wine_user:" "$template_dir" "$template_dir/home"
  echo "run-in-wine: creating the Wine prefix template (once, about 10 s)" >&2
  as_user_in "$template_dir" wineboot -i </dev/null >"$root_dir/wineboot.log" 2>&1 \
    || die "wineboot failed: $(tail -5 "$root_dir/wineboot.log")"
  as_user_in "$template_dir" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >>"$root_dir/wineboot.log" 2>&1 || die "could not set Managed=N"
  as_user_in "$template_dir" wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >>"$root_dir/wineboot.log" 2>&1 || die "could not set ShowCrashDialog=0"
  stop_prefix "$template_dir"
  local link
  for link in "$template_dir/wine/drive_c/users/$wine_user"/*; do
    [[ -L $link ]] || continue
    rm "$link"
    setpriv --reuid="$wine_user" --regid="$wine_user" --init-groups mkdir "$link"
  done
  echo "$(id -u "$wine_user") $template_version" >"$template_dir/ready"
}

main() {
  prefix_name="default"
  action=run
  action_arg=""
  extra_files=()
  passed_env=()
  given_env=()
  while [[ $# -gt 0 ]]; do
    case "$1" in
      --prefix) prefix_name="${2:?--prefix needs a name}"; shift 2 ;;
      --reset) action=reset; shift ;;
      --drive-c) action=drive-c; shift ;;
      --owner) action=owner; shift ;;
      --with) extra_files+=("$(realpath "${2:?--with needs a file}")"); shift 2 ;;
      --env)
        [[ ${2:-} =~ ^[A-Za-z_][A-Za-z0-9_]*= ]] || die "--env needs NAME=VALUE"
        if [[ $2 == WINEDLLOVERRIDES=* ]]; then wine_dll_overrides+=";${2#WINEDLLOVERRIDES=}"
        else given_env+=("$2"); fi
        shift 2 ;;
      --wine-path) action=wine-path; action_arg="${2:?--wine-path needs a path}"; shift 2 ;;
      --documents) action=documents; shift ;;
      --stop) action=stop; shift ;;
      --remove) action=remove; shift ;;
      --as-user) action=as-user; action_arg="${2:?--as-user needs a home folder}"; shift 2 ;;
      --) shift; break ;;
      -*) die "unknown option $1" ;;
      *) break ;;
    esac
  done
  [[ $prefix_name =~ ^[A-Za-z0-9_.-]+$ && $prefix_name != template ]] || die "bad prefix name '$prefix_name'"
  prefix_dir="$root_dir/prefixes/$prefix_name"

  # Variables a test runner sets for the program itself.
  while IFS='=' read -r name _; do
    [[ $name =~ ^(GTEST_|AW_TEST_) ]] && passed_env+=("$name=${!name}")
  done < <(env)
  passed_env+=("${given_env[@]}")

  mkdir -p "$root_dir"
  chmod 755 "$root_dir"

  case "$action" in
    stop) flock "$lock_file" true; [[ -f $display_file ]] && stop_prefix "$prefix_dir"; exit 0 ;;
    remove)
      exec 9>"$lock_file"; flock 9
      [[ -f $display_file ]] && stop_prefix "$prefix_dir"
      rm -rf "$prefix_dir"; exit 0 ;;
  esac

  {
    exec 9>"$lock_file"
    flock 9
    ensure_user
    ensure_display
    ensure_template
    if [[ $action == reset && -d $prefix_dir ]]; then
      stop_prefix "$prefix_dir"
      rm -rf "$prefix_dir"
    fi
    if [[ $action != as-user ]] && ! prefix_is_ready "$prefix_dir"; then
      stop_prefix "$prefix_dir"
      rm -rf "$prefix_dir"
      mkdir -p "$root_dir/prefixes"
      chmod 755 "$root_dir/prefixes"
      cp -a --reflink=auto "$template_dir" "$prefix_dir.tmp.$$"
      mv "$prefix_dir.tmp.$$" "$prefix_dir"
    fi
    exec 9>&-
  }

  if [[ $action == as-user ]]; then
    [[ $# -ge 1 ]] || die "no command given"
    ensure_locale
    exec setpriv --reuid="$wine_user" --regid="$wine_user" --init-groups \
      env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$action_arg" USER="$wine_user" LOGNAME="$wine_user" \
        WINEDEBUG="$wine_debug" WINEDLLOVERRIDES="$wine_dll_overrides" DISPLAY="$(cat "$root_dir/display")" \
        LANG=C.UTF-8 TZ="$wine_tz" "${passed_env[@]}" "$@" 9>&-
  fi

  readonly documents_dir="$prefix_dir/wine/drive_c/users/$wine_user/Documents"
  case "$action" in
    reset) exit 0 ;;
    documents) echo "$documents_dir"; exit 0 ;;
    drive-c) echo "$prefix_dir/wine/drive_c"; exit 0 ;;
    owner) echo "$wine_user:$wine_user"; exit 0 ;;
    wine-path) as_user_in "$prefix_dir" winepath -w "$action_arg" </dev/null 2>/dev/null; exit $? ;;
  esac

  [[ $# -ge 1 ]] || die "no program given"
  ensure_locale
  program="$(realpath "$1")"; shift
  [[ -f $program ]] || die "no such program: $program"

  # The build tree may be unreadable to the wine user: run a copy.
  mkdir -p "$root_dir/run"
  chmod 755 "$root_dir/run"
  run_dir="$(mktemp -d "$root_dir/run/XXXXXXXX")"
  child=""
  cleanup() {
    # Wine programs ignore SIGTERM, and the program is not our child but a
    # grandchild: end the whole process group that it leads.
    [[ -n $child ]] && kill -KILL -- "-$child" 2>/dev/null
    rm -rf "$run_dir"
  }
  trap cleanup EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
  cp "$program" "${extra_files[@]}" "$run_dir/"
  chmod -R a+rX "$run_dir"

  # A wineserver started by wine would inherit our caller's pipes; start it
  # ourselves, detached, so that it can linger between programs.
  as_user_in "$prefix_dir" setsid wineserver -p10 </dev/null >/dev/null 2>&1 || true

  cd "$run_dir"
  set +e
  set_user_command "$prefix_dir"
  "${user_command[@]}" setsid wine "$run_dir/$(basename "$program")" "$@" </dev/null &
  child=$!
  wait "$child"
  status=$?
  child=""
  exit "$status"
}

# Everything runs from main, read whole before it starts, so that editing this
# file cannot disturb a run in progress.
main "$@"
exit
