#!/bin/sh
# The programs bench/peers/run_peers.py compares Vortel with, and the tools
# it measures with. Only the peer comparison needs them, never CI.
set -e
packages="dbview shapelib gdal-bin python3-dbfread python3-dbf strace time"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=""; fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
