#!/bin/sh
# The scratch Wine prefix of one test run ($WINEPREFIX):
#   wine_prefix.sh make WINE64 CONTROL_DLL   makes it afresh and registers the test control in it
#                                            under the data service's ProgID
#   wine_prefix.sh remove WINESERVER         ends its wineserver and removes it
set -eu
case $1 in
make)
  rm -rf "$WINEPREFIX"
  "$2" wineboot -i >/dev/null 2>&1
  # Wine's drive Z: is the Unix root.
  "$2" regsvr32 /s "Z:$(printf '%s' "$3" | tr / '\\')"
  echo "prefix $WINEPREFIX ready, test control registered" ;;
remove)
  "$2" -k || true
  rm -rf "$WINEPREFIX" ;;
*) echo "usage: wine_prefix.sh make WINE64 CONTROL_DLL | remove WINESERVER" >&2; exit 2 ;;
esac
