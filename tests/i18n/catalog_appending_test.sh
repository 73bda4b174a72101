#!/bin/bash
# The program carries the German catalog in its file table exactly once, appending again
# gives the same file, and the appender refuses files without a single signature.
#   catalog_appending_test.sh APPEND_FILES_PY CATALOG
set -euo pipefail
tool=$1 catalog=$2
exe=$DRAVOLIN_BIN/dravolin.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$exe" "$catalog" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
catalog = open(sys.argv[2], "rb").read()
sig = b"6637DB2E-62E1-4A60-AC19-C23867046A89"
assert data.count(sig) == 1, "signature count %d" % data.count(sig)
(table,) = struct.unpack_from("<Q", data, data.find(sig) + len(sig))
assert 0 < table < len(data), "no table"
following, offset, size = struct.unpack_from("<QQQ", data, table)
name = data[table + 24:following].strip()
assert name == b"locale\\de\\LC_MESSAGES\\default.mo", name
assert data[offset:offset + size] == catalog, "embedded catalog differs from the compiled one"
assert struct.unpack_from("<Q", data, following) == (0,), "more than one record"
assert following + 8 == len(data), "bytes after the end mark"
PY

cp "$exe" "$work/again.exe"
python3 "$tool" "$work/again.exe" "locale/de/LC_MESSAGES/default.mo=$catalog"
cmp "$exe" "$work/again.exe"

printf 'no signature here' > "$work/none.exe"
if python3 "$tool" "$work/none.exe" "a.mo=$catalog" 2>/dev/null; then
  echo "accepted a file without signature"; exit 1
fi
{ cat "$exe"; cat "$exe"; } > "$work/twice.exe"
if python3 "$tool" "$work/twice.exe" "a.mo=$catalog" 2>/dev/null; then
  echo "accepted a file with two signatures"; exit 1
fi
echo "catalog appending: ok"
