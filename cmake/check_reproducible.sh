#!/bin/sh
# Builds the installer once more, from the same sources, in a fresh folder
# whose path differs from the first build's, and fails unless the two
# executables are the same bytes: a player (or a checksum list) can verify
# that an .exe came from a given commit.
#
#   check_reproducible.sh SOURCE_DIR BUILT_EXE [CMAKE_CONFIGURE_ARGS...]
set -eu
source_dir="$1"
built_exe="$2"
shift 2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/addonwarlord1-rebuild.XXXXXX")
trap 'rm -rf "$scratch"' EXIT INT TERM

if ! cmake -S "$source_dir" -B "$scratch" "$@" >"$scratch/configure.log" 2>&1; then
    cat "$scratch/configure.log" >&2
    exit 1
fi
if ! cmake --build "$scratch" --target addonwarlord1_setup -j2 >"$scratch/build.log" 2>&1; then
    cat "$scratch/build.log" >&2
    exit 1
fi

rebuilt="$scratch/app/$(basename "$built_exe")"
if cmake -E compare_files "$built_exe" "$rebuilt"; then
    echo "identical: $(basename "$built_exe") ($(wc -c <"$built_exe") bytes)"
    exit 0
fi
echo "the rebuilt executable differs from $built_exe (was that build up to date?)" >&2
cmp -l "$built_exe" "$rebuilt" | head -20 >&2 || true
exit 1
