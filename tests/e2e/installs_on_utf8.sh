#!/usr/bin/env bash
# A player whose system code page is UTF-8 (65001, the option "use Unicode
# UTF-8 for worldwide language support"; under Wine the language hi_IN,
# which has no ANSI code page of its own): the base edition installs as
# under 950. The boxes show the same Chinese texts, and the installed files
# pass the same byte-for-byte checks; nothing appears outside the documents
# folder.
#   installs_on_utf8.sh CASE INSTALLER.exe E2E_DRIVER.exe
# Cases:
#   default_documents      the prefix's own documents folder
#   documents_named_in_chinese  documents folder 許功蓋的文件
export AW_WINE_LOCALE=hi_IN.UTF-8 AW_E2E_CODE_PAGE=65001
source "$(dirname "$0")/lib.sh"
case_name="$1"
shift
e2e_begin "utf8_$case_name" "$@"
source "$(dirname "$0")/documents_folder.sh"

# The driver reads texts through the system's code page: here as UTF-8
# bytes, the installer's Chinese in another encoding.
expect_text() { # key-without-_hex utf8-text
  local actual expected
  actual="$(value_of "$1_hex")"
  expected="$(printf '%s' "$2" | od -An -v -tx1 | tr -d ' \n')"
  [[ $actual == "$expected" ]] || fail "$1 is $actual, expected $2 ($expected)"
}

set_up_demo_game base
case "$case_name" in
default_documents) ;;
documents_named_in_chinese) use_documents_folder "許功蓋的文件" ;;
*) fail "unknown case $case_name" ;;
esac
folders_outside_documents >"$scratch/folders_before"

install_as_player "將安裝碧潮紀行 本體專用資料。"

expect_base_edition_inside_documents
echo "PASS"
