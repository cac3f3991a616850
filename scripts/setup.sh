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
)
# node 20 or later runs the browser test; the machine's own node is used
# when there is one.
command -v node >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
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
