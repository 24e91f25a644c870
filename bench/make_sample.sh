#!/usr/bin/env bash
# Writes FILE: executable data of the largest payload's size (2,873,856
# bytes), from the same system files as the benchmark's corpus, or random
# bytes where they are missing.
set -euo pipefail
file=$1
size=2873856
lib=/usr/lib/x86_64-linux-gnu
cat "$lib/libstdc++.so.6" /usr/bin/bash "$lib/libc.so.6" 2>/dev/null | head -c $size >"$file" || true
if [[ $(stat -c %s "$file") -lt $size ]]; then
    head -c $size /dev/urandom >"$file"
fi
