# A documents folder of another name, for the cases that need one; sourced
# after lib.sh, once set_up_demo_game has set $documents.
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

# Every folder of the prefix's drive C: outside the documents folder.
folders_outside_documents() {
  local drive_c
  drive_c="$(wine_run --drive-c)"
  (cd "$drive_c" && find . -type d | LC_ALL=C sort) |
    grep -vxF "./${documents#"$drive_c/"}" | grep -vF "./${documents#"$drive_c/"}/" || true
}
