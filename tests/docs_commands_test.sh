#!/usr/bin/env bash
# Runs every ostrevane command the player's pages show, as a player would copy it into a
# game folder, so that no page shows a command that stopped working.
#
#   docs_commands_test.sh SOURCE_DIR OSTREVANE
#
# Shown commands are the pages' examples (indented lines and ```sh blocks) and the commands
# quoted in their text (`ostrevane ...` in Markdown, "ostrevane ..." in the .txt pages). A
# synopsis (with [ ], | or ...) is no command to run. The placeholders a page uses stand for
# files and a game this script makes. Each command runs in a folder of its own holding the
# default Ostrevane.ini, other.ini, a memory dump and a running program for Game.exe; it
# must exit 0 (done) or 1 (warnings or problems found), never 2 (failed).
set -u
source_dir=$(cd "$1" && pwd)
ostrevane=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
pages=(README.md docs/command.md docs/settings-file.md docs/settings-window.md
       tools/release/README.txt.in tools/release/README-linux.txt.in)

# Prints "page:line<TAB>command" for every command shown on a page.
shown_commands() {
    awk -v page="$1" '
        function emit(line, text,   start, command) {
            start = match(text, /(\.\/)?ostrevane(\.exe)? /)
            if (!start) return
            command = substr(text, RSTART)
            sub(/^\.\//, "", command)
            sub(/  .*/, "", command)            # an example line'"'"'s description column
            print page ":" line "\t" command
        }
        function quoted(line, text, mark,   rest, at, span) {
            rest = text
            while ((at = index(rest, mark "ostrevane")) > 0) {
                rest = substr(rest, at + 1)
                span = substr(rest, 1, index(rest, mark) - 1)
                if (span != "") emit(line, span)
                rest = substr(rest, length(span) + 2)
            }
        }
        function flush() {
            if (paragraph != "") quoted(first, paragraph, page ~ /\.md$/ ? "`" : "\"")
            paragraph = ""
        }
        # A shell block holds commands; any other block shows what a command printed.
        /^```/ { flush(); fence = fence == "" ? ($0 == "```sh" ? "sh" : "output") : ""; next }
        fence == "output" { next }
        {
            text = held $0; held = ""
            if (text ~ /\\$/) { held = substr(text, 1, length(text) - 1); next }
        }
        fence == "sh" || /^    / { flush(); emit(NR, text); next }
        /^[[:space:]]*$/ { flush(); next }
        {
            sub(/^[[:space:]]+/, "", text)
            if (paragraph == "") first = NR
            paragraph = paragraph " " text
        }
        END { flush() }
    ' "$source_dir/$1"
}

# A synopsis shows a command's form, not a command.
is_synopsis() {
    [[ $1 == *"|"* || $1 == *"..."* || $1 == *"[-"* || $1 == *"[FILE"* ]]
}

# The commands that do nothing without arguments: the text names them bare only as commands
# ("`ostrevane set`'s one-line edit"), so their help must answer.
needs_arguments=(hash list scan set swap)

# The command as it runs here: ostrevane.exe is the same command, and the pages' game
# folder, game and placeholders are this script's.
runnable() {
    local command=${1/#ostrevane.exe /ostrevane }
    local word
    for word in "${needs_arguments[@]}"; do
        [[ $command == "ostrevane $word" ]] && command+=" --help"
    done
    command=${command//\"C:\\Games\\Game\\Ostrevane.ini\"/Ostrevane.ini}
    command=${command//\"C:\\Games\\Game\"/.}
    command=${command//<the game\'s exe>/Game.exe}
    command=${command//Game.exe/$game_exe}
    command=$(sed -E "s/\b4321\b/$game_pid/; s/ IN OUT$/ dump.bin swapped.bin/;
                      s/\bNAME\b/Camera37/; s/\bFILE\b/other.ini/; s/\bCOMMAND\b/check/;
                      s/\bDIR\b/./" <<<"$command")
    echo "${command/#ostrevane /\"\$OSTREVANE\" }"
}

work=$(mktemp -d)
trap 'kill "$game_pid" 2>/dev/null; rm -rf "$work"' EXIT
mkdir "$work/fixtures"
"$ostrevane" default -o "$work/fixtures/Ostrevane.ini" >/dev/null || exit 2
cp "$work/fixtures/Ostrevane.ini" "$work/fixtures/other.ini"
# A dump holding the default old shake's hash, as the swap would meet it.
printf 'memory \x78\x66\xC3\x7D dump' >"$work/fixtures/dump.bin"
cp "$work/fixtures/dump.bin" "$work/fixtures/swapped.bin"
# A program for Game.exe, running from the game folder, for scan and doctor to find. Its name
# is this run's own: a Game.exe of another run at the same time would make two.
game_exe=Game-$$.exe
mkdir "$work/game"
cp "$work/fixtures/Ostrevane.ini" "$work/game"
cp "$(command -v sleep)" "$work/game/$game_exe"
(cd "$work/game" && exec "./$game_exe" 600) &
game_pid=$!

declare -A seen
failures=0
runs=0
for page in "${pages[@]}"; do
    while IFS=$'\t' read -r where shown; do
        is_synopsis "$shown" && continue
        command=$(runnable "$shown")
        [[ -n ${seen[$command]:-} ]] && continue
        seen[$command]=1
        folder=$work/run$runs
        cp -r "$work/fixtures" "$folder"
        # A file written without --force is shown written where there is none yet.
        if [[ $command == *" default "*"-o "* && $command != *--force* ]]; then
            rm "$folder/Ostrevane.ini"
        elif [[ $command == *" swap "* && $command != *--force* ]]; then
            rm "$folder/${command##* }"
        fi
        runs=$((runs + 1))
        output=$(cd "$folder" && OSTREVANE=$ostrevane bash -c "$command" </dev/null 2>&1)
        status=$?
        if ((status != 0 && status != 1)); then
            failures=$((failures + 1))
            printf 'FAILED (exit %d) %s: %s\n%s\n\n' "$status" "$where" "$shown" "$output"
        else
            printf 'ok (exit %d) %s: %s\n' "$status" "$where" "$shown"
        fi
    done < <(shown_commands "$page")
done

echo "$runs commands run, $failures failed"
# Too few would mean the pages' examples are no longer found, not that they work.
((runs >= 30 && failures == 0))
