#!/usr/bin/env bash
# install-into as a whole process under Wine, checked on the prefix's own file
# system: what a user would find after installing.
#   install_into.sh BUILD_DIR   (Wine world already up: WINEPREFIX, HOME, …)
set -uo pipefail
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
c="$WINEPREFIX/drive_c"
passed=0 failedn=0

ok() { echo "ok   $1"; passed=$((passed + 1)); }
bad() { echo "FAIL $1"; failedn=$((failedn + 1)); }
check() { local name=$1; shift; if "$@"; then ok "$name"; else bad "$name"; fi; }

# Runs install-into with a Windows folder; output converted from GBK.
install_into() {
  wine "$build/install-into.exe" "$1" 2>/dev/null | iconv -f GBK -t UTF-8
  return "${PIPESTATUS[0]}"
}
# The Windows path of a Linux path inside drive C.
winpath() { local p=${1#"$c"}; echo "C:${p//\//\\}"; }
hidden() {  # the hidden bit in Wine's attribute record
  local v
  v=$(getfattr --only-values -n user.DOSATTRIB "$1" 2>/dev/null) || return 1
  (( (v & 0x2) != 0 ))
}
link_target() { wine "$build/tests/e2e/lnkinfo.exe" "$1" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' | sed -n 's/^target=//p'; }
same_payloads() {  # DIR: the four files byte for byte as the build's inputs
  cmp -s "$1/Velmaro考试系统.exe" "$build/payloads/exam.bin" &&
    cmp -s "$1/mini.dll" "$(payload_source database)" &&
    cmp -s "$1/配置文件.ini" "$(payload_source config)" &&
    cmp -s "$1/uninst.exe" "$build/payloads/uninstaller.bin"
}
payload_source() {
  local dir
  dir=$(sed -n 's/^PAYLOAD_DIR:PATH=//p' "$build/CMakeCache.txt")
  case $1 in
    database) [ -n "$dir" ] && echo "$dir/mini.dll" || echo "$top/payloads/mini.dll" ;;
    config) [ -n "$dir" ] && echo "$dir/配置文件.ini" || echo "$top/payloads/配置文件.ini" ;;
  esac
}

user_dir="$c/users/$(id -un)"
desktop_lnk="$user_dir/Desktop/Velmaro考试系统.lnk"
group="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Velmaro考试系统"
clean_links() { rm -f "$desktop_lnk"; rm -rf "$group"; }

rm -rf "$c/e2e"; mkdir -p "$c/e2e/empty"
clean_links

# 1. An empty folder gets four exact files, a hidden database and three shortcuts.
dir="$c/e2e/empty"
out=$(install_into 'C:\e2e\empty'); rc=$?
check "empty folder: exit 0" test "$rc" -eq 0
check "empty folder: four files byte for byte" same_payloads "$dir"
check "empty folder: database hidden" hidden "$dir/mini.dll"
check "empty folder: desktop shortcut targets the program" \
  test "$(link_target "$(winpath "$desktop_lnk")")" = 'C:\e2e\empty\Velmaro考试系统.exe'
check "empty folder: start-menu program shortcut" \
  test "$(link_target "$(winpath "$group/Velmaro考试系统.lnk")")" = 'C:\e2e\empty\Velmaro考试系统.exe'
check "empty folder: start-menu uninstaller shortcut" \
  test "$(link_target "$(winpath "$group/卸载.lnk")")" = 'C:\e2e\empty\uninst.exe'
[ "$rc" -eq 0 ] || echo "$out"

# 2. Again into the same folder: settings and database kept, programs replaced.
printf 'the user'"'"'s settings' > "$dir/配置文件.ini"
printf 'the user'"'"'s answers' > "$dir/mini.dll"   # keeps its attribute record
printf old > "$dir/uninst.exe"; printf old > "$dir/Velmaro考试系统.exe"
out=$(install_into 'C:\e2e\empty'); rc=$?
check "second run: exit 0" test "$rc" -eq 0
check "second run: configuration kept" test "$(cat "$dir/配置文件.ini")" = "the user's settings"
check "second run: hidden database kept" test "$(cat "$dir/mini.dll")" = "the user's answers"
check "second run: database still hidden" hidden "$dir/mini.dll"
check "second run: programs replaced" \
  cmp -s "$dir/uninst.exe" "$build/payloads/uninstaller.bin"
check "second run: exam program replaced" \
  cmp -s "$dir/Velmaro考试系统.exe" "$build/payloads/exam.bin"
[ "$rc" -eq 0 ] || echo "$out"

# 3. Two missing levels below an existing folder.
clean_links
out=$(install_into 'C:\e2e\2017Velmaro\Quorin软件'); rc=$?
check "two levels: exit 0" test "$rc" -eq 0
check "two levels: four files" same_payloads "$c/e2e/2017Velmaro/Quorin软件"
[ "$rc" -eq 0 ] || echo "$out"

# 4. A folder that cannot be made: non-zero exit, the report names step and error.
drive=$(for l in q r s t u v w x y; do [ -e "$WINEPREFIX/dosdevices/$l:" ] || { echo "$l"; break; }; done)
clean_links
out=$(install_into "${drive^^}:\\Apps\\Quorin软件"); rc=$?
check "missing drive: non-zero exit" test "$rc" -ne 0
check "missing drive: report names the folder" grep -qF "无法创建文件夹：${drive^^}:\\Apps" <<<"$out"
check "missing drive: report gives the error code" grep -qE '错误代码 [0-9]+' <<<"$out"
check "missing drive: no shortcut made" test ! -e "$desktop_lnk"

printf 'in the way' > "$c/e2e/blocker"
out=$(install_into 'C:\e2e\blocker\Quorin软件'); rc=$?
check "file in the way: non-zero exit" test "$rc" -ne 0
check "file in the way: report names the folder" grep -qF '无法创建文件夹：C:\e2e\blocker\Quorin软件' <<<"$out"

clean_links
rm -rf "$c/e2e"
echo "$passed passed, $failedn failed"
[ "$failedn" -eq 0 ]
