#!/usr/bin/env bash
# The costliest page files the limits accept, written by report_bench (with made-up font names,
# which fontconfig resolves to its defaults, and with 64 of the system's own families, whose files
# the PDF embeds), each turned into a PDF by whole cpvquery processes ROUNDS times: the medians (with
# minimum and maximum) of processor time (user and system) and of wall time. The goal is at most
# 0.5 s of processor time for either file.
#
#   bench/page_file_speed.sh [BUILD_DIR [ROUNDS]]      (defaults: build, 20)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-20}
cpvquery=$build/tools/cpvquery
bench=$build/bench/report_bench
for program in "$cpvquery" "$bench"; do
    [ -x "$program" ] || { echo "page_file_speed: $program not found; build it first" >&2; exit 1; }
done
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "page_file_speed: ROUNDS must be a positive number" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
"$bench" --write-worst-page-file="$scratch/named.ndr"
"$bench" --write-worst-page-file-installed-fonts="$scratch/installed.ndr"

source bench/timing.sh

echo "cpvquery --page-file FILE --pdf OUT, $rounds runs each, in ms; $(fc-list : family | sort -u | wc -l) font families installed; $(uptime | sed 's/.*load/load/')"
printf "%-20s %8s %14s %8s %14s %10s\n" "page file" "cpu" "(min..max)" "wall" "(min..max)" "PDF bytes"
for file in named installed; do
    : >"$scratch/times"
    for ((round = 0; round < rounds; ++round)); do
        time_one "$cpvquery" --page-file "$scratch/$file.ndr" --pdf "$scratch/$file.pdf" >>"$scratch/times"
    done
    read -r wall wallMin wallMax < <(cut -d' ' -f1 "$scratch/times" | summary /dev/stdin 0)
    read -r cpu cpuMin cpuMax < <(cut -d' ' -f2 "$scratch/times" | summary /dev/stdin 0)
    printf "%-20s %8s %14s %8s %14s %10s\n" "$file fonts" "$cpu" "$cpuMin..$cpuMax" "$wall" "$wallMin..$wallMax" \
        "$(stat -c %s "$scratch/$file.pdf")"
done
