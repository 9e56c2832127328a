#!/bin/bash
# A save that puts a new file in the old one's place must sync the folder after the rename,
# or a crash can bring back the old name's old file. Watches the saves of a textfile_test
# case through strace: every rename must be followed by an fsync of a folder opened after it.
set -u
test_program=$1
command -v strace >/dev/null || { echo "strace is not installed"; exit 77; }
trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
strace -f -o "$trace" -e trace=openat,fsync,rename,renameat,renameat2 \
    "$test_program" --gtest_filter=TextFile.WritesAndReadsBytesExactly >/dev/null || exit 1
awk '
    / rename(at2?)?\(/ && / = 0$/ { renames++; pending = 1; delete folders; next }
    pending && /openat\(.*O_DIRECTORY/ && / = [0-9]+$/ { folders[$NF] = 1; next }
    pending && /fsync\(/ { fd = $0; sub(/.*fsync\(/, "", fd); sub(/\).*/, "", fd)
                           if (fd in folders) { synced++; pending = 0 } }
    END {
        printf "%d renames, %d followed by a sync of the folder\n", renames, synced
        exit !(renames > 0 && synced == renames)
    }' "$trace"
