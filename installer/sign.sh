#!/usr/bin/env bash
# Authenticode signing of the program and the installer with osslsigncode, configured by the
# environment (docs/release.md):
#   VEXAV6_SIGN_PKCS12         a .pfx/.p12 file with the key and the certificate chain, or
#   VEXAV6_SIGN_CERT and _KEY  the certificate (chain) and the private key, PEM or DER
#   VEXAV6_SIGN_PASSWORD_FILE  (optional) a file holding the password of the key or the .pfx, or
#   VEXAV6_SIGN_PASSWORD       (optional) the password itself
#   VEXAV6_SIGN_TIMESTAMP_URL  (optional) an RFC 3161 time-stamping service
#   VEXAV6_SIGN_CA             (optional) the certificates a signature must chain to when it is
#                              verified; the system's trusted roots when unset
# Usage: sign.sh configured        exit status 0 when a certificate is configured
#        sign.sh sign <file>       signs the file in place, then verifies it
#        sign.sh verify <file>     verifies the file's signature
set -euo pipefail

configured() { [ -n "${VEXAV6_SIGN_PKCS12:-}" ] || [ -n "${VEXAV6_SIGN_CERT:-}" ]; }

die() { echo "sign.sh: $*" >&2; exit 1; }

verify() {
    local file=$1 ca=${VEXAV6_SIGN_CA:-/etc/ssl/certs/ca-certificates.crt}
    [ -f "$ca" ] || die "no certificates to verify against: $ca (set VEXAV6_SIGN_CA)"
    local out
    if ! out=$(osslsigncode verify -in "$file" -CAfile "$ca" 2>&1); then
        echo "$out" >&2
        die "the signature of $file does not verify against $ca"
    fi
    echo "verified: $file"
}

sign() {
    local file=$1 signed
    configured || die "no certificate configured (VEXAV6_SIGN_PKCS12 or VEXAV6_SIGN_CERT)"
    # ./package names the product and its web address (from the program's own texts).
    local args=(sign -h sha256)
    [ -n "${VEXAV6_PRODUCT_NAME:-}" ] && args+=(-n "$VEXAV6_PRODUCT_NAME")
    [ -n "${VEXAV6_PRODUCT_URL:-}" ] && args+=(-i "$VEXAV6_PRODUCT_URL")
    if [ -n "${VEXAV6_SIGN_PKCS12:-}" ]; then
        [ -f "$VEXAV6_SIGN_PKCS12" ] || die "VEXAV6_SIGN_PKCS12: no such file: $VEXAV6_SIGN_PKCS12"
        args+=(-pkcs12 "$VEXAV6_SIGN_PKCS12")
    else
        [ -f "$VEXAV6_SIGN_CERT" ] || die "VEXAV6_SIGN_CERT: no such file: $VEXAV6_SIGN_CERT"
        [ -f "${VEXAV6_SIGN_KEY:-}" ] || die "VEXAV6_SIGN_KEY must name the certificate's private key"
        args+=(-certs "$VEXAV6_SIGN_CERT" -key "$VEXAV6_SIGN_KEY")
    fi
    local passfile=""
    if [ -n "${VEXAV6_SIGN_PASSWORD_FILE:-}" ]; then
        args+=(-readpass "$VEXAV6_SIGN_PASSWORD_FILE")
    elif [ -n "${VEXAV6_SIGN_PASSWORD:-}" ]; then
        # Through a private file, so the password never shows in the process list.
        passfile=$(mktemp)
        chmod 600 "$passfile"
        printf '%s' "$VEXAV6_SIGN_PASSWORD" >"$passfile"
        args+=(-readpass "$passfile")
    fi
    [ -n "${VEXAV6_SIGN_TIMESTAMP_URL:-}" ] && args+=(-ts "$VEXAV6_SIGN_TIMESTAMP_URL")
    signed="$file.signed"
    rm -f "$signed"
    local status=0
    osslsigncode "${args[@]}" -in "$file" -out "$signed" >/dev/null || status=$?
    [ -n "$passfile" ] && rm -f "$passfile"
    [ $status -eq 0 ] || { rm -f "$signed"; die "signing $file failed"; }
    mv -f "$signed" "$file"
    verify "$file"
}

case "${1:-}" in
    configured) configured ;;
    sign) [ $# -eq 2 ] || die "usage: sign.sh sign <file>"; sign "$2" ;;
    verify) [ $# -eq 2 ] || die "usage: sign.sh verify <file>"; verify "$2" ;;
    *) die "usage: sign.sh configured | sign <file> | verify <file>" ;;
esac
