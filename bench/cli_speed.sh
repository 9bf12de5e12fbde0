#!/usr/bin/env bash
# cpvquery against the sqlite3 shell, as whole processes over the same 9,454 rows: each query runs
# ROUNDS times in each program, the two taking turns (which one goes first alternates), and the
# medians of the wall and of the processor times are compared. The sqlite3 table is made from
# data/cpv2007-de.tsv, with the code as its primary key, and an FTS5 table of the same rows for the
# keyword search. Every query should take cpvquery at most 1.5 times what it takes sqlite3, the
# full list by description (in a German or C locale, which reads the carried order) at most 1.2
# times; in other locales the order by description builds the locale's collation and may take longer.
#
#   bench/cli_speed.sh [BUILD_DIR [ROUNDS]]      (defaults: build, 10)
#
# Needs the sqlite3 shell (Debian package sqlite3) and a built cpvquery.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
rounds=${2:-10}
cpvquery=$build/tools/cpvquery
[ -x "$cpvquery" ] || { echo "cli_speed: $cpvquery not found; build the cpvquery target first" >&2; exit 1; }
command -v sqlite3 >/dev/null || { echo "cli_speed: the sqlite3 shell is missing (apt-get install sqlite3)" >&2; exit 1; }
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "cli_speed: ROUNDS must be a positive number" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
database=$scratch/cpv.db
tail -n +2 data/cpv2007-de.tsv >"$scratch/rows.tsv"
sqlite3 "$database" "create table cpv(code text primary key, descr text);" ".mode tabs" \
    ".import $scratch/rows.tsv cpv" \
    "create virtual table words using fts5(code unindexed, descr, tokenize='unicode61 remove_diacritics 2');" \
    "insert into words select code, descr from cpv;"

source bench/timing.sh

# compare LABEL "CPVQUERY|ARGS" SQL ORDERED: times both (cpvquery's arguments separated by '|');
# ORDERED=yes when both must print the same rows in the same order, no for the same rows in any
# order, ranked for two rankings of their own (not compared).
compare() {
    local label=$1 arguments=$2 sql=$3 ordered=$4
    local -a ours=("$cpvquery")
    IFS='|' read -r -a words <<<"$arguments"
    ours+=("${words[@]}")
    local -a theirs=(sqlite3 -tabs "$database" "$sql")

    "${ours[@]}" >"$scratch/ours.out"
    "${theirs[@]}" >"$scratch/theirs.out"
    local agree=same
    if [ "$ordered" = ranked ]; then
        agree="(own ranking)"
    elif [ "$ordered" = yes ]; then
        cmp -s "$scratch/ours.out" "$scratch/theirs.out" || agree=DIFFERENT
    else
        cmp -s <(LC_ALL=C sort "$scratch/ours.out") <(LC_ALL=C sort "$scratch/theirs.out") || agree=DIFFERENT
    fi

    : >"$scratch/ours.times"
    : >"$scratch/theirs.times"
    local round
    for ((round = 0; round < rounds; ++round)); do
        if ((round % 2 == 0)); then
            time_one "${ours[@]}" >>"$scratch/ours.times"
            time_one "${theirs[@]}" >>"$scratch/theirs.times"
        else
            time_one "${theirs[@]}" >>"$scratch/theirs.times"
            time_one "${ours[@]}" >>"$scratch/ours.times"
        fi
    done
    cut -d' ' -f1 "$scratch/ours.times" >"$scratch/ours.ms"
    cut -d' ' -f1 "$scratch/theirs.times" >"$scratch/theirs.ms"
    cut -d' ' -f2 "$scratch/ours.times" >"$scratch/ours.cpu"
    cut -d' ' -f2 "$scratch/theirs.times" >"$scratch/theirs.cpu"
    read -r ourMedian ourMin ourMax < <(summary "$scratch/ours.ms")
    read -r theirMedian theirMin theirMax < <(summary "$scratch/theirs.ms")
    read -r ourCpu _ < <(summary "$scratch/ours.cpu")
    read -r theirCpu _ < <(summary "$scratch/theirs.cpu")
    printf "%-26s %8s %8s..%-8s %8s %8s..%-8s %6s %7s %7s %6s  %s rows (%d)\n" "$label" "$ourMedian" "$ourMin" "$ourMax" \
        "$theirMedian" "$theirMin" "$theirMax" "$(awk -v a="$ourMedian" -v b="$theirMedian" 'BEGIN {printf "%.2f", a / b}')" \
        "$ourCpu" "$theirCpu" "$(awk -v a="$ourCpu" -v b="$theirCpu" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}')" \
        "$agree" "$(wc -l <"$scratch/ours.out")"
}

echo "cpvquery against sqlite3 $(sqlite3 --version | cut -d' ' -f1), $rounds runs each, wall and processor time in ms; $(uptime | sed 's/.*load/load/')"
printf "%-26s %8s %18s %8s %18s %6s %7s %7s %6s\n" "query" "cpvquery" "(min..max)" "sqlite3" "(min..max)" "ratio" \
    "cpu" "cpu" "ratio"
compare "--code 03" "--code|03" \
    "select code, descr from cpv where code >= '03' and code < '039999999' order by code" yes
compare "--desc obst" "--desc|obst" \
    "select code, descr from cpv where upper(descr) like '%OBST%' order by code" yes
compare "(the full list)" "" "select code, descr from cpv order by code" yes
# sqlite3 orders by bytes, cpvquery by the locale: the same rows, in another order. In a German or
# C locale cpvquery reads the order carried with the list and loads no ICU.
compare "--sort desc" "--sort|desc" "select code, descr from cpv order by descr" no
compare "--sort desc --desc obst" "--sort|desc|--desc|obst" \
    "select code, descr from cpv where upper(descr) like '%OBST%' order by descr" no
# The keyword search against FTS5's ranked prefix search over the same terms.
compare "--words büro reinigung" "--words|büro reinigung|--limit|10" \
    "select code, descr from words where words match '\"büro\"* \"reinigung\"*' order by bm25(words) limit 10" ranked
