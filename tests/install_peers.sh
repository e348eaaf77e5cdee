#!/usr/bin/env bash
# Installs the programs the tests compare our files with (readers we did not
# write): LibreOffice Draw (EMF and WMF), libwmf (WMF), librsvg and libxml2
# (SVG), poppler (PDF), ezdxf and GDAL (DXF). A test whose program is
# missing is skipped and says so; as root this installs them all.
set -euo pipefail
GRIDOVA_PEER_PACKAGES=(
  libreoffice-draw-nogui libwmf-bin librsvg2-bin libxml2-utils poppler-utils
  python3-ezdxf gdal-bin
)
missing=()
for p in "${GRIDOVA_PEER_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "Tests that need these programs will be skipped; install them as root with:" >&2
  echo "  apt-get install -y ${missing[*]}" >&2
  exit 0
fi
echo "Installing the peer programs of the tests: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
