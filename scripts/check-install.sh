#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a Linux user gets: the programs in
# bin/ running away from the source tree, the help and examples in share/tallivo/, and with the
# desktop program its desktop entry (validated when desktop-file-validate is installed), the
# worksheet file type and the icon.
#   check-install.sh BUILD-DIR on|off    (off: the build has no desktop program)
set -u
build=${1:?usage: check-install.sh BUILD-DIR on|off}
ui=${2:-on}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

if ! cmake --install "$build" --prefix "$prefix" >/dev/null; then
  echo "FAIL cmake --install"
  exit 1
fi
cd "$prefix" || exit 1

expected=(bin/tallivo-cli share/tallivo/help/tallivo.html share/tallivo/examples/budget.wks)
if [ "$ui" = on ]; then
  expected+=(bin/tallivo share/applications/tallivo.desktop share/mime/packages/tallivo.xml
             share/icons/hicolor/scalable/apps/tallivo.svg)
fi
for f in "${expected[@]}"; do
  [ -s "$f" ] || fail "missing $f"
done
for f in bin/*; do
  [ -x "$f" ] || fail "$f is not executable"
done

# The installed batch tool runs with nothing but the prefix: version, an entry and an example.
version=$(env -u TALLIVO_HOME "$prefix/bin/tallivo-cli" --version)
[[ "$version" =~ ^tallivo-cli\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed '$version'"
value=$(env -u TALLIVO_HOME "$prefix/bin/tallivo-cli" -e A1 6 -e A2 "+A1*7" -p A2 | cut -f3)
[ "$value" = 42 ] || fail "the installed tool computed '$value'"
env -u TALLIVO_HOME "$prefix/bin/tallivo-cli" share/tallivo/examples/budget.wks -p >/dev/null ||
  fail "the installed example does not load"
# Its program directory is its own bin/, as for every program: the settings say so.
grep -qx "START=$prefix/bin/" <(env -u TALLIVO_HOME "$prefix/bin/tallivo-cli" --settings) ||
  fail "the installed tool does not take bin/ as its program directory"

if [ "$ui" = on ]; then
  entry=share/applications/tallivo.desktop
  if command -v desktop-file-validate >/dev/null; then
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $out"
  else
    echo "desktop-file-validate is not installed: the desktop entry is checked by its keys only"
  fi
  grep -qx 'Exec=tallivo %F' "$entry" || fail "the desktop entry does not start tallivo with files"
  grep -qx 'Icon=tallivo' "$entry" || fail "the desktop entry has no icon"
  type=$(sed -n 's/^MimeType=\(.*\);$/\1/p' "$entry")
  grep -q "<mime-type type=\"$type\">" share/mime/packages/tallivo.xml ||
    fail "the desktop entry's MimeType '$type' is not declared in share/mime/packages/"
  for glob in '*.wks' '*.wk1'; do
    grep -qF "<glob pattern=\"$glob\"/>" share/mime/packages/tallivo.xml || fail "no glob $glob"
  done
  # The file type database built from the package gives our type to both extensions.
  if command -v update-mime-database >/dev/null; then
    cp -r share/mime "$prefix/mime-check"
    if update-mime-database "$prefix/mime-check" >/dev/null 2>&1; then
      for glob in '*.wks' '*.wk1'; do
        grep -qxF "50:$type:$glob" "$prefix/mime-check/globs2" ||
          fail "update-mime-database does not give $glob to $type"
      done
    else
      fail "update-mime-database refuses share/mime/packages/tallivo.xml"
    fi
  fi
  if command -v xmllint >/dev/null; then
    xmllint --noout share/mime/packages/tallivo.xml share/icons/hicolor/scalable/apps/tallivo.svg ||
      fail "the file type or the icon is not well-formed XML"
  fi
fi

[ "$failures" -eq 0 ] && echo "install: the installed programs and files are in place"
[ "$failures" -eq 0 ]
