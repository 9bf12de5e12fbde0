# Sourced by the scripts that time whole processes (cli_speed.sh, page_file_speed.sh).

# "WALL CPU": the milliseconds of one run of the command, wall time and processor time (user and
# system), its output and its messages thrown away.
time_one() {
    local TIMEFORMAT='%3R %3U %3S'
    { time "$@" >/dev/null 2>&1; } 2>&1 | awk '{printf "%.3f %.3f\n", $1 * 1000, ($2 + $3) * 1000}'
}

# "median min max" of the numbers in a file, with DECIMALS places (default 2).
summary() {
    sort -n "$1" | awk -v d="${2:-2}" '{v[NR] = $1} END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%.*f %.*f %.*f\n", d, m, d, v[1], d, v[NR]
    }'
}
