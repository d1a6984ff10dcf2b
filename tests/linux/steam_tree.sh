# Steam's and Proton's files as they write them (text KeyValues with tabs,
# Proton's records of a prefix), for tests that lay out a Steam
# installation of their own under $HOME. The Protons and the Steam Linux
# Runtime are the stand-ins in standin/, which note in $AW_TEST_RECORD that
# they were used.

readonly standins="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/standin"
readonly runtime_app_id=1628350
readonly runtime_folder=SteamLinuxRuntime_sniper

# A text as a KeyValues string.
vdf_string() {
  local text="${1//\\/\\\\}"
  printf '"%s"' "${text//\"/\\\"}"
}

# A Steam installation at ROOT whose steamapps/libraryfolders.vdf lists ROOT
# and each LIBRARY, reached through ~/.steam/root and ~/.steam/steam as
# Steam's own links do; its choice of tool for each game is in map_tools.
make_steam() { # root library...
  local root="$1" index=0 library
  shift
  mkdir -p "$root/steamapps" "$root/config" "$HOME/.steam"
  ln -sfn "$root" "$HOME/.steam/root"
  ln -sfn "$root" "$HOME/.steam/steam"
  {
    printf '"libraryfolders"\n{\n'
    for library in "$root" "$@"; do
      mkdir -p "$library/steamapps"
      printf '\t"%d"\n\t{\n\t\t"path"\t\t%s\n\t\t"label"\t\t""\n\t\t"contentid"\t\t"%d"\n' \
        "$index" "$(vdf_string "$library")" "$((4149446629321113508 + index))"
      printf '\t\t"totalsize"\t\t"0"\n\t\t"update_clean_bytes_tally"\t\t"0"\n'
      printf '\t\t"time_last_update_corruption"\t\t"0"\n\t\t"apps"\n\t\t{\n\t\t}\n\t}\n'
      index=$((index + 1))
    done
    printf '}\n'
  } >"$root/steamapps/libraryfolders.vdf"
  map_tools "$root"
}

# Steam's record of the tool each game runs with (config/config.vdf), with
# the default for every other game, as the Steam Play settings write it.
map_tools() { # root [app-id=tool-name]...
  local root="$1" mapping
  shift
  {
    printf '"InstallConfigStore"\n{\n\t"Software"\n\t{\n\t\t"Valve"\n\t\t{\n\t\t\t"Steam"\n\t\t\t{\n'
    printf '\t\t\t\t"AutoUpdateWindowEnabled"\t\t"0"\n\t\t\t\t"CompatToolMapping"\n\t\t\t\t{\n'
    for mapping in "0=proton_experimental" "$@"; do
      printf '\t\t\t\t\t"%s"\n\t\t\t\t\t{\n\t\t\t\t\t\t"name"\t\t%s\n\t\t\t\t\t\t"config"\t\t""\n' \
        "${mapping%%=*}" "$(vdf_string "${mapping#*=}")"
      printf '\t\t\t\t\t\t"priority"\t\t"%s"\n\t\t\t\t\t}\n' "$([[ ${mapping%%=*} == 0 ]] && echo 75 || echo 250)"
    done
    printf '\t\t\t\t}\n\t\t\t\t"ShaderCacheManager"\n\t\t\t\t{\n\t\t\t\t\t"HasCurrentBucket"\t\t"1"\n'
    printf '\t\t\t\t}\n\t\t\t}\n\t\t}\n\t}\n}\n'
  } >"$root/config/config.vdf"
}

# A Steam app's manifest (steamapps/appmanifest_<id>.acf) in LIBRARY.
app_manifest() { # library app-id name installdir
  {
    printf '"AppState"\n{\n\t"appid"\t\t"%s"\n\t"Universe"\t\t"1"\n\t"name"\t\t%s\n' "$2" "$(vdf_string "$3")"
    printf '\t"StateFlags"\t\t"4"\n\t"installdir"\t\t%s\n\t"LastUpdated"\t\t"1700000000"\n' "$(vdf_string "$4")"
    printf '\t"SizeOnDisk"\t\t"0"\n\t"buildid"\t\t"12345678"\n\t"InstalledDepots"\n\t{\n'
    printf '\t\t"%s"\n\t\t{\n\t\t\t"manifest"\t\t"1234567890123456789"\n\t\t\t"size"\t\t"0"\n\t\t}\n\t}\n' "$(($2 + 1))"
    printf '\t"UserConfig"\n\t{\n\t}\n\t"MountedConfig"\n\t{\n\t}\n}\n'
  } >"$1/steamapps/appmanifest_$2.acf"
}

# A Proton folder: the stand-in `proton`, its toolmanifest.vdf (asking for the
# Steam Linux Runtime unless told "none") and its prefix version in the
# script as Proton keeps it.
proton_folder() { # folder prefix-version [runtime-app-id|none]
  local runtime="${3:-$runtime_app_id}"
  mkdir -p "$1/files/share/fonts" "$1/files/lib"
  { head -n 1 "$standins/proton"; printf 'CURRENT_PREFIX_VERSION="%s"\n' "$2"; tail -n +2 "$standins/proton"; } >"$1/proton"
  chmod +x "$1/proton"
  {
    printf '"manifest"\n{\n  "version" "2"\n  "commandline" "/proton %%verb%%"\n'
    [[ $runtime == none ]] || printf '  "require_tool_appid" "%s"\n' "$runtime"
    printf '  "use_sessions" "1"\n  "compatmanager_layer_name" "proton"\n}\n'
  } >"$1/toolmanifest.vdf"
  printf '1700000000 %s\n' "$2" >"$1/version"
}

# A Proton of Steam's own, installed as an app in LIBRARY's steamapps/common.
add_steam_proton() { # library folder-name app-id prefix-version [runtime-app-id|none]
  proton_folder "$1/steamapps/common/$2" "$4" "${5:-}"
  app_manifest "$1" "$3" "$2" "$2"
}

# A Proton installed by the player in ROOT/compatibilitytools.d, named in its
# compatibilitytool.vdf as the usual builds name theirs.
add_custom_proton() { # root folder-name tool-name prefix-version [runtime-app-id|none]
  local folder="$1/compatibilitytools.d/$2"
  proton_folder "$folder" "$4" "${5:-}"
  cat >"$folder/compatibilitytool.vdf" <<EOF
"compatibilitytools"
{
  "compat_tools"
  {
    "$3" // Internal name of this tool
    {
      // The tool lies in this folder.
      "install_path" "."

      "display_name" "$3"

      "from_oslist"  "windows"
      "to_oslist"    "linux"
    }
  }
}
EOF
}

# The Steam Linux Runtime (sniper) in LIBRARY, with the stand-in entry point.
add_runtime() { # library
  local folder="$1/steamapps/common/$runtime_folder"
  mkdir -p "$folder"
  cp "$standins/_v2-entry-point" "$folder/"
  printf '"manifest"\n{\n  "version" "2"\n  "commandline" "/_v2-entry-point --verb=%%verb%% --"\n' >"$folder/toolmanifest.vdf"
  printf '  "filter_exclusive_priority" "3"\n  "use_tool_subprocess_reaper" "1"\n' >>"$folder/toolmanifest.vdf"
  printf '  "compatmanager_layer_name" "container-runtime"\n}\n' >>"$folder/toolmanifest.vdf"
  app_manifest "$1" "$runtime_app_id" "Steam Linux Runtime 3.0 (sniper)" "$runtime_folder"
}

# What Proton records in compatdata/<app id> when it sets a prefix up: the
# prefix version, and in config_info the version and its own folders.
proton_set_up() { # compat-data proton-folder prefix-version steam-root
  printf '%s\n' "$3" >"$1/version"
  printf '%s\n' "$3" "$2/files/share/fonts/" "$2/files/lib/" "$4" 0 0 0 "$2/files/share/default_pfx/" 0 \
    False True 'd3dcompiler_*.dll,d3dx*.dll,xinput*.dll' True >"$1/config_info"
  printf 'False' >>"$1/config_info"
}
