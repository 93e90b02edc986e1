#!/bin/sh
# Stands in for the web browser of the test Wine prefixes: the prefix's WineBrowser setting names
# this script, so every ShellExecute of an http(s) address lands here with the address as the
# first argument. It appends the address, one per line, to the file named by ORVANE_BROWSER_LOG
# (inherited from the test through wine), or to browser.log inside the prefix when that is unset.
log="${ORVANE_BROWSER_LOG:-}"
if [ -z "$log" ]; then
    log="${WINEPREFIX:-$HOME/.wine}/browser.log"
fi
printf '%s\n' "$1" >> "$log"
exit 0
