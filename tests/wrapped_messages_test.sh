#!/usr/bin/env bash
# The command's messages wrap at 80 columns on a terminal and stay one line each into a
# pipe, where a script reads them, and --json is never wrapped.
#   wrapped_messages_test.sh OSTREVANE
set -u
ostrevane=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$ostrevane" default -o Ostrevane.ini >/dev/null || exit 1
sed -i 's/^olddof=DOF05/olddof=DOF5/' Ostrevane.ini # a slip with a long warning

# `script` gives the command a terminal, and ends its lines with CR LF.
on_terminal() { script -qec "$*" /dev/null </dev/null | tr -d '\r'; }
longest() { awk '{ if (length($0) > n) n = length($0) } END { print n + 0 }'; }
words() { tr -s ' \n' '\n\n'; }

failed=0
fail() { echo "FAILED: $*"; failed=1; }
piped=$("$ostrevane" check)
shown=$(on_terminal "$ostrevane" check)
(($(longest <<<"$piped") > 80)) || fail "into a pipe, the warning was wrapped"
(($(longest <<<"$shown") <= 80)) || fail "on a terminal, a line is longer than 80 columns"
[[ $(words <<<"$piped") == $(words <<<"$shown") ]] || fail "wrapping changed the words"
(($(on_terminal "$ostrevane" check --json | longest) > 80)) || fail "--json was wrapped"
# Every message, errors and `default`'s words too, --json or not: no line past 80 columns,
# and no `quoted command` split across two lines (a line with an odd count of backticks).
for command in "set olddof DOF6" "default" "default -o new.ini" "check --json nosuch.ini" \
    "scan --json --pid 999999" "help nosuch" "list loop" "doctor" "swap --apply in out" \
    "set --settings 'my settings.ini' newcamera Camera37"; do
    shown=$(on_terminal "$ostrevane" "$command")
    (($(longest <<<"$shown") <= 80)) || fail "$command: a line is longer than 80 columns"
    grep -v '^[^`]*\(`[^`]*`[^`]*\)*$' <<<"$shown" && fail "$command: a quoted command was split"
done
exit $failed
