#!/usr/bin/env bash
# The JPEG library's source is fetched from the Debian archives the machine's apt is set up
# with: both file formats, their options and mirrors as configured, nothing else.
set -euo pipefail
reader="$(dirname "$0")/../../tools/deb_src_lines.py"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# One-line format: options, comments, a source line, another release, another project.
etc="$tmp/oneline"
mkdir -p "$etc/sources.list.d"
cat >"$etc/sources.list" <<'LIST'
# the local mirror
deb [arch=amd64 signed-by=/keys/archive.gpg] http://mirror.example/debian bookworm main contrib
deb http://mirror.example/debian bookworm-updates main   # updates
deb-src http://mirror.example/debian bookworm main
deb http://mirror.example/debian trixie main
deb http://mirror.example/debian bookworm contrib
LIST
echo 'deb https://vendor.example/apt cloud-bookworm main' >"$etc/sources.list.d/vendor.list"
echo 'deb http://other.example/debian bookworm main' >"$etc/sources.list.d/off.list.disabled"
got=$(python3 "$reader" bookworm "$etc")
want='deb-src [signed-by=/keys/archive.gpg] http://mirror.example/debian bookworm main
deb-src http://mirror.example/debian bookworm-updates main'
[ "$got" = "$want" ] || fail "one-line format gave:"$'\n'"$got"

# deb822 format: several URIs and suites, folded fields, a disabled stanza, an inline key.
etc="$tmp/deb822"
mkdir -p "$etc/sources.list.d"
cat >"$etc/sources.list.d/debian.sources" <<'SOURCES'
Types: deb deb-src
# a comment between fields
URIs: http://a.example/debian
 http://b.example/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://c.example/debian-security
Suites: bookworm-security
Components: main non-free-firmware
Enabled: no

Types: deb
URIs: http://d.example/debian-security
Suites: bookworm-security
Components: main
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 .
 mQINBGPL0BUBEADmW5NdOOHwPIJlgPu6JDcKw/NZJPR8lsD9K7UT8SDAuIlCAmzA
 -----END PGP PUBLIC KEY BLOCK-----

Types: deb
URIs: https://vendor.example/node
Suites: nodistro
Components: main
SOURCES
got=$(python3 "$reader" bookworm "$etc")
want='deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://a.example/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://a.example/debian bookworm-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://b.example/debian bookworm main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://b.example/debian bookworm-updates main
deb-src http://d.example/debian-security bookworm-security main'
[ "$got" = "$want" ] || fail "deb822 format gave:"$'\n'"$got"

# No archive of the release: an error, not an empty list that apt would take as "nothing".
if python3 "$reader" bullseye "$etc" >/dev/null; then fail "no entry for bullseye, yet success"; fi
echo "PASS"
