#!/usr/bin/env bash
# The default payload programs under Wine, met as a user meets them: the
# stand-in exam program's window and its facts, and the uninstaller after a
# real installation by install-into, with its real question box and, for the
# rest, its unattended answers. Results are read on the prefix's file system
# once every process has ended.
#
# Usage: tests/payloads/run.sh WIN64_BUILD_DIR [OTHER_WINDOWS_BUILD_DIR...]
#   The first tree runs the cases; every tree given gets its programs' file
#   checked (machine, GUI subsystem, version record, no runtime DLLs).
#   Runs in the Wine world the caller has up (WINEPREFIX, DISPLAY, ...), or
#   brings up its own inside the build tree when there is none.
set -u

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:?usage: run.sh WIN64_BUILD_DIR [OTHER_WINDOWS_BUILD_DIR...]}" && pwd)
shift
other_trees=("$@")

exam_exe=$build/velmaro-exam.exe
uninst_exe=$build/velmaro-uninst.exe
install_into=$build/install-into.exe
work=$build/payload-tests
mkdir -p "$work"

for f in "$exam_exe" "$uninst_exe" "$install_into"; do
  [ -f "$f" ] || { echo "run.sh: $f is missing (build velmaro_exam velmaro_uninst install-into)"; echo "0 passed, 1 failed"; exit 1; }
done

# The helper that reads window texts, makes shortcuts and holds files.
probe_exe=$work/probe.exe
if [ ! -f "$probe_exe" ] || [ "$here/probe.cpp" -nt "$probe_exe" ]; then
  x86_64-w64-mingw32-g++-posix -std=c++17 -O1 -Wall -Wextra -Werror -static -o "$probe_exe" \
    "$here/probe.cpp" -lole32 -luuid -lshell32 -lversion || { echo "0 passed, 1 failed"; exit 1; }
fi

if [ -z "${WINEPREFIX:-}" ]; then
  # shellcheck source=../../scripts/lib/wine.sh
  source "$root/scripts/lib/wine.sh"
  wine_up "$work/wine"
  trap wine_down EXIT
fi

# --- helpers --------------------------------------------------------------------

# probe ARGS...: the helper's output in UTF-8; its exit code.
probe() {
  wine "$probe_exe" "$@" 2>/dev/null | iconv -f GBK -t UTF-8
  return "${PIPESTATUS[0]}"
}

# The Linux path of a C: path of the prefix.
unix_of() {
  local p=${1#[Cc]:\\}
  p=${p%\\}
  printf '%s/drive_c/%s' "$WINEPREFIX" "${p//\\//}"
}

EXAM="Velmaro考试系统.exe"
LINK="Velmaro考试系统.lnk"
UNINST_LINK="卸载.lnk"
GROUP="Velmaro考试系统"

desktop=$(unix_of "$(probe special desktop)")
programs=$(unix_of "$(probe special programs)")
temp=$(unix_of "$(probe special temp)")
group=$programs/$GROUP
report_file=$work/uninst-report.txt
report_win="Z:${report_file//\//\\}"
tests_win='C:\payload-tests'
tests_dir=$(unix_of "$tests_win")

passed=0
failed=0
problems=()

# expect WHAT COMMAND...: note WHAT as a problem of this case unless COMMAND holds.
expect() {
  local what=$1
  shift
  "$@" || problems+=("$what")
}

finish_case() {
  if [ ${#problems[@]} -eq 0 ]; then
    echo "PASS $1"
    passed=$((passed + 1))
  else
    local IFS=';'
    echo "FAIL $1: ${problems[*]}"
    failed=$((failed + 1))
  fi
  problems=()
}

absent() { [ ! -e "$1" ]; }
contains() { [[ $1 == *"$2"* ]]; }
same_text() { [ "$1" = "$2" ]; }
is_hidden() { local a; a=$(probe attrs "$1") && [ -n "$a" ] && (( 0x$a & 2 )); }

# A fresh installation into WINFOLDER by install-into; no product shortcuts
# or group from an earlier case.
install_fresh() {
  local winfolder=$1 dir
  dir=$(unix_of "$winfolder")
  rm -f "$desktop/$LINK"
  rm -rf "$group" "$dir"
  mkdir -p "$(dirname "$dir")"
  wine "$install_into" "$winfolder" >/dev/null 2>&1 || problems+=("install-into failed for $winfolder")
  # The cases are about this tree's programs, so the installation must carry them.
  cmp -s "$dir/uninst.exe" "$uninst_exe" || problems+=("install-into did not install this tree's uninstaller")
  cmp -s "$dir/$EXAM" "$exam_exe" || problems+=("install-into did not install this tree's exam program")
}

# Waits until the uninstaller's cleanup copy has ended (it lives in %TEMP%
# as vunXXXX.tmp); false when it is still running after 20 s.
wait_cleanup() { wine "$probe_exe" waitgone vun 20000 >/dev/null 2>&1; }

no_leftover_copy() { ! compgen -G "$temp/vun*" >/dev/null; }

# Runs WINFOLDER\uninst.exe answering ANSWER; sets uninst_rc and report.
run_uninst() {
  rm -f "$report_file"
  VELMARO_UNINST_ANSWER=$2 VELMARO_UNINST_REPORT=$report_win wine "$1\\uninst.exe" >/dev/null 2>&1
  uninst_rc=$?
  expect "the cleanup copy did not end" wait_cleanup
  report=""
  [ -f "$report_file" ] && report=$(iconv -f GBK -t UTF-8 "$report_file")
}

# Everything an installation made, with content and attributes, to compare
# before and after an uninstallation that must change nothing.
snapshot() {
  local dir
  dir=$(unix_of "$1")
  find "$dir" "$desktop/$LINK" "$group" -exec sh -c 'for f; do
      if [ -f "$f" ]; then printf "%s %s\n" "$f" "$(md5sum <"$f")"; else printf "%s dir\n" "$f"; fi
    done' sh {} + 2>&1 | sort
  probe attrs "$1\\mini.dll"
}

# Nothing of the product left: files, folder, shortcuts, group, temp copy.
expect_all_gone() {
  local dir
  dir=$(unix_of "$1")
  expect "the product folder is still there" absent "$dir"
  expect "the desktop shortcut is still there" absent "$desktop/$LINK"
  expect "the start-menu group is still there" absent "$group"
  expect "the temporary copy is still in %TEMP%" no_leftover_copy
}

# Waits up to 10 s for a background process; sets bg_rc (124 when it hangs).
wait_for() {
  local pid=$1 i
  for i in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    bg_rc=124
  else
    wait "$pid"
    bg_rc=$?
  fi
}

# The newest visible X window whose name is exactly NAME, waiting up to 5 s;
# not one of the ids in SKIP.
find_window() {
  local name=$1 skip=${2:-} i w
  for i in $(seq 50); do
    for w in $(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | tac); do
      [[ " $skip " == *" $w "* ]] || { echo "$w"; return 0; }
    done
    sleep 0.1
  done
  return 1
}

press() { xdotool windowfocus --sync "$1" 2>/dev/null; xdotool key "$2"; }

# Closes the exam program started as PID with Esc; sets bg_rc.
close_exam() {
  local w
  w=$(find_window "Velmaro考试系统") && press "$w" Escape
  wait_for "$1"
}

# --- the programs' files ----------------------------------------------------------

# Guards against a tree whose payloads would not start where its setup.exe
# runs: wrong machine, a console program, a missing version record, or a
# runtime DLL that the installation does not write.
check_program_files() {
  local tree=$1 machine=pei-x86-64 name file info version
  grep -q '^CMAKE_TOOLCHAIN_FILE.*i686' "$tree/CMakeCache.txt" 2>/dev/null && machine=pei-i386
  for name in exam:3.0.0.0 uninst:1.0.0.0; do
    file=$tree/velmaro-${name%%:*}.exe
    version=${name#*:}
    if [ ! -f "$file" ]; then
      problems+=("$file is missing")
      continue
    fi
    info=$(LC_ALL=C x86_64-w64-mingw32-objdump -p "$file" 2>&1)
    expect "${file##*/} is not $machine" contains "$(LC_ALL=C x86_64-w64-mingw32-objdump -f "$file")" "file format $machine"
    expect "${file##*/} is not a GUI program" contains "$info" "(Windows GUI)"
    expect "${file##*/} needs a runtime DLL" eval '! grep -qiE "DLL Name: *(libstdc|libgcc|libwinpthread)" <<<"$info"'
    expect "${file##*/} has no version record $version" same_text "$(probe version "$(winepath -w "$file" 2>/dev/null)")" "$version $version"
  done
  finish_case "program files of ${tree##*/}: $machine, GUI, version record, static runtime"
}

for tree in "$build" "${other_trees[@]}"; do check_program_files "$(cd "$tree" && pwd)"; done

# --- the exam program -------------------------------------------------------------

# Guards against a window that shows the wrong folder or facts (a folder
# ending in a character whose second byte is 0x5C, "誠", must not lose its
# separator), and against an Esc that does not end it with 0.
exam_case() {
  local label=$1 winfolder=$2 setup=$3 database=$4 config=$5 pid texts
  rm -rf "$(unix_of "$winfolder")"
  $setup "$winfolder"
  wine "$winfolder\\$EXAM" >/dev/null 2>&1 &
  pid=$!
  texts=$(probe texts "Velmaro考试系统" 10000)
  expect "no window titled Velmaro考试系统" [ $? -eq 0 ]
  expect "window texts were: ${texts//$'\n'/|}" same_text "$texts" "$(printf '%s\n' \
    "Velmaro考试系统" "Velmaro考试系统" "运行位置：$winfolder" "mini.dll：$database" "配置文件.ini：$config")"
  close_exam "$pid"
  expect "exit code after Esc was $bg_rc" [ "$bg_rc" -eq 0 ]
  finish_case "exam program: $label"
}

exam_alone() {
  mkdir -p "$(unix_of "$1")"
  cp "$exam_exe" "$(unix_of "$1")/$EXAM"
}

exam_case "installed, shows its folder and finds its files; Esc ends it with 0" \
  "$tests_win\\考试\\誠" install_fresh "存在" "存在"
exam_case "alone in a folder, reports its database and configuration missing" \
  "$tests_win\\单独" exam_alone "缺失" "缺失"

# --- the uninstaller: the real question box ------------------------------------------

# Guards against a No that removes anything, or a box that is not the
# yes/no question.
case_real_box_no() {
  local winfolder="$tests_win\\Quorin软件" before pid w texts
  install_fresh "$winfolder"
  before=$(snapshot "$winfolder")
  wine "$winfolder\\uninst.exe" >/dev/null 2>&1 &
  pid=$!
  w=$(find_window Velmaro)
  expect "no question box" [ -n "$w" ]
  texts=$(probe texts Velmaro 3000)
  expect "question box texts were: ${texts//$'\n'/|}" contains "$texts" "您确实要完全移除Velmaro考试系统及其所有组件吗？"
  expect "the question box has no 是/否 buttons" contains "$texts" "否(&N)"
  [ -n "$w" ] && press "$w" n
  wait_for "$pid"
  expect "exit code after No was $bg_rc" [ "$bg_rc" -eq 0 ]
  expect "the cleanup copy did not end" wait_cleanup
  expect "No changed the installation" same_text "$(snapshot "$winfolder")" "$before"
  expect "No left a copy in %TEMP%" no_leftover_copy
  finish_case "uninstaller, real box: No changes nothing and ends with 0"
}

# Guards against a cleanup that does not wait for the first process (it
# would try to delete a running file) or leaves anything behind, under the
# folder a user installs into by default.
case_real_box_yes() {
  local winfolder='C:\Program Files\Quorin软件' dir pid w w2 texts
  dir=$(unix_of "$winfolder")
  install_fresh "$winfolder"
  wine "$winfolder\\uninst.exe" >/dev/null 2>&1 &
  pid=$!
  w=$(find_window Velmaro)
  expect "no question box" [ -n "$w" ]
  [ -n "$w" ] && press "$w" y
  w2=$(find_window Velmaro "$w")
  expect "no result box" [ -n "$w2" ]
  texts=$(probe texts Velmaro 3000)
  expect "result box texts were: ${texts//$'\n'/|}" contains "$texts" "Velmaro考试系统已成功地从您的计算机中移除。"
  # While the result is on screen the first process still runs: its file
  # stays and the cleanup copy waits for it.
  expect "uninst.exe went while it was running" [ -f "$dir/uninst.exe" ]
  expect "the other files stayed until the result box" absent "$dir/$EXAM"
  expect "the cleanup copy did not wait for the first process" eval '! wine "$probe_exe" waitgone vun 300 >/dev/null 2>&1'
  [ -n "$w2" ] && press "$w2" Return
  wait_for "$pid"
  expect "exit code after Yes was $bg_rc" [ "$bg_rc" -eq 0 ]
  expect "the cleanup copy did not end" wait_cleanup
  expect_all_gone "$winfolder"
  finish_case "uninstaller, real box: Yes removes everything under C:\\Program Files, itself included"
}

case_real_box_no
case_real_box_yes

# --- the uninstaller: unattended --------------------------------------------------------

# Guards against a lost hidden database, a folder name misread through its
# GBK bytes (誠 ends in 0x5C), or a temporary copy left in %TEMP%.
case_yes_gbk_folder() {
  local winfolder="$tests_win\\考试\\誠"
  install_fresh "$winfolder"
  expect "mini.dll was not hidden after installing" is_hidden "$winfolder\\mini.dll"
  run_uninst "$winfolder" yes
  expect "exit code was $uninst_rc" [ "$uninst_rc" -eq 0 ]
  expect "report was: $report" same_text "$report" $'information\r\nVelmaro考试系统已成功地从您的计算机中移除。\r'
  expect_all_gone "$winfolder"
  expect "the parent folder of the product folder went too" [ -d "$(unix_of "$tests_win\\考试")" ]
  finish_case "uninstaller, Yes: a folder ending in 誠 is removed with everything in it, and only it"
}

case_no_unattended() {
  local winfolder="$tests_win\\否" before
  install_fresh "$winfolder"
  before=$(snapshot "$winfolder")
  run_uninst "$winfolder" no
  expect "exit code was $uninst_rc" [ "$uninst_rc" -eq 0 ]
  expect "No reported something: $report" same_text "$report" ""
  expect "No changed the installation" same_text "$(snapshot "$winfolder")" "$before"
  expect "No left a copy in %TEMP%" no_leftover_copy
  finish_case "uninstaller, No: nothing changes, no result, exit code 0"
}

# Guards against a recursive delete: the user's own files in the product
# folder stay, and so does that folder.
case_user_file() {
  local winfolder="$tests_win\\用户文件" dir
  dir=$(unix_of "$winfolder")
  install_fresh "$winfolder"
  echo "mine" >"$dir/成绩.xls"
  mkdir -p "$dir/备份"
  run_uninst "$winfolder" yes
  expect "exit code was $uninst_rc" [ "$uninst_rc" -eq 0 ]
  expect "the report does not name the kept folder: $report" contains "$report" "已予保留："$'\n'"$winfolder"
  expect "the folder now holds: $(ls -A "$dir" 2>&1 | tr '\n' ' ')" same_text "$(ls -A "$dir" 2>&1)" $'备份\n成绩.xls'
  expect "the user's file changed" same_text "$(cat "$dir/成绩.xls" 2>&1)" "mine"
  expect "the desktop shortcut is still there" absent "$desktop/$LINK"
  expect "the start-menu group is still there" absent "$group"
  expect "the temporary copy is still in %TEMP%" no_leftover_copy
  finish_case "uninstaller, Yes: the user's file and subfolder stay, and so does their folder"
}

# Guards against removing shortcuts that lead elsewhere, or a group folder
# that holds a user's own link.
case_foreign_shortcuts() {
  local winfolder="$tests_win\\本机" other='C:\其他\Velmaro考试系统.exe'
  install_fresh "$winfolder"
  probe link "$(probe special desktop)\\$LINK" "$other" >/dev/null
  echo "mine" >"$group/我的链接.lnk"
  run_uninst "$winfolder" yes
  expect "exit code was $uninst_rc" [ "$uninst_rc" -eq 0 ]
  expect "the other installation's desktop shortcut went" [ -f "$desktop/$LINK" ]
  expect "that shortcut now leads to: $(probe target "$(probe special desktop)\\$LINK")" \
    same_text "$(probe target "$(probe special desktop)\\$LINK")" "$other"
  expect "the group now holds: $(ls -A "$group" 2>&1 | tr '\n' ' ')" same_text "$(ls -A "$group" 2>&1)" "我的链接.lnk"
  expect "the product folder is still there" absent "$(unix_of "$winfolder")"
  expect "the temporary copy is still in %TEMP%" no_leftover_copy
  rm -f "$desktop/$LINK"
  rm -rf "$group"
  finish_case "uninstaller, Yes: a shortcut into another folder and a user's link in the group stay"
}

# hold_exam / hold_database WINFOLDER: keep one installed file in use until
# release_held; held_path names it.
hold_exam() {
  held_path="$1\\$EXAM"
  wine "$held_path" >/dev/null 2>&1 &
  held_pid=$!
  probe texts "Velmaro考试系统" 10000 >/dev/null || problems+=("the exam program did not start")
}
hold_database() {
  held_path="$1\\mini.dll"
  wine "$probe_exe" hold "$held_path" 60000 >"$work/hold.out" 2>/dev/null &
  held_pid=$!
  local i
  for i in $(seq 100); do grep -q held "$work/hold.out" 2>/dev/null && return; sleep 0.1; done
  problems+=("mini.dll could not be held")
}
release_exam() { close_exam "$held_pid"; }
release_database() { kill "$held_pid" 2>/dev/null; wait "$held_pid" 2>/dev/null; }

# Guards against a file in use that is silently left, an exit code of 0
# then, or an uninstaller that removes itself and so cannot be run again.
held_case() {
  local label=$1 kind=$2 winfolder="$tests_win\\占用-$2" dir
  dir=$(unix_of "$winfolder")
  install_fresh "$winfolder"
  "hold_$kind" "$winfolder"
  run_uninst "$winfolder" yes
  expect "exit code was $uninst_rc" [ "$uninst_rc" -ne 0 ]
  expect "report was: $report" contains "$report" $'warning\r\n以下项目未能移除：\n'"$held_path"$'\n'
  expect "the file in use is gone" [ -f "$(unix_of "$held_path")" ]
  expect "uninst.exe went, so it cannot be run again" [ -f "$dir/uninst.exe" ]
  expect "the uninstall shortcut went" [ -f "$group/$UNINST_LINK" ]
  expect "the configuration was not removed" absent "$dir/配置文件.ini"
  expect "the temporary copy is still in %TEMP%" no_leftover_copy
  if [ "$kind" = database ]; then
    expect "mini.dll lost its hidden attribute" is_hidden "$winfolder\\mini.dll"
  fi
  "release_$kind"
  run_uninst "$winfolder" yes
  expect "second run: exit code was $uninst_rc, report: $report" [ "$uninst_rc" -eq 0 ]
  expect_all_gone "$winfolder"
  finish_case "uninstaller, Yes: $label is reported, exit code non-zero; once free, a second run removes all"
}

case_yes_gbk_folder
case_no_unattended
case_user_file
case_foreign_shortcuts
held_case "the running exam program" exam
held_case "mini.dll held open exclusively" database

rm -rf "$tests_dir"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
