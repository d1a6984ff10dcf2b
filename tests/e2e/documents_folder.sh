# A documents folder of another name, for the cases that need one, and what
# a base installation must leave there; sourced after lib.sh, once
# set_up_demo_game has set $documents.
readonly user_shell_folders='Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'

# Points the shell's documents folder at a new folder beside the usual one.
use_documents_folder() { # name
  local profile
  profile="$(dirname "$documents")"
  documents="$profile/$1"
  mkdir "$documents"
  give_to_wine_user "$documents"
  game_data="$documents/ZAVO/Vantaris77 Tc"
  # The driver receives the name in the system's code page and stores it as such.
  drive reg-set "$user_shell_folders" Personal sz "$(wine_run --wine-path "$documents")"
  expect reg_set ok
}

# The same for a name the system's code page cannot write: the driver gets
# it as UTF-8 in hex and stores it in UTF-16, as the shell holds it.
use_documents_folder_beyond_code_page() { # name
  local profile wine_path
  profile="$(dirname "$documents")"
  documents="$profile/$1"
  mkdir "$documents"
  give_to_wine_user "$documents"
  game_data="$documents/ZAVO/Vantaris77 Tc"
  wine_path="$(wine_run --wine-path "$profile")\\$1"
  drive reg-set "$user_shell_folders" Personal sz-utf8-hex "$(printf '%s' "$wine_path" | od -An -v -tx1 | tr -d ' \n')"
  expect reg_set ok
}

# Every folder of the prefix's drive C: outside the documents folder.
folders_outside_documents() {
  local drive_c
  drive_c="$(wine_run --drive-c)"
  (cd "$drive_c" && find . -type d | LC_ALL=C sort) |
    grep -vxF "./${documents#"$drive_c/"}" | grep -vF "./${documents#"$drive_c/"}/" || true
}

# The base edition installed byte for byte and read-only, and no folder
# outside the documents folder changed since
# `folders_outside_documents >"$scratch/folders_before"`.
expect_base_edition_inside_documents() {
  local size
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/EDIT/BUSHOU/addonwarlord1.77B" ||
    fail "record file differs from the payload"
  expect_files_in_game_data EDIT/BUSHOU/addonwarlord1.77B GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77
  expect_read_only "$game_data/EDIT/BUSHOU/addonwarlord1.77B" "$game_data"/GRP/EDIT_KAO_?.V77
  folders_outside_documents >"$scratch/folders_after"
  diff "$scratch/folders_before" "$scratch/folders_after" >&2 ||
    fail "folders appeared or went outside the documents folder"
}
