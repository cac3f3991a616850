#!/usr/bin/env bash
# Installs the Debian packages Ambrelin needs to build, test and run, and
# the browser test's npm dependency (playwright-core, driving Debian's
# Chromium; no browser is downloaded).
# Safe to run again: packages already installed are skipped.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ cmake make pkg-config
  qt6-base-dev libjpeg62-turbo-dev libturbojpeg0-dev libgtest-dev
  # fonts-liberation2: the narrow sans serif the windows' texts fit with
  xvfb xauth fonts-liberation2 fonts-dejavu-core
  clang libclang-rt-14-dev clang-format
  # the checks of the installed desktop entry, metadata and manual pages
  desktop-file-utils appstream groff-base
  # the Debian package (scripts/package.sh): dpkg-shlibdeps, file
  dpkg-dev file
  # the publish test's look for metadata left in the copies
  libimage-exiftool-perl
  # the phone and messenger kinds: AVIF, and WebP and TIFF through Qt's readers
  libavif-dev qt6-image-formats-plugins
)
# node 20 or later runs the browser test; the machine's own node is used
# when there is one.
command -v node >/dev/null 2>&1 || packages+=(nodejs npm)

# libheif 1.18 or newer reads the pictures of current iPhones (Debian 12's
# own 1.15 cannot open iOS 18 pictures); Debian 12's backports suite has it.
# The suite's entry is derived from the machine's own Debian source list, so
# it uses the same mirror and key.
backports_list=/etc/apt/sources.list.d/ambrelin-bookworm-backports.sources
enable_backports() {
  grep -rqsE '^[^#]*bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/ && return 0
  local uri="" keyring=""
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    # The first deb822 stanza that lists the bookworm suite.
    read -r uri keyring < <(awk '
      /^[[:space:]]*$/ { if (suite && uri) { print uri, key; exit } suite = 0; uri = ""; key = "" }
      /^URIs:/ { uri = $2 }
      /^Signed-By:/ { key = $2 }
      /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") suite = 1 }
      END { if (suite && uri) print uri, key }' /etc/apt/sources.list.d/debian.sources)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1 == "deb" && $0 ~ / bookworm / { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) { print $i; exit } }' /etc/apt/sources.list)
  fi
  if [ -z "$uri" ]; then
    echo "warning: no Debian 12 entry in the source list; bookworm-backports not enabled" >&2
    return 1
  fi
  echo "Enabling bookworm-backports from $uri"
  {
    echo "Types: deb"
    echo "URIs: $uri"
    echo "Suites: bookworm-backports"
    echo "Components: main"
    [ -n "$keyring" ] && echo "Signed-By: $keyring"
  } | $sudo tee "$backports_list" >/dev/null
  $sudo apt-get update -qq
}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
heif_version=$(dpkg-query -W -f='${Version}' libheif-dev 2>/dev/null || true)
if [ -z "$heif_version" ] || dpkg --compare-versions "$heif_version" lt 1.18; then
  if enable_backports; then
    echo "Installing: libheif-dev (bookworm-backports)"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
      -t bookworm-backports libheif-dev libheif1 libheif-plugin-libde265 libheif-plugin-aomdec \
      libheif-plugin-aomenc libheif-plugin-x265
  fi
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Chromium for the browser test. A machine that cannot install it still
# builds and tests everything else: the browser test then reports itself
# skipped.
if ! dpkg-query -W -f='${Status}' chromium 2>/dev/null | grep -q 'install ok installed'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: chromium"
  if ! DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends chromium; then
    $sudo apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends chromium ||
      echo "warning: chromium could not be installed; the browser test will be skipped" >&2
  fi
fi

# The browser test's npm dependency, at the version package-lock.json pins.
browser=tests/browser
version_of() { node -p "$1" 2>/dev/null || true; }
wanted=$(version_of "require('./$browser/package-lock.json').packages['node_modules/playwright-core'].version")
installed=$(version_of "require('./$browser/node_modules/playwright-core/package.json').version")
if [ -z "$installed" ] || [ "$installed" != "$wanted" ]; then
  echo "Installing the browser test's npm packages"
  (cd "$browser" && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error) ||
    echo "warning: npm ci failed in $browser; the browser test will fail" >&2
fi
