# Sourced by the cpvquery case scripts: a scratch folder as the working folder, failure counting and
# running cpvquery, with $cpvquery set by the script. A script ends with run_case NAME SCRIPT.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
export QT_QPA_PLATFORM=offscreen

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# run ARGS...: runs cpvquery with standard output and error into out and err; status in $status.
run() {
    "$cpvquery" "$@" >out 2>err
    status=$?
}

# run_case NAME SCRIPT: runs the script's function case_NAME; the exit status tells whether it passed.
run_case() {
    if ! declare -F "case_$1" >/dev/null; then
        echo "$2: no case $1" >&2
        exit 2
    fi
    "case_$1"
    [ "$failures" -eq 0 ]
}
