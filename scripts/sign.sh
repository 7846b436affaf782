#!/usr/bin/env bash
# Signs a Windows executable in place with osslsigncode (Authenticode, SHA-256), then checks the
# signature. The signature is appended to the file: `osslsigncode remove-signature` gives back the
# unsigned bytes, so a signed release can still be compared with a rebuild.
#   scripts/sign.sh EXE
#   TELLWICK_SIGN_PFX            the certificate with its private key, a PKCS#12 (.pfx) file
#   TELLWICK_SIGN_PASSWORD       the PFX file's password
#   TELLWICK_SIGN_CAFILE         optional: the certificates the signature is checked against
#                                (default: the system certificate store)
#   TELLWICK_SIGN_TIMESTAMP_URL  optional: an RFC 3161 time-stamping server, so that the signature
#                                stays valid after the certificate expires
# On any failure the executable is left as it was and the exit code is 1.
set -euo pipefail

exe=${1:?usage: scripts/sign.sh EXE}
fail() {
    echo "sign: $*; $exe is left unsigned" >&2
    exit 1
}
[ -n "${TELLWICK_SIGN_PFX:-}" ] || fail "TELLWICK_SIGN_PFX names no certificate"
[ -f "$TELLWICK_SIGN_PFX" ] || fail "no certificate file $TELLWICK_SIGN_PFX"
command -v osslsigncode >/dev/null || fail "osslsigncode is not installed"

# Written beside it and moved over it only once it verifies.
work=$(mktemp -d "$exe.signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
signed=$work/signed.exe
# The password goes through a pipe, not the command line, where other users could read it.
args=(sign -pkcs12 "$TELLWICK_SIGN_PFX" -readpass /dev/stdin -h sha256 -n Tellwick)
[ -z "${TELLWICK_SIGN_TIMESTAMP_URL:-}" ] || args+=(-ts "$TELLWICK_SIGN_TIMESTAMP_URL")
printf '%s' "${TELLWICK_SIGN_PASSWORD:-}" | osslsigncode "${args[@]}" -in "$exe" -out "$signed" >/dev/null ||
    fail "osslsigncode could not sign it"

check=(verify -in "$signed")
[ -z "${TELLWICK_SIGN_CAFILE:-}" ] || check+=(-CAfile "$TELLWICK_SIGN_CAFILE")
osslsigncode "${check[@]}" >/dev/null 2>&1 || fail "the signature does not verify against ${TELLWICK_SIGN_CAFILE:-the system certificate store}"
chmod --reference="$exe" "$signed"
mv -f "$signed" "$exe"
echo "sign: signed $exe"
