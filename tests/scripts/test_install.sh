#!/usr/bin/env bash
# Installs the built program into a temporary prefix, validates its desktop entry and AppStream
# metainfo, and starts the installed program offscreen to the menu: its study database must be
# the user's own user-only copy, backed up, with nothing written under the prefix.
# Usage: test_install.sh <build folder>
set -euo pipefail
build=$1
tmp=$(mktemp -d)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

share=$prefix/share/studyaid
for f in bin/studyaid share/studyaid/pic/main.json share/studyaid/htm/help.html \
         share/studyaid/data/WTXVEB710448.mdb share/applications/studyaid.desktop \
         share/metainfo/io.github.studyaid.StudyAid.metainfo.xml \
         share/icons/hicolor/48x48/apps/studyaid.png share/icons/hicolor/256x256/apps/studyaid.png; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
ls "$share"/sound/* >/dev/null 2>&1 || fail "no music installed"
ls "$share"/*.mdb >/dev/null 2>&1 || fail "no sample upgrade installed"
[ -z "$(ls "$share/data" | grep -v '^WTXVEB710448.mdb$')" ] || fail "more than the template in data/"

desktop-file-validate "$prefix/share/applications/studyaid.desktop"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/io.github.studyaid.StudyAid.metainfo.xml"

# Read-only prefix, as under /usr: the program must write only to the user's folders.
chmod -R a-w "$prefix"
mkdir -m 700 "$tmp/run"
start() {
  env -u DISPLAY QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$tmp/xdg" XDG_RUNTIME_DIR="$tmp/run" \
      HOME="$tmp/home" STUDYAID_QUIT_AFTER_MENU=1 STUDYAID_TRACE=1 "$prefix/bin/studyaid" 2>"$tmp/trace"
}
start || { cat "$tmp/trace" >&2; fail "the installed program did not start to the menu"; }
grep -q '^studyaid: menu-shown' "$tmp/trace" || fail "no menu shown"
data=$tmp/xdg/studyaid
db=$data/WTXVEB710448.mdb
[ -f "$db" ] || fail "no study database in XDG_DATA_HOME"
[ "$(stat -c %a "$data")" = 700 ] || fail "data folder mode $(stat -c %a "$data")"
[ "$(stat -c %a "$db")" = 600 ] || fail "database mode $(stat -c %a "$db")"
backups=$(ls "$data/backups" | grep -c '^WTXVEB710448-.*\.mdb$' || true)
[ "$backups" = 1 ] || fail "expected one daily backup, found $backups"

# A second start keeps the user's database: the small test database put in its place stays (the
# shipped template is six times its size), and no second backup is taken on the same day.
cp "$build/bank/fixture.mdb" "$db"
start || { cat "$tmp/trace" >&2; fail "the second start failed"; }
[ "$(stat -c %s "$db")" -lt "$(stat -c %s "$share/data/WTXVEB710448.mdb")" ] \
  || fail "the user's database was replaced by the template"
backups=$(ls "$data/backups" | grep -c '^WTXVEB710448-.*\.mdb$' || true)
[ "$backups" = 1 ] || fail "a second backup on the same day"
[ -z "$(find "$prefix" -newer "$tmp/run" \! -type d)" ] || fail "files written under the prefix"

# A data folder that cannot be made (its parent is a file): the start is refused with the reason,
# answered at once in trace mode, and nothing is created.
touch "$tmp/notafolder"
if env -u DISPLAY QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$tmp/notafolder" XDG_RUNTIME_DIR="$tmp/run" \
       HOME="$tmp/home" STUDYAID_QUIT_AFTER_MENU=1 STUDYAID_TRACE=1 "$prefix/bin/studyaid" 2>"$tmp/trace"; then
  fail "started without a data folder"
fi
grep -q '^studyaid: message: 错误|无法连接数据库！' "$tmp/trace" || { cat "$tmp/trace" >&2; fail "no database message"; }
grep -q '无法在您的数据文件夹' "$tmp/trace" || fail "the message does not say the data folder failed"
echo "installed program started to the menu"
