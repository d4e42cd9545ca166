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

# resource FILE version|manifest: one resource of a PE, read from its bytes
# (windres cannot read a PE, and the 32-bit file cannot run here).
resource() {
  python3 - "$@" <<'PY'
"""Prints one resource of a PE file, found by walking its resource section.

    resource FILE version    -> "file=A.B.C.D product=A.B.C.D" (VS_FIXEDFILEINFO)
    resource FILE manifest   -> the RT_MANIFEST resource with id 1, as text

Exits 1 when the file has no such resource. The product is a 32-bit file
that cannot run here, and windres cannot read a PE, so its bytes are read.
"""
import struct
import sys

RT_VERSION, RT_MANIFEST = 16, 24


def sections(pe):
    (e_lfanew,) = struct.unpack_from("<I", pe, 0x3C)
    if pe[e_lfanew:e_lfanew + 4] != b"PE\0\0":
        raise SystemExit("not a PE file")
    count, opt_size = struct.unpack_from("<H12xH", pe, e_lfanew + 6)
    first = e_lfanew + 24 + opt_size
    for i in range(count):
        name, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", pe, first + 40 * i)
        yield name.rstrip(b"\0"), va, raw, max(vsize, raw_size)


def resource(pe, type_id, name_id):
    for name, va, raw, _ in sections(pe):
        if name == b".rsrc":
            break
    else:
        return None

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", pe, raw + offset)
        for i in range(named + ids):
            ident, target = struct.unpack_from("<II", pe, raw + offset + 16 + 8 * i)
            yield ident, target

    def find(offset, ident):
        for i, target in entries(offset):
            if i == ident and target & 0x80000000:
                return target & 0x7FFFFFFF
        return None

    names = find(0, type_id)
    langs = names is not None and find(names, name_id)
    if not langs:
        return None
    for _, target in entries(langs):  # the first language
        data_va, size = struct.unpack_from("<II", pe, raw + target)
        start = raw + data_va - va
        return pe[start:start + size]
    return None


def main():
    pe = open(sys.argv[1], "rb").read()
    if sys.argv[2] == "version":
        data = resource(pe, RT_VERSION, 1)
        at = data.find(struct.pack("<I", 0xFEEF04BD)) if data else -1
        if at < 0:
            return 1
        fms, fls, pms, pls = struct.unpack_from("<IIII", data, at + 8)
        v = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        print("file=%s product=%s" % (v(fms, fls), v(pms, pls)))
        return 0
    data = resource(pe, RT_MANIFEST, 1)
    if data is None:
        return 1
    sys.stdout.write(data.decode("utf-8"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
PY
}
setup="$build/setup.exe"
gui() { i686-w64-mingw32-objdump -p "$1" 2>/dev/null | grep '^Subsystem[[:space:]]*00000002' >/dev/null; }
version_is() { test "$(resource "$setup" version)" = "file=$1 product=$1"; }
manifest() { resource "$setup" manifest; }
# The common-controls 6.0.0.0 dependency for x86, as one element.
common_controls_x86() {
  manifest | tr '\n' ' ' | grep -E '<assemblyIdentity[^>]*name="Microsoft\.Windows\.Common-Controls"[^>]*version="6\.0\.0\.0"[^>]*processorArchitecture="x86"' >/dev/null
}
no_execution_level() { manifest >/dev/null && ! manifest | grep -Eq 'requestedExecutionLevel|trustInfo'; }

check "setup.exe is a PE for i386" machine "$setup"
check "setup.exe is a Windows GUI program" gui "$setup"
check "setup.exe's version record says 3.0.0.0" version_is 3.0.0.0
check "setup.exe's manifest depends on common controls 6.0.0.0 for x86" common_controls_x86
check "setup.exe's manifest requests no execution level" no_execution_level
echo "$passed passed, $failedn failed"
[ "$failedn" -eq 0 ]
