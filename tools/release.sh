#!/usr/bin/env bash
# Makes the archive that players download: dist/addonwarlord1-<version>.zip
# with the installer, install-on-linux.sh (executable), the players' guides
# as plain text and SHA256SUMS.
#
#   tools/release.sh [--dist DIR] [--skip-rebuild-check]
#
# The installer is built from the committed sources (HEAD, exported with
# git archive into a fresh folder), so uncommitted changes are never part of
# a release; a second build from the same export must give the same bytes.
# --skip-rebuild-check leaves that second build out, for the release's own
# tests of everything else (one of them makes it); never for players.
#
# Signing (Authenticode, with osslsigncode), when both are set:
#   AW_SIGN_PKCS12         the PKCS#12 file holding the signing key and certificate
#   AW_SIGN_PASSWORD       its password
#   AW_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamping server (optional)
#   AW_SIGN_CAFILE         the trusted certificates (PEM) that the signature is
#                          verified against; without it, the certificates in
#                          AW_SIGN_PKCS12 themselves, which proves that the
#                          signature is sound and made with that key, not that
#                          Windows will trust it
#   AW_SIGN_TSA_CAFILE     the time-stamping server's trusted certificates (PEM)
#                          for the verification (optional)
# Without them the release is unsigned. The last line names the archive and
# says whether it is signed. A failed release leaves no archive of its
# version behind, not even an earlier one.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
dist="$repo/dist"
skip_rebuild_check=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --dist) dist="$(mkdir -p "$2" && cd "$2" && pwd)"; shift 2 ;;
    --skip-rebuild-check) skip_rebuild_check=1; shift ;;
    *) echo "usage: $0 [--dist DIR] [--skip-rebuild-check]" >&2; exit 2 ;;
  esac
done

say() { echo "release: $*"; }
die() { echo "release: FAILED: $*" >&2; exit 1; }

for tool in git cmake python3 sha256sum; do
  command -v "$tool" >/dev/null || die "'$tool' is missing: run tools/install-deps.sh"
done

# --- What is released, and where it goes --------------------------------

git -C "$repo" rev-parse --verify -q HEAD >/dev/null || die "$repo is not a git checkout with a commit"
commit="$(git -C "$repo" rev-parse HEAD)"
if [[ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]]; then
  say "WARNING: the working tree has uncommitted changes; they are NOT in this release,"
  say "WARNING: which is built from commit ${commit:0:12} as committed."
fi
version="$(git -C "$repo" show HEAD:VERSION | head -n 1)"
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "VERSION holds '$version', expected MAJOR.MINOR.PATCH"

archive="$dist/addonwarlord1-$version.zip"
partial="$dist/.addonwarlord1-$version.zip.partial"
mkdir -p "$dist"
if [[ -e $archive ]]; then
  say "removing the earlier $archive: a failed release must not leave it looking like this one"
  rm -f "$archive"
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/addonwarlord1-release.XXXXXX")"
cleanup() { rm -rf "$scratch"; rm -f "$partial"; }
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- The signing certificate, checked before anything is built -----------

signing=0
if [[ -n ${AW_SIGN_PKCS12+set} || -n ${AW_SIGN_PASSWORD+set} ]]; then
  [[ -n ${AW_SIGN_PKCS12+set} && -n ${AW_SIGN_PASSWORD+set} ]] ||
    die "set both AW_SIGN_PKCS12 and AW_SIGN_PASSWORD to sign, or neither for an unsigned release"
  signing=1
  for tool in osslsigncode openssl; do
    command -v "$tool" >/dev/null || die "'$tool' is missing: run tools/install-deps.sh"
  done
  [[ -f $AW_SIGN_PKCS12 ]] || die "the signing certificate file '$AW_SIGN_PKCS12' (AW_SIGN_PKCS12) does not exist"
  [[ -r $AW_SIGN_PKCS12 ]] || die "the signing certificate file '$AW_SIGN_PKCS12' (AW_SIGN_PKCS12) cannot be read"
  # The password goes to the tools in a file of ours, never on a command line.
  password_file="$scratch/password"
  (umask 077 && printf '%s' "$AW_SIGN_PASSWORD" >"$password_file")
  # Files made by older tools use algorithms that OpenSSL 3 keeps in its legacy provider.
  read_pkcs12() { # output openssl-options...
    local out="$1"
    shift
    openssl pkcs12 -in "$AW_SIGN_PKCS12" -passin "file:$password_file" -out "$out" "$@" 2>/dev/null ||
      openssl pkcs12 -legacy -in "$AW_SIGN_PKCS12" -passin "file:$password_file" -out "$out" "$@" 2>/dev/null
  }
  signer_certs="$scratch/signer-certificates.pem"
  signer_leaf="$scratch/signer.pem"
  read_pkcs12 "$signer_certs" -nokeys ||
    die "cannot open '$AW_SIGN_PKCS12' with AW_SIGN_PASSWORD: the password is wrong or the file is not PKCS#12"
  read_pkcs12 "$signer_leaf" -nokeys -clcerts && grep -q 'BEGIN CERTIFICATE' "$signer_leaf" ||
    die "'$AW_SIGN_PKCS12' holds no certificate that goes with a key"
  trust_anchors="${AW_SIGN_CAFILE:-$signer_certs}"
  [[ -f $trust_anchors ]] || die "AW_SIGN_CAFILE '$trust_anchors' does not exist"
fi

# --- Build twice from the commit ------------------------------------------

source_dir="$scratch/addonwarlord1-$version"
mkdir -p "$source_dir"
git -C "$repo" archive --format=tar HEAD | tar -x -C "$source_dir"
# The archive's entries carry the commit's time, not the time of the release.
commit_time="$(git -C "$repo" show -s --format=%ct HEAD)"

build_dir="$scratch/build"
configure_args=(-G "Unix Makefiles" -DCMAKE_TOOLCHAIN_FILE="$source_dir/cmake/mingw-w64-x86_64.cmake"
                -DCMAKE_BUILD_TYPE=Release)
say "building addonwarlord1 $version from commit ${commit:0:12}"
if ! cmake -S "$source_dir" -B "$build_dir" "${configure_args[@]}" >"$scratch/configure.log" 2>&1; then
  tail -n 30 "$scratch/configure.log" >&2
  die "the Windows configuration did not configure"
fi
if ! cmake --build "$build_dir" --target addonwarlord1_setup -j2 >"$scratch/build.log" 2>&1; then
  tail -n 30 "$scratch/build.log" >&2
  die "the installer did not build"
fi
built_exe="$build_dir/app/addonwarlord1_setup.exe"
"$source_dir/cmake/check_imports.sh" "$built_exe" >/dev/null || die "the installer imports more than Windows' own DLLs"
python3 "$source_dir/cmake/check_resources.py" "$built_exe" "$source_dir/resources/payload" "$version.0" >/dev/null ||
  die "the installer's resources are not as they must be"

if [[ $skip_rebuild_check -eq 1 ]]; then
  say "not building it once more: --skip-rebuild-check (its bytes are not shown to be reproducible)"
else
  say "building it once more to compare"
  "$source_dir/cmake/check_reproducible.sh" "$source_dir" "$built_exe" "${configure_args[@]}" ||
    die "a second build from the same commit gave different bytes"
fi

# --- Sign and verify -------------------------------------------------------

stage="$scratch/stage"
mkdir -p "$stage"
exe="$stage/addonwarlord1_setup.exe"
if [[ $signing -eq 1 ]]; then
  sign_args=(-pkcs12 "$AW_SIGN_PKCS12" -readpass "$password_file" -h sha256 -n addonwarlord1)
  [[ -z ${AW_SIGN_TIMESTAMP_URL:-} ]] || sign_args+=(-ts "$AW_SIGN_TIMESTAMP_URL")
  say "signing${AW_SIGN_TIMESTAMP_URL:+ with a time stamp from $AW_SIGN_TIMESTAMP_URL}"
  if ! osslsigncode sign "${sign_args[@]}" -in "$built_exe" -out "$exe" >"$scratch/sign.log" 2>&1; then
    cat "$scratch/sign.log" >&2
    die "osslsigncode could not sign the installer${AW_SIGN_TIMESTAMP_URL:+ (can the time-stamping server $AW_SIGN_TIMESTAMP_URL be reached?)}"
  fi
  # The signer must be the certificate in AW_SIGN_PKCS12, whatever AW_SIGN_CAFILE trusts.
  leaf_hash="$(openssl x509 -in "$signer_leaf" -outform DER | sha256sum | cut -d' ' -f1)"
  verify_args=(-CAfile "$trust_anchors" -require-leaf-hash "sha256:$leaf_hash")
  [[ -z ${AW_SIGN_TSA_CAFILE:-} ]] || verify_args+=(-TSA-CAfile "$AW_SIGN_TSA_CAFILE")
  if ! osslsigncode verify "${verify_args[@]}" -in "$exe" >"$scratch/verify.log" 2>&1; then
    cat "$scratch/verify.log" >&2
    die "the signature does not verify"
  fi
  if [[ -n ${AW_SIGN_CAFILE:-} ]]; then
    verified_against="verified against AW_SIGN_CAFILE"
  else
    verified_against="verified against the certificate in AW_SIGN_PKCS12 itself, not a trusted root"
  fi
  say "signature $verified_against"
else
  cp "$built_exe" "$exe"
fi

# --- The guides, the checksums and the archive ----------------------------

guides=("讀我.txt" "README.txt")
python3 "$source_dir/tools/release/guide_to_text.py" "$source_dir/docs/players/zh-TW.md" "$stage/${guides[0]}" \
  "$version" cp950 || die "the Traditional Chinese guide could not be made into plain text"
python3 "$source_dir/tools/release/guide_to_text.py" "$source_dir/docs/players/en.md" "$stage/${guides[1]}" \
  "$version" utf-8-sig || die "the English guide could not be made into plain text"
cp "$source_dir/linux/install-on-linux.sh" "$stage/" || die "install-on-linux.sh could not be staged"
members=(addonwarlord1_setup.exe install-on-linux.sh "${guides[@]}")
(cd "$stage" && sha256sum "${members[@]}" >SHA256SUMS) || die "the checksums could not be computed"
python3 "$source_dir/tools/release/make_zip.py" --time "$commit_time" --executable install-on-linux.sh \
  "$partial" "$stage" "${members[@]}" SHA256SUMS || die "the archive could not be written"
mv "$partial" "$archive"

say "sha256 of the archive: $(sha256sum "$archive" | cut -d' ' -f1)"
if [[ $signing -eq 1 ]]; then
  say "$archive: SIGNED ($verified_against)"
else
  say "$archive: UNSIGNED (AW_SIGN_PKCS12 and AW_SIGN_PASSWORD are not set)"
fi
