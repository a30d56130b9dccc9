#!/usr/bin/env bash
# Installs the build into a temporary root and checks what a desktop and a user get
# from it, each file with the tool that reads it.
# Usage: CheckInstalledFiles.sh BUILD_DIR VERSION PROBE_LIBRARY DOCUMENT
set -euo pipefail
build=$1 version=$2 probe=$3 document=$4
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
quiet() { local out; out=$("$@" 2>&1) || fail "$* exited $?: $out"; [ -z "$out" ] || fail "$*: $out"; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr share=$root/usr/share

# Both programs run from the install and tell the build's version, as do the release notes.
[ "$("$usr/bin/tinselwick-cli" --version)" = "tinselwick-cli $version" ] || fail "tinselwick-cli --version"
[ "$(env -u DISPLAY "$usr/bin/tinselwick" --version)" = "tinselwick $version" ] || fail "tinselwick --version"
grep -q "<release version=\"$version\"" "$share/metainfo/org.tinselwick.Tinselwick.metainfo.xml" \
  || fail "no release notes for $version"
zcat "$share/doc/tinselwick/changelog.gz" | head -1 | grep -qF "tinselwick ($version)" || fail "changelog"

# The installed program opens the document named at start, and its help from the data folder.
shown=$(QT_QPA_PLATFORM=offscreen LD_PRELOAD=$probe "$usr/bin/tinselwick" "$document" 2>"$root/stderr")
expected="participant: 1 ANN LEE
participant: 2 BOB KAY
help: $share/tinselwick/Holvik.hlp"
[ "$shown" = "$expected" ] || fail "the started program showed: $shown $(cat "$root/stderr")"

# The print commands run in tinselwick-print, which the tool finds relative to itself.
"$usr/bin/tinselwick-cli" list "$document" --pdf "$root/list.pdf" >/dev/null || fail "tinselwick-cli list"
[ -x "$root/usr/libexec/tinselwick/tinselwick-print" ] || fail "no tinselwick-print in libexec"

quiet desktop-file-validate "$share/applications/org.tinselwick.Tinselwick.desktop"
appstreamcli validate --no-net "$share/metainfo/org.tinselwick.Tinselwick.metainfo.xml" >/dev/null \
  || fail "appstreamcli validate"
for page in "$share"/man/man1/tinselwick*.1.gz; do
  quiet sh -c "zcat '$page' | groff -ww -man -Tutf8 -z"
done
for size in 16 24 32 48 64 128 256; do
  file "$share/icons/hicolor/${size}x$size/apps/org.tinselwick.Tinselwick.png" | grep -q "$size x $size" \
    || fail "icon at $size px"
done

# A document is known by its name and, without the name, by its opening bytes.
export XDG_DATA_HOME=$root/none XDG_DATA_DIRS=$share
quiet update-mime-database "$share/mime"
printf '\0\1\2\3' >"$root/unknown-bytes.kks"
cp "$document" "$root/document"
for file in "$root/unknown-bytes.kks" "$root/document"; do
  type=$(gio info -a standard::content-type "$file" | sed -n 's/^ *standard::content-type: //p')
  [ "$type" = application/x-tinselwick ] || fail "$file is taken for ${type:-nothing}"
done

# Every command and option the tool offers is completed and in its manual page, and
# the completion offers nothing the tool lacks.
# shellcheck source=/dev/null
source "$share/bash-completion/completions/tinselwick-cli"
manual=$(zcat "$share/man/man1/tinselwick-cli.1.gz" | groff -man -Tutf8 2>/dev/null | sed 's/.\x08//g')
commands=$("$usr/bin/tinselwick-cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\).*/\1/p')
[ -n "$commands" ] || fail "no commands listed"
options_of() { "$usr/bin/tinselwick-cli" "$1" --help | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+'; }
for command in $commands; do
  [ -n "${_tinselwick_cli_options[$command]+set}" ] || fail "no completion for $command"
  grep -qE "^ +$command " <<<"$manual" || fail "$command is not in the manual page"
  for option in $(options_of "$command"); do
    [ "$option" = --help ] && continue
    [[ " ${_tinselwick_cli_options[$command]} " =~ \ $option[:\ ] ]] || fail "no completion for $command $option"
    grep -qE -- "(^| )$option( |$)" <<<"$manual" || fail "$command $option is not in the manual page"
  done
done
for command in "${!_tinselwick_cli_options[@]}"; do
  grep -qx "$command" <<<"$commands" || fail "completion offers $command, which the tool lacks"
  for entry in ${_tinselwick_cli_options[$command]}; do
    options_of "$command" | grep -qx -- "${entry%%:*}" || fail "completion offers $command ${entry%%:*}, which the tool lacks"
  done
done
echo "installed files: all checks passed"
