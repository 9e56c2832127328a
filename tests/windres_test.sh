#!/usr/bin/env bash
# Compiles the Windows version block and checks the numbers and strings it holds.
# Exit 77 means skipped.
set -euo pipefail
rc_file=$1
resources_dir=$2
command -v x86_64-w64-mingw32-windres >/dev/null || { echo "windres missing; skipped"; exit 77; }
out=$(mktemp)
trap 'rm -f "$out"' EXIT
x86_64-w64-mingw32-windres --preprocessor=cpp -I "$resources_dir" "$rc_file" -O coff -o "$out"
python3 - "$out" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
fixed = data.find(struct.pack("<I", 0xFEEF04BD))
assert fixed >= 0, "no fixed file info"
(sig, ver, fvms, fvls, pvms, pvls, mask, flags, os_, ftype, fsub) = struct.unpack_from("<11I", data, fixed)
assert (fvms, fvls, pvms, pvls) == (0x00010000, 7, 0x00010000, 7), "version numbers"
assert os_ == 0x4 and ftype == 0x1, "operating system and file type"
strings = ["041004B0", "Comments", "vemo v 1.0: il criptatore", "CompanyName", "Palindra",
           "FileDescription", "Criptatore", "ProductName", "Vemo 1.0", "FileVersion", "1.00.0007",
           "ProductVersion", "InternalName", "vemo", "OriginalFilename", "vemo.exe",
           "LegalCopyright", "LegalTrademarks", "Copyright © Palindra", "Vemo è un marchio"]
missing = [s for s in strings if s.encode("utf-16-le") not in data]
assert not missing, "missing strings: %s" % missing
assert struct.pack("<HH", 0x410, 1200) in data, "translation"
print("version block holds 1.0.0.7 and every string")
PY
