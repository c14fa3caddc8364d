#!/usr/bin/env bash
# End-to-end checks of the settings file with tallivo-cli: the tool reads the settings of
# TALLIVO_HOME at start, prints them with --settings, and never writes the file.
set -u
cli=${1:?usage: settings_test.sh PATH-TO-TALLIVO-CLI}
. "$(dirname "$0")/check_lib.sh"
tab=$'\t'
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT

check "without a settings file the defaults are in force" \
  "
[Directories]
START=$home/
SAVE=$home/
LOAD=$home/" \
  "$(TALLIVO_HOME=$home "$cli" --settings | head -5)"

check "nothing is written" "" "$(ls "$home")"

printf 'ZERO=TRUE ;show zeros as empty\nPERIOD=,\nSEP=,\nHIST=/data/a.wks\n' > "$home/TALLIVO.INI"
check "settings are read from TALLIVO_HOME" \
  "ZERO=TRUE
SEP=;
PERIOD=,
HIST=/data/a.wks" \
  "$(TALLIVO_HOME=$home "$cli" --settings | grep -E '^(ZERO|SEP|PERIOD|HIST)=')"

check "zero suppression of the settings reaches a new sheet" \
  "A1${tab}integer${tab}0${tab}${tab}0" \
  "$(TALLIVO_HOME=$home "$cli" -e A1 0 -p)"

check "the settings file is left as it was, without a backup" \
  "ZERO=TRUE ;show zeros as empty
PERIOD=,
SEP=,
HIST=/data/a.wks
TALLIVO.INI" \
  "$(cat "$home/TALLIVO.INI"; ls "$home")"

printf 'TWICE,1 ; doubles its argument\n@A(1)*2\n' > "$home/TALLIVO.USR"
check "a function of the user function file computes in a formula" \
  "A1${tab}formula${tab}42${tab}42 ${tab}@TWICE(21)" \
  "$(TALLIVO_HOME=$home "$cli" -e A1 '@twice(21)' -p)"

printf '%s\n' "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
