#!/usr/bin/env bash
# The 32-bit product cannot run here: check its files instead.
#   check_product.sh BUILD_DIR
set -uo pipefail
build=$1
passed=0 failedn=0
check() { local name=$1; shift; if "$@"; then echo "ok   $name"; passed=$((passed + 1)); else echo "FAIL $name"; failedn=$((failedn + 1)); fi; }
machine() { i686-w64-mingw32-objdump -f "$1" 2>/dev/null | grep -q 'file format pei-i386'; }

check "install-into.exe is a PE for i386" machine "$build/install-into.exe"
for p in exam uninstaller; do
  check "embedded $p is a PE for i386" machine "$build/payloads/$p.bin"
done
echo "$passed passed, $failedn failed"
[ "$failedn" -eq 0 ]
