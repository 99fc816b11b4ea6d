#!/bin/sh
# ostrevane.exe set keeps the settings file what it was. Deployed by links, as mod managers
# deploy it: through a symbolic link the file it points to changes and the link stays; a
# file with a second name (a hard link) is refused and both names keep their bytes. Its
# attributes stay. `default` through a link to no file writes where it points. Nothing else
# is left.
# Usage: set_keeps_the_file.sh WINE OSTREVANE_EXE FOLDER
set -eu
wine=$1 exe=$2 folder=$3
rm -rf "$folder"
mkdir -p "$folder/mods"
cd "$folder"
$wine "$exe" default -o mods/Ostrevane.ini >/dev/null
cp mods/Ostrevane.ini plain.ini
ln plain.ini mods/plain.ini
ln -s mods/Ostrevane.ini Ostrevane.ini

$wine "$exe" set newcamera Camera37 >/dev/null
test -L Ostrevane.ini || { echo "the link became a file"; exit 1; }
grep -q '^newcamera=Camera37 ' mods/Ostrevane.ini || { echo "the link's target is unchanged"; exit 1; }

if $wine "$exe" set newcamera Camera37 --settings plain.ini >/dev/null 2>refused.txt; then
    echo "a file with two names was written"; exit 1
fi
grep -q 'hard links' refused.txt || { cat refused.txt; exit 1; }
cmp -s plain.ini mods/Ostrevane.ini && { echo "the refused file changed"; exit 1; }
test "$(stat -c %h plain.ini)" = 2 || { echo "the two names were parted"; exit 1; }
$wine cmd /c attrib +s plain.ini
rm mods/plain.ini
$wine "$exe" set newcamera Camera37 --settings plain.ini >/dev/null
$wine cmd /c attrib plain.ini | cut -c1-8 | grep -q S || { echo "attributes lost"; exit 1; }
cmp -s plain.ini mods/Ostrevane.ini || { echo "plain.ini was not set"; exit 1; }

# A link to a file not there yet is refused without --force, as natively; with it, the file
# the link points to is made and the link stays.
ln -s mods/new.ini new.ini
$wine "$exe" default -o new.ini >/dev/null 2>&1 && { echo "default took a link unasked"; exit 1; }
$wine "$exe" default -o new.ini --force >/dev/null
test -L new.ini || { echo "the link to no file became a file"; exit 1; }
test -s mods/new.ini || { echo "default wrote nothing where the link points"; exit 1; }

test "$(ls -A . mods | tr '\n' ' ')" = ".: Ostrevane.ini mods new.ini plain.ini refused.txt  mods: Ostrevane.ini new.ini " ||
    { echo "left behind:"; ls -A . mods; exit 1; }
