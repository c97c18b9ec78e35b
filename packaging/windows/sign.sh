#!/bin/sh
# Signs a Windows program file in place (Authenticode, SHA-256, no time-stamp server) with the
# PKCS#12 certificate in $CONVERSIONE_SIGN_PKCS12 and its password in $CONVERSIONE_SIGN_PASSWORD.
# The signing time is the commit's (SOURCE_DATE_EPOCH), so one commit signs to the same bytes.
# Called by CPack for the program and by NSIS for the uninstaller and the installer.
# Usage: sign.sh FILE
set -eu
printf %s "$CONVERSIONE_SIGN_PASSWORD" | osslsigncode sign -pkcs12 "$CONVERSIONE_SIGN_PKCS12" \
    -readpass - -h sha256 -n Conversione ${SOURCE_DATE_EPOCH:+-time "$SOURCE_DATE_EPOCH"} \
    -in "$1" -out "$1.signed" >/dev/null
mv "$1.signed" "$1"
