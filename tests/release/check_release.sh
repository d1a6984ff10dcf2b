#!/usr/bin/env bash
# Runs tools/release.sh as a maintainer would and checks what a player gets.
#
#   check_release.sh signed WORK_DIR     signs with a throw-away self-signed
#                                        certificate made here, time-stamped by
#                                        a time-stamping server of our own on
#                                        the loopback; leaves the archive's
#                                        files in WORK_DIR/unpacked
#   check_release.sh unsigned WORK_DIR
#   check_release.sh bad-signing WORK_DIR  a missing certificate, a wrong
#                                        password or half the signing settings
#                                        end the release with a clear message and
#                                        leave no archive, not even an earlier one
set -euo pipefail

readonly repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
readonly members=(addonwarlord1_setup.exe install-on-linux.sh "讀我.txt" README.txt SHA256SUMS)
mode="$1"
work="$2"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Each mode sets what it signs with; nothing comes from the caller's environment.
unset AW_SIGN_PKCS12 AW_SIGN_PASSWORD AW_SIGN_TIMESTAMP_URL AW_SIGN_CAFILE AW_SIGN_TSA_CAFILE

version="$(git -C "$repo_root" show HEAD:VERSION)"
archive_name="addonwarlord1-$version.zip"
rm -rf "$work"
mkdir -p "$work/dist"

# A self-signed code-signing certificate and its PKCS#12 file.
make_certificate() { # name password
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=addonwarlord1 test signer $1" \
    -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
    -keyout "$work/$1.key" -out "$work/$1.pem" 2>/dev/null
  openssl pkcs12 -export -inkey "$work/$1.key" -in "$work/$1.pem" -out "$work/$1.p12" -passout "pass:$2"
}

run_release() { # expected-status [release.sh options], environment in the caller's
  local status=0 expected="$1"
  shift
  "$repo_root/tools/release.sh" --dist "$work/dist" "$@" >"$work/release.log" 2>&1 || status=$?
  cat "$work/release.log"
  [[ $status -eq $expected || ($expected -ne 0 && $status -ne 0) ]] || fail "release.sh ended with $status"
  last_line="$(tail -n 1 "$work/release.log")"
}

expect_no_archive() {
  local left
  left="$(cd "$work/dist" && find . -mindepth 1 | sort | tr '\n' ' ')"
  [[ -z $left ]] || fail "the failed release left $left in the dist folder"
}

expect_archive() {
  local archive="$work/dist/$archive_name" listed expected
  [[ -f $archive ]] || fail "no $archive_name"
  [[ $last_line == *"$archive"* ]] || fail "the last line does not name the archive: $last_line"
  listed="$(unzip -Z1 "$archive" | LC_ALL=C sort)"
  expected="$(printf '%s\n' "${members[@]}" | LC_ALL=C sort)"
  [[ $listed == "$expected" ]] || fail "the archive holds: $(tr '\n' ' ' <<<"$listed")"
  # What the zip support of a Traditional Chinese Windows reads: the names in code page 950.
  listed="$(python3 -c 'import sys, zipfile; print("\n".join(zipfile.ZipFile(sys.argv[1], metadata_encoding="cp950").namelist()))' \
            "$archive" | LC_ALL=C sort)"
  [[ $listed == "$expected" ]] || fail "in code page 950 the archive holds: $(tr '\n' ' ' <<<"$listed")"
  unpacked="$work/unpacked"
  mkdir -p "$unpacked"
  unzip -q "$archive" -d "$unpacked"
  [[ "$(cut -c67- "$unpacked/SHA256SUMS" | LC_ALL=C sort)" == "$(printf '%s\n' "${members[@]:0:4}" | LC_ALL=C sort)" ]] ||
    fail "SHA256SUMS does not list exactly the other files: $(cat "$unpacked/SHA256SUMS")"
  (cd "$unpacked" && sha256sum --strict -c SHA256SUMS) || fail "sha256sum -c"
  # The version in the program and in both guides' titles.
  python3 "$repo_root/cmake/check_resources.py" "$unpacked/addonwarlord1_setup.exe" \
    "$repo_root/resources/payload" "$version.0" || fail "the released program's resources"
  expect_plain_text "讀我.txt" CP950 "addonwarlord1 $version 安裝說明"
  expect_plain_text README.txt UTF-8 $'\xEF\xBB\xBF'"addonwarlord1 $version installer"
  expect_linux_script
}

# Unpacked, the Linux entry point is the committed script, ready to run.
expect_linux_script() {
  local script="$unpacked/install-on-linux.sh"
  [[ -x $script ]] || fail "install-on-linux.sh is not executable once unpacked"
  git -C "$repo_root" show HEAD:linux/install-on-linux.sh | cmp -s - "$script" ||
    fail "install-on-linux.sh is not the committed linux/install-on-linux.sh"
  "$script" --help | grep -q '^Usage: ./install-on-linux.sh' || fail "install-on-linux.sh --help did not run"
}

# For Notepad: the guide decodes strictly in its encoding, every line ends
# with CR LF, and its title names the release.
expect_plain_text() { # name encoding title-start
  local file="$unpacked/$1" first
  iconv -f "$2" -t UTF-8 "$file" >/dev/null || fail "$1 is not $2 throughout"
  ! grep -qv $'\r$' "$file" || fail "$1 has a line that does not end with CR LF"
  first="$(head -n 1 "$file" | iconv -f "$2" -t UTF-8)"
  [[ $first == "$3"* ]] || fail "$1 begins '$first', expected '$3...'"
}

# Starts tests/release/local_tsa.py; its URL is in $tsa_url.
start_time_stamp_server() {
  local waited=0
  mkdir -p "$work/tsa"
  python3 "$(dirname "$0")/local_tsa.py" "$work/tsa" >"$work/tsa/url" 2>"$work/tsa/log" &
  tsa_pid=$!
  trap 'kill $tsa_pid 2>/dev/null || true' EXIT
  until [[ -s $work/tsa/url ]]; do
    kill -0 "$tsa_pid" 2>/dev/null || fail "the time-stamping server did not start: $(cat "$work/tsa/log")"
    (( waited++ < 600 )) || fail "the time-stamping server did not start within 60 s"
    sleep 0.1
  done
  tsa_url="$(cat "$work/tsa/url")"
}

case "$mode" in
  signed)
    make_certificate signer 'correct horse'
    make_certificate stranger other
    start_time_stamp_server
    AW_SIGN_PKCS12="$work/signer.p12" AW_SIGN_PASSWORD='correct horse' AW_SIGN_TIMESTAMP_URL="$tsa_url" \
      AW_SIGN_TSA_CAFILE="$work/tsa/tsa.pem" run_release 0
    grep -q "building it once more to compare" "$work/release.log" || fail "the release was not built a second time"
    [[ $last_line == *SIGNED* && $last_line != *UNSIGNED* ]] || fail "the last line does not say signed: $last_line"
    expect_archive
    # Self-signed: the certificate itself is the trust anchor. Another one must not do.
    osslsigncode verify -CAfile "$work/signer.pem" -TSA-CAfile "$work/tsa/tsa.pem" \
      -in "$unpacked/addonwarlord1_setup.exe" >"$work/verify.out" ||
      fail "the released program's signature does not verify: $(cat "$work/verify.out")"
    grep -q "Subject: /CN=addonwarlord1 test signer signer" "$work/verify.out" || fail "signed by someone else"
    grep -q "Timestamp Server Signature verification: ok" "$work/verify.out" || fail "no valid time stamp"
    grep -q "Issuer: /CN=addonwarlord1 test time stamps" "$work/verify.out" || fail "time-stamped by someone else"
    if osslsigncode verify -CAfile "$work/stranger.pem" -in "$unpacked/addonwarlord1_setup.exe" >/dev/null 2>&1; then
      fail "the signature verifies against an unrelated certificate too"
    fi
    ;;
  unsigned)
    # The signed release shows that a second build gives the same bytes.
    run_release 0 --skip-rebuild-check
    [[ $last_line == *UNSIGNED* ]] || fail "the last line does not say unsigned: $last_line"
    expect_archive
    if osslsigncode extract-signature -in "$unpacked/addonwarlord1_setup.exe" -out "$work/signature" >/dev/null 2>&1; then
      fail "the unsigned release's program carries a signature"
    fi
    ;;
  bad-signing)
    make_certificate signer 'correct horse'
    # Each case: the environment, and the words that the last line must hold.
    cases=(
      "AW_SIGN_PKCS12=$work/no-such.p12 AW_SIGN_PASSWORD=x|does not exist"
      "AW_SIGN_PKCS12=$work/signer.p12 AW_SIGN_PASSWORD=wrong|the password is wrong"
      "AW_SIGN_PKCS12=$work/signer.pem AW_SIGN_PASSWORD=x|not PKCS#12"
      "AW_SIGN_PKCS12=$work/signer.p12|set both AW_SIGN_PKCS12 and AW_SIGN_PASSWORD"
    )
    for case in "${cases[@]}"; do
      settings="${case%%|*}"
      words="${case#*|}"
      echo "--- $settings"
      # An earlier archive of this version must go too: it is not what was asked for.
      echo "an earlier release" >"$work/dist/$archive_name"
      (export $settings; run_release 1; declare -p last_line >"$work/last")
      source "$work/last"
      [[ $last_line == "release: FAILED: "*"$words"* ]] || fail "$settings: the last line is '$last_line'"
      expect_no_archive
    done
    ;;
  *) fail "unknown mode $mode" ;;
esac
echo "PASS"
