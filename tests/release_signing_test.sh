#!/usr/bin/env bash
# scripts/sign.sh signs with a throwaway self-signed certificate so that `osslsigncode verify`
# accepts the signature, and removing the signature gives back the unsigned bytes (how a signed
# release is compared with a rebuild). A wrong password leaves the executable unsigned and fails.
#   release_signing_test.sh TELLWICK_EXE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
fail() {
    echo "FAIL: $*"
    exit 1
}

openssl req -x509 -newkey rsa:2048 -nodes -keyout key.pem -out cert.pem -days 2 -subj "/CN=Tellwick test signing" \
    -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out cert.pfx -passout pass:throwaway
# Stripped, as the release ships it: sections padded to 512 bytes, so signing adds no padding of its
# own that removing the signature would leave behind.
x86_64-w64-mingw32-strip --strip-all -o unsigned.exe "$exe"
cp unsigned.exe Tellwick.exe

export TELLWICK_SIGN_PFX=cert.pfx TELLWICK_SIGN_CAFILE=cert.pem
TELLWICK_SIGN_PASSWORD=wrong bash "$root/scripts/sign.sh" Tellwick.exe 2>/dev/null && fail "signed with a wrong password"
cmp -s Tellwick.exe unsigned.exe || fail "a failed signing changed the executable"

TELLWICK_SIGN_PASSWORD=throwaway bash "$root/scripts/sign.sh" Tellwick.exe >/dev/null
verified=$(osslsigncode verify -in Tellwick.exe -CAfile cert.pem 2>&1) || fail "osslsigncode verify: $verified"
grep -q 'Signature verification: ok' <<<"$verified" || fail "osslsigncode verify: $verified"
cmp -s Tellwick.exe unsigned.exe && fail "the executable is unchanged"

osslsigncode remove-signature -in Tellwick.exe -out stripped.exe >/dev/null
cmp -s stripped.exe unsigned.exe || fail "without its signature the executable differs from the unsigned one"
echo "release signing test: passed"
