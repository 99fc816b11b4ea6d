#!/usr/bin/env bash
# The Linux command beside a game that Wine runs from its folder, as a Proton player runs it:
# it finds the game, and tells one that has loaded the plug-in from one that has not.
#   doctor_beside_wine_test.sh OSTREVANE GAME_EXE PLUGIN
set -u
ostrevane=$1
work=$(mktemp -d)
mkdir "$work/Game"
cp "$2" "$work/Game/DoctorGame.exe" # a name no other test looks for
cp "$3" "$work/Game/Ostrevane.asi"
game=
stop_game() {
    [[ -n $game ]] || return
    exec 3>&- 4<&- # its input ends, and so does the game
    wait "$game"
    game=
    rm -f "$work/in" "$work/out"
}
trap 'stop_game; rm -rf "$work"' EXIT

# Starts the game with these arguments from its folder, and waits until it has loaded them.
start_game() {
    mkfifo "$work/in" "$work/out"
    (cd "$work/Game" && exec wine DoctorGame.exe "$@" <"$work/in" >"$work/out" 2>/dev/null) &
    game=$!
    exec 3>"$work/in" 4<"$work/out"
    local line
    read -r -t 60 line <&4 && [[ $line == ready* ]]
}

failed=0
fail() { echo "FAILED: $*"; failed=1; }
expect() { # expect TEXT: the last doctor's output holds TEXT
    [[ $said == *"$1"* ]] || fail "no \"$1\" in:"$'\n'"$said"
}

start_game || fail "the game did not start"
said=$("$ostrevane" doctor --folder "$work/Game")
status=$?
expect "PROBLEM  The game (process "
expect "has not loaded Ostrevane.asi"
((status == 1)) || fail "exit status $status without the plug-in loaded"
stop_game

start_game Ostrevane.asi || fail "the game did not start with the plug-in"
said=$("$ostrevane" doctor --folder "$work/Game")
status=$?
expect "OK       The game (process "
expect "NOTE     Wine or Proton runs the game"
expect "F8 should work: the game has loaded Ostrevane.asi"
((status == 0)) || fail "exit status $status with the plug-in loaded"
# Named from another folder, it is judged by the files beside its own program.
said=$(cd "$work" && "$ostrevane" doctor --process DoctorGame.exe)
expect "OK       Ostrevane.asi is a 64-bit DLL"
expect "OK       The game (process "
exit $failed
