#!/usr/bin/env bash
# Builds Ambrelin in Release (build-release/) and runs the publishing
# benchmark. vipsthumbnail and ImageMagick are needed by the benchmark only,
# never by the program: they are installed here.
#
#   bash bench/run-publish-bench.sh [publish_bench options]
# e.g. --folder /var/tmp/ambrelin-camera --runs 3
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
missing=()
for p in libvips-tools imagemagick; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DAMBRELIN_TESTS=OFF >/dev/null
cmake --build build-release -j2 --target ambrelin-build publish_bench
uptime
./build-release/bench/publish_bench "$@"
