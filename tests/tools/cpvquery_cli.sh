#!/usr/bin/env bash
# cpvquery as a GNU command-line program: --help and --version, the refusal of each kind of wrong
# call (exit status 2, the argument named, a hint at --help), the forms an option's value may take,
# the list as the source has it, where the report program is found, ICU left unloaded by a search
# in code order, and the rows that a --filter expression keeps.
#
#   cpvquery_cli.sh CPVQUERY CASE VERSION SOURCE_TSV [REPORT_PROGRAM]
#       (exit 0: passed, 77: cannot be tried here, else failed)
set -uo pipefail
cpvquery=$1
case_name=$2
version=$3
source_tsv=$4
report_program=${5:-}
source "$(dirname "$0")/case_support.sh"

hint="Try 'cpvquery --help' for more information."

# refused MESSAGE ARGS...: the call exits with 2, says "cpvquery: MESSAGE" and the hint on standard
# error and writes nothing on standard output.
refused() {
    local message=$1
    shift
    run "$@"
    [ "$status" -eq 2 ] || fail "$*: exit status $status, expected 2"
    [ "$(cat err)" = "cpvquery: $message"$'\n'"$hint" ] || fail "$*: standard error '$(cat err)', expected 'cpvquery: $message'"
    [ ! -s out ] || fail "$*: output for a refused call: $(head -c 200 out)"
}

# same_output ARGS... -- ARGS...: both calls succeed with the same output.
same_output() {
    local first=()
    while [ "$1" != "--" ]; do
        first+=("$1")
        shift
    done
    shift
    "$cpvquery" "${first[@]}" >first.out 2>first.err || fail "${first[*]}: exit status $?"
    "$cpvquery" "$@" >second.out 2>second.err || fail "$*: exit status $?"
    [ -s first.out ] || fail "${first[*]}: no output"
    cmp -s first.out second.out || fail "'${first[*]}' and '$*' differ"
}

case_help() {
    run --help
    [ "$status" -eq 0 ] || fail "--help: exit status $status"
    [ ! -s err ] || fail "--help: standard error: $(cat err)"
    head -n 1 out | grep -q '^Usage: cpvquery ' || fail "--help does not begin with the usage: $(head -n 1 out)"
    local option
    for option in --sort --code --desc --filter --print-filter --tree --locate --report-summary --pdf \
        --page-file --words --limit --check-digit --help --version; do
        grep -Eq "^  $option( [A-Za-z|]+)? +[a-z].{10,}" out || fail "--help has no line for $option"
    done
    grep -q "Exit status" out || fail "--help does not tell the exit statuses"
    # --help acts where it stands: what follows is not looked at, what goes before is.
    run --code 03 --help --bogus
    [ "$status" -eq 0 ] && grep -q '^Usage: cpvquery ' out || fail "--help after an option: status $status"
    refused "unknown option '--bogus'" --bogus --help
    # Help that cannot be written is a failure.
    "$cpvquery" --help >/dev/full 2>err
    status=$?
    [ "$status" -eq 1 ] || fail "--help to a full device: exit status $status"
    grep -q "cannot write standard output" err || fail "--help to a full device: $(cat err)"
}

case_version() {
    run --version
    [ "$status" -eq 0 ] || fail "--version: exit status $status"
    [ "$(cat out)" = "cpvquery (Kodexa) $version" ] || fail "--version: '$(cat out)', expected 'cpvquery (Kodexa) $version'"
    [ ! -s err ] || fail "--version: standard error: $(cat err)"
    run --version --tree --pdf x.pdf
    [ "$status" -eq 0 ] && [ "$(cat out)" = "cpvquery (Kodexa) $version" ] || fail "--version before a conflict"
}

case_unknown_option() {
    refused "unknown option '--bogus'" --bogus
    refused "unknown option '--bogus=1'" --code 03 --bogus=1
    refused "unknown option '-h'" -h
    refused "unknown option '--co'" --co 03 # no abbreviations
    refused "unknown option '--CODE'" --CODE 03
    refused "unknown option '---code'" ---code 03
    refused "unknown option '--=03'" --=03
}

case_missing_value() {
    local option
    for option in --sort --code --desc --filter --pdf --page-file; do
        refused "option '$option' needs a value" "$option"
        refused "option '$option' needs a value" --print-filter "$option"
    done
}

case_value_not_taken() {
    local option
    for option in --print-filter --tree --locate --report-summary --help --version; do
        refused "option '$option' takes no value" "$option=1"
        refused "option '$option' takes no value" "$option="
    done
}

case_conflicts() {
    refused "options '--tree' and '--pdf' cannot be combined" --tree --pdf list.pdf
    refused "options '--pdf' and '--tree' cannot be combined" --pdf list.pdf --tree
    refused "options '--tree' and '--locate' cannot be combined" --tree --locate
    refused "options '--locate' and '--report-summary' cannot be combined" --locate --report-summary
    refused "options '--report-summary' and '--pdf' cannot be combined" --report-summary --pdf list.pdf
    refused "options '--code' and '--tree' cannot be combined" --code 03 --tree
    refused "options '--tree' and '--print-filter' cannot be combined" --tree --print-filter
    refused "options '--page-file' and '--code' cannot be combined" --page-file saved.ndr --code 03
    refused "options '--sort' and '--page-file' cannot be combined" --sort desc --page-file saved.ndr
    refused "options '--page-file' and '--locate' cannot be combined" --page-file saved.ndr --locate
    # Read in order, the first option that clashes with one before it is named, after that one.
    refused "options '--code' and '--tree' cannot be combined" --code 03 --locate --desc x --tree --pdf x
    refused "options '--code' and '--page-file' cannot be combined" --pdf x --code 03 --page-file f --tree
    [ ! -e list.pdf ] || fail "a refused call wrote the PDF"
    # What goes together still runs.
    run --code 03000000 --locate --sort code --print-filter
    [ "$status" -eq 0 ] || fail "--code --locate --sort --print-filter: exit status $status ($(cat err))"
    run --tree --tree
    [ "$status" -eq 0 ] || fail "--tree twice: exit status $status ($(cat err))"
}

case_bad_sort() {
    refused "option '--sort' takes 'code' or 'desc', not 'x'" --sort x
    refused "option '--sort' takes 'code' or 'desc', not 'CODE'" --sort CODE
    refused "option '--sort' takes 'code' or 'desc', not ''" --sort ""
    refused "option '--sort' takes 'code' or 'desc', not 'description'" --sort=description
    refused "option '--sort' takes 'code' or 'desc', not '--code'" --sort --code 03
}

case_value_forms() {
    same_output --code 03 -- --code=03
    same_output --desc obst --sort desc -- --desc=obst --sort=desc
    same_output -- --code=
    same_output --code 03 -- --code 03 --
    # The next argument is the value, whatever it looks like; after '=' everything is.
    run --desc --code
    [ "$status" -eq 0 ] && [ ! -s out ] || fail "--desc --code: status $status, output $(head -c 100 out)"
    run --desc=--code=03 --print-filter
    [ "$status" -eq 0 ] && grep -q "LIKE '%--CODE=03%'" out || fail "--desc=--code=03: $(head -c 200 out)"
    run --desc -Wasser --print-filter
    [ "$status" -eq 0 ] && grep -q "LIKE '%-WASSER%'" out || fail "--desc -Wasser: $(head -c 200 out)"
}

# An option with a value is given once; a flag may come again. An empty file name is no name.
case_repeated_option() {
    refused "option '--code' may be given only once" --code 03 --code 45
    refused "option '--code' may be given only once" --code=03 --code=03
    refused "option '--sort' may be given only once" --sort desc --code 03 --sort code
    refused "option '--filter' may be given only once" --filter "" --filter "CPV_ID = '03'"
    refused "option '--pdf' may be given only once" --pdf a.pdf --pdf b.pdf
    refused "option '--words' may be given only once" --words büro --words laptop
    refused "option '--pdf' takes a file name, not ''" --code 03 --pdf ""
    refused "option '--page-file' takes a file name, not ''" --page-file=
    run --code 03000000 --print-filter --print-filter
    [ "$status" -eq 0 ] && [ "$(wc -l <out)" = 2 ] || fail "--print-filter twice: status $status, $(cat out)"
}

case_end_of_options() {
    refused "unexpected argument 'obst'" obst
    refused "unexpected argument 'obst'" --desc x obst
    refused "unexpected argument '-'" -
    refused "unexpected argument '--code'" -- --code 03
    refused "unexpected argument '--'" -- --
    refused "unexpected argument 'x'" --tree -- x
}

case_hostile_argument_shown() {
    refused "unknown option '--\\x1B[31mrot'" $'--\e[31mrot'
    refused "unknown option '--a\\x0Ab'" $'--a\nb'
    refused "unknown option '--\\xFF\\xC3'" $'--\xff\xc3'
    refused "unknown option '--\\xC2\\x9B2J'" $'--\xc2\x9b2J' # C1 CSI
    refused "unknown option '--\\x7F'" $'--\x7f'
    refused "unknown option '--äöü€'" --äöü€
    refused "option '--sort' takes 'code' or 'desc', not '\\xE9t\\x08'" --sort $'\xe9t\b'
}

# The list in code order is the source list, byte for byte; a code search is the source's rows that
# begin with the code.
case_list_matches_source() {
    [ -f "$source_tsv" ] || exit 77
    run
    [ "$status" -eq 0 ] || fail "the list: exit status $status"
    tail -n +2 "$source_tsv" >expected
    cmp -s out expected || fail "the list differs from the source list: $(cmp out expected)"
    run --code=03
    awk -F '\t' 'NR > 1 && substr($1, 1, 2) == "03"' "$source_tsv" >expected
    [ -s expected ] && cmp -s out expected || fail "--code 03 differs from the source's codes beginning with 03"
    run --code 03 --desc Obst
    awk -F '\t' 'NR > 1 && substr($1, 1, 2) == "03" && toupper($2) ~ /OBST/' "$source_tsv" >expected
    [ -s expected ] && cmp -s out expected || fail "--code 03 --desc Obst differs from the source's rows"
}

# A code as published with its check digit searches for the eight digits, with the same filter;
# every other text with a hyphen is searched as typed.
case_published_code() {
    same_output --code '03000000-1' --print-filter -- --code 03000000 --print-filter
    same_output --code ' 03000000-9  ' --print-filter -- --code 03000000 --print-filter
    run --code '03000000-1'
    [ "$status" -eq 0 ] && [ "$(cut -f 1 out)" = 03000000 ] && [ ! -s err ] ||
        fail "03000000-1: status $status, $(head -c 200 out) $(cat err)"
    # A wrong check digit lists the rows as before and says which digit is published.
    run --code '45233140-9'
    [ "$status" -eq 0 ] && [ "$(cat out)" = $'45233140\tStraßenarbeiten' ] &&
        [ "$(cat err)" = "cpvquery: the check digit of '45233140-9' is not the published one: 45233140-2" ] ||
        fail "45233140-9: status $status, $(cat out err)"
    local text
    for text in '03000000-12' '03000000 - 1' '0300000-1'; do
        run --code "$text" --print-filter
        [ "$status" -eq 0 ] && [ "$(head -n 1 out)" = "FILTER[ CPV_ID >= '$text' AND CPV_ID < '${text}9999999' ]" ] ||
            fail "$text: status $status, $(head -n 1 out)"
    done
}

# --check-digit writes the published form in every mode that lists codes, each of them against
# the carried digits the source's codes have; the printed list keeps its own and refuses it.
case_check_digit() {
    local digits
    digits=$(dirname "$source_tsv")/cpv2007-check-digits.tsv
    run --check-digit
    awk -F '\t' 'NR == FNR { if (FNR > 1) digit[$1] = $2; next } FNR > 1 { print $1 "-" digit[$1] "\t" $2 }' \
        "$digits" "$source_tsv" >expected
    [ "$status" -eq 0 ] && [ "$(wc -l <expected)" -eq 9454 ] && cmp -s out expected ||
        fail "--check-digit: status $status, $(cmp out expected)"
    local call expected_first
    while IFS='|' read -r call expected_first; do
        # shellcheck disable=SC2086
        run $call --check-digit
        [ "$status" -eq 0 ] && [ "$(head -n 1 out)" = "$expected_first" ] ||
            fail "$call --check-digit: status $status, $(head -n 1 out) $(cat err)"
    done <<'CALLS'
--filter CPV_ID='45233140'|45233140-2	Straßenarbeiten
--words straßenarbeiten --limit 1|45233140-2	Straßenarbeiten
--code 03111 --locate|03111000-2	03111000-2: Saatgut
--tree|0	CPV-Codes
CALLS
    run --tree --check-digit
    [ "$(sed -n 3p out)" = $'2\t03100000-2: Landwirtschafts- und Gartenbauerzeugnisse' ] ||
        fail "--tree --check-digit: $(sed -n 3p out)"
    refused "options '--pdf' and '--check-digit' cannot be combined" --pdf x.pdf --check-digit
    refused "options '--check-digit' and '--page-file' cannot be combined" --check-digit --page-file x.ndr
}

# The report modes run in the report program, found beside cpvquery or, installed, in
# ../libexec/kodexa; nothing else of that name is run, and a missing one is told.
case_report_program_lookup() {
    [ -n "$report_program" ] && [ -x "$report_program" ] || exit 77
    mkdir -p alone installed/bin installed/libexec/kodexa path
    cp "$cpvquery" alone/cpvquery
    cp "$cpvquery" installed/bin/cpvquery
    ln -s "$report_program" installed/libexec/kodexa/cpvquery-report
    printf '#!/bin/sh\necho impostor\n' >path/cpvquery-report
    chmod +x path/cpvquery-report

    PATH="$scratch/path:$PATH" alone/cpvquery --report-summary >out 2>err
    status=$?
    [ "$status" -eq 1 ] || fail "without the report program: exit status $status"
    grep -q "^cpvquery: cannot find the report program cpvquery-report in $scratch/alone or $scratch/libexec/kodexa$" err ||
        fail "without the report program: $(cat err)"
    [ ! -s out ] || fail "without the report program: output $(cat out)"
    alone/cpvquery --code 03000000 >out 2>err || fail "a search needs no report program: $(cat err)"

    installed/bin/cpvquery --code 03000000 --report-summary >out 2>err
    status=$?
    [ "$status" -eq 0 ] || fail "installed: exit status $status ($(cat err))"
    [ "$(cat out)" = $'1\t1\t03000000..03000000\npages\t1' ] || fail "installed: $(cat out)"
    # Refusals of the report program keep their status through the handover.
    installed/bin/cpvquery --page-file missing.ndr >out 2>err
    status=$?
    [ "$status" -eq 2 ] || fail "a refused page file: exit status $status"
    grep -q '^cpvquery: Cannot open "missing.ndr"' err || fail "a refused page file: $(cat err)"

    # Found but not runnable: the reason is told.
    rm installed/libexec/kodexa/cpvquery-report
    printf 'not a program\n' >installed/libexec/kodexa/cpvquery-report
    installed/bin/cpvquery --report-summary >out 2>err
    status=$?
    [ "$status" -eq 1 ] || fail "a report program that cannot run: exit status $status"
    grep -q "^cpvquery: cannot start the report program $scratch/installed/libexec/kodexa/cpvquery-report: Permission denied$" err ||
        fail "a report program that cannot run: $(cat err)"
}

# A search or the list in code order, in the program's own locale, never loads ICU; an order by
# description does.
case_icu_on_demand() {
    LD_DEBUG=libs /bin/sh -c : 2>&1 | grep -q "initialize program" || exit 77 # no loader that tells
    local call
    # In a German or C locale the order by description is the carried one, read without ICU.
    for call in "--code 03" "--desc obst" "" "--code 0 --locate" "--sort desc" "--sort desc --desc obst"; do
        # shellcheck disable=SC2086
        env -u LC_ALL -u LC_COLLATE LANG=C.UTF-8 LD_DEBUG=libs "$cpvquery" $call >out 2>err
        status=$?
        [ "$status" -eq 0 ] || fail "'$call': exit status $status"
        ! grep -q "libicu" err || fail "'$call' loaded ICU"
    done
    env -u LC_ALL -u LC_COLLATE LANG=C.UTF-8 "$cpvquery" --sort desc --desc obst >german
    grep -q $'^15940000\tApfelwein und andere Obstweine$' german || fail "--sort desc: $(head -n 2 german)"
    # English has no tailoring of its own, as German has none: ICU, loaded now, gives the same order
    # of the whole list.
    env -u LC_ALL -u LC_COLLATE LANG=C.UTF-8 "$cpvquery" --sort desc >german
    env -u LC_ALL -u LC_COLLATE LANG=en_GB.UTF-8 LD_DEBUG=libs "$cpvquery" --sort desc >out 2>err
    grep -q "libicui18n" err || fail "--sort desc in en_GB did not load ICU: has it been linked?"
    cmp -s out german || fail "en_GB: another order of the full list by description"
    # Another locale has its rules looked at, and the result is the same.
    env -u LC_ALL -u LC_COLLATE LANG=C.UTF-8 "$cpvquery" --code 03 >german
    env -u LC_ALL -u LC_COLLATE LANG=sv_SE.UTF-8 "$cpvquery" --code 03 >out || fail "sv_SE: exit status $?"
    cmp -s out german || fail "sv_SE: another list of codes"
}

# count EXPR [ARGS...]: the number of rows that --filter EXPR prints; the call must succeed quietly.
count() {
    run --filter "$@"
    [ "$status" -eq 0 ] && [ ! -s err ] || fail "--filter $*: exit status $status ($(cat err))"
    wc -l <out | tr -d ' '
}

# A --filter expression is the table's filter as it is: the rows it keeps, in the order chosen.
case_filter_rows() {
    [ -f "$source_tsv" ] || exit 77
    # Rows equal to an upper bound belong to it, as they do to a lower one.
    [ "$(count "CPV_ID = '03000000'")" = 1 ] || fail "CPV_ID = '03000000': $(cat out)"
    [ "$(count "NOT CPV_ID <> '03000000'")" = 1 ] || fail "NOT CPV_ID <> '03000000': $(cat out)"
    [ "$(count "CPV_ID <= '03110000'")" = 3 ] || fail "CPV_ID <= '03110000': $(cat out)"
    [ "$(count "CPV_ID < '03110000'")" = 2 ] || fail "CPV_ID < '03110000': $(cat out)"
    [ "$(cut -f 1 out | tr '\n' ' ')" = "03000000 03100000 " ] || fail "CPV_ID < '03110000': $(cat out)"
    [ "$(count "CPV_ID >= '03111000' AND CPV_ID <= '03111900'")" = 10 ] || fail "a range of codes: $(cat out)"
    [ "$(count "CPV_DESC IS NULL")" = 0 ] || fail "CPV_DESC IS NULL: $(cat out)"
    [ "$(count "CPV_DESC IS NOT NULL")" = 9454 ] || fail "CPV_DESC IS NOT NULL: $(wc -l <out)"
    [ "$(count "")" = 9454 ] || fail "an empty expression: $(wc -l <out)"
    [ "$(count "   ")" = 9454 ] || fail "an expression of blanks: $(wc -l <out)"
    [ "$(count $' \t\n')" = 9454 ] || fail "an expression of tabs and a line break: $(wc -l <out)"

    # Rows as the source has them, for an OR of two beginnings and for a word but not another.
    run --filter "CPV_ID LIKE '03%' OR cpv_id like '09%'"
    awk -F '\t' 'NR > 1 && (substr($1, 1, 2) == "03" || substr($1, 1, 2) == "09")' "$source_tsv" >expected
    [ "$(wc -l <expected)" -eq 324 ] && cmp -s out expected || fail "two beginnings differ from the source's rows"
    run --filter "UPPER(CPV_DESC) LIKE '%OBST%' AND NOT UPPER(CPV_DESC) LIKE '%WEIN%'"
    awk -F '\t' 'NR > 1 && toupper($2) ~ /OBST/ && toupper($2) !~ /WEIN/' "$source_tsv" >expected
    [ "$(wc -l <expected)" -eq 16 ] && cmp -s out expected || fail "obst but not wein differs from the source's rows"
    # AND binds tighter than OR.
    [ "$(count "CPV_ID = '03000000' OR CPV_ID LIKE '09%' AND CPV_DESC LIKE 'Kohle%'")" = 4 ] ||
        fail "AND before OR: $(cat out)"

    # In the order --sort chooses: the filter that the search builds gives the search's rows.
    same_output --filter "UPPER(CPV_DESC) LIKE '%OBST%'" --sort desc -- --desc obst --sort desc
    same_output --sort=desc --filter="CPV_ID >= '03' AND CPV_ID < '039999999'" -- --code 03 --sort desc
    run --filter "CPV_ID <= '03110000'" --sort desc --print-filter
    [ "$status" -eq 0 ] && [ "$(cut -f 1 out | tr '\n' ' ')" = "FILTER[CPV_ID <= '03110000'] 03110000 03000000 03100000 " ] ||
        fail "--sort desc --print-filter: $(cat out)"
    # The modes that show the table take the filtered rows.
    run --filter "CPV_ID = '03111000'" --locate
    [ "$status" -eq 0 ] && [ "$(cat out)" = $'03111000\t03111000: Saatgut' ] || fail "--locate: $(cat out)"
    if [ -n "$report_program" ]; then
        run --filter "CPV_ID <= '03110000'" --report-summary
        [ "$status" -eq 0 ] && [ "$(cat out)" = $'1\t3\t03000000..03110000\npages\t1' ] ||
            fail "--report-summary: status $status, $(cat out) $(cat err)"
    fi
}

# A rejected expression: the reader's message on standard error, no rows, status 2. Together with
# --code or --desc the call is wrong.
case_filter_refused() {
    local expression message
    while IFS='|' read -r expression message; do
        run --filter "$expression"
        [ "$status" -eq 2 ] || fail "--filter '$expression': exit status $status, expected 2"
        [ "$(cat err)" = "$message" ] || fail "--filter '$expression': standard error '$(cat err)', expected '$message'"
        [ ! -s out ] || fail "--filter '$expression': rows for a rejected expression: $(head -c 200 out)"
    done <<'END'
CPV_ID =|Ausdruck erwartet, jedoch leer vorgefunden.
CPV_ID = '03|Nicht begrenzte String-Konstante.
CPV_ID = '03' %|Ungültiges Zeichen in Filterausdruck: '%'
(CPV_ID = '03'|Filterausdruck fehlerhaft abgeschlossen.
CPV_ID = 3|Fehlende Typübereinstimmung im Ausdruck.
CPV_ID IS 'x'|Ungültige Verwendung eines Schlüsselworts.
CPV_ID|Ungültiger Filterausdruck.
CODE = '03'|ClientDataSet1: Das Feld 'CODE' wurde nicht gefunden.
END
    run --filter "CPV_DESC = 'Äpfel" --print-filter
    [ "$status" -eq 2 ] && [ ! -s out ] || fail "a rejected expression with --print-filter: status $status, $(cat out)"
    if [ -n "$report_program" ]; then
        run --filter "CPV_ID <=" --report-summary
        [ "$status" -eq 2 ] && [ ! -s out ] && [ "$(cat err)" = "Ausdruck erwartet, jedoch leer vorgefunden." ] ||
            fail "a rejected expression with --report-summary: status $status, $(cat out) $(cat err)"
    fi
    refused "options '--filter' and '--code' cannot be combined" --filter "CPV_ID = '03000000'" --code 03
    refused "options '--desc' and '--filter' cannot be combined" --desc obst --sort desc --filter "CPV_ID = '03'"
    refused "options '--filter' and '--tree' cannot be combined" --filter "CPV_ID = '03'" --tree
    refused "options '--filter' and '--page-file' cannot be combined" --filter "CPV_ID = '03'" --page-file x.ndr
    run --filter $'CPV_DESC = \'\xe4\''
    [ "$status" -eq 2 ] && [ "$(cat err)" = "cpvquery: option '--filter': the value is not valid UTF-8" ] ||
        fail "--filter with a byte that is not UTF-8: status $status, $(cat err)"
}

# Text from outside that a message repeats (a token of an expression, a file name) reaches the
# terminal with its control characters escaped, as an argument in a usage error does.
case_hostile_text_in_messages() {
    local call expected
    while IFS='|' read -r call expected; do
        eval "run $call"
        [ "$status" -ne 0 ] || fail "$call: exit status 0"
        [ "$(head -n 1 err)" = "$expected" ] || fail "$call: standard error '$(head -n 1 err | od -c | head -3)', expected '$expected'"
    done <<'END'
--filter $'CPV_ID = \'x\' \e'|Ungültiges Zeichen in Filterausdruck: '\x1B'
--desc $'x\' or \e'|Ungültiges Zeichen in Filterausdruck: '\x1B'
--code $'03\' \e'|Ungültiges Zeichen in Filterausdruck: '\x1B'
END
    [ -n "$report_program" ] || return 0
    while IFS='|' read -r call expected; do
        eval "run $call"
        [ "$status" -ne 0 ] || fail "$call: exit status 0"
        [ "$(cat err)" = "$expected" ] || fail "$call: standard error '$(od -c err | head -3)', expected '$expected'"
    done <<'END'
--page-file $'x\e]0;PWNED\a.ndr'|cpvquery: Cannot open "x\x1B]0;PWNED\x07.ndr". No such file or directory
--code 03111 --pdf $'no\e[2J/x.pdf'|cpvquery: Cannot write "no\x1B[2J/x.pdf". No such file or directory
--page-file $'\e[1m' --pdf x.pdf|cpvquery: Cannot open "\x1B[1m". No such file or directory
END
}

# A rejected search or filter writes no PDF: the file that is there stays as it was.
case_rejected_search_writes_nothing() {
    [ -n "$report_program" ] || exit 77
    local call
    for call in "--desc|x' or y" "--code|03' or x" "--filter|CPV_ID ="; do
        echo keep >keep.pdf
        run "${call%%|*}" "${call#*|}" --pdf keep.pdf
        [ "$status" -eq 2 ] || fail "$call --pdf: exit status $status, expected 2"
        [ -s err ] || fail "$call --pdf: no message"
        [ "$(cat keep.pdf)" = keep ] || fail "$call --pdf: the file was rewritten"
        [ "$(ls -A | LC_ALL=C sort | tr '\n' ' ')" = "err keep.pdf out " ] || fail "$call --pdf: files left: $(ls -A)"
    done
}

# The keyword search: ranked codes as code TAB term, the limit, nothing (and success) for nonsense,
# and the options it cannot go with.
case_keyword_words() {
    run --words "reinigung büro" --limit 3
    [ "$status" -eq 0 ] && [ ! -s err ] || fail "--words: status $status, $(cat err)"
    [ "$(wc -l <out)" -eq 3 ] || fail "--words --limit 3 printed $(wc -l <out) lines"
    grep -q $'^90919200\tBüroreinigung$' out || fail "--words 'reinigung büro' misses Büroreinigung: $(cat out)"
    run --words=laptop
    [ "$status" -eq 0 ] && [ "$(wc -l <out)" -le 20 ] && [ "$(head -n 1 out | cut -f1)" = 30213100 ] ||
        fail "--words laptop: status $status, $(head -n 1 out)"
    run --words qwrtzpl
    [ "$status" -eq 0 ] && [ ! -s out ] && [ ! -s err ] || fail "--words nonsense: status $status, $(cat out err)"
    # A code as published leads; a tender's title is read past its frame.
    run --words "45233140-2" --limit 1
    [ "$status" -eq 0 ] && [ "$(cat out)" = $'45233140\tStraßenarbeiten' ] || fail "--words 45233140-2: $(cat out err)"
    run --words "Rahmenvertrag zur Lieferung von Magnesiumoxid, Los 2 (VE3087)" --limit 1
    [ "$status" -eq 0 ] && [ "$(cut -f1 out)" = 24212500 ] || fail "--words with a title's frame: $(cat out err)"
    # The synonyms come from the thesaurus file KODEXA_OPENTHESAURUS names; without one the stage
    # is silent, never an error.
    printf '# a thesaurus of one set\nSprachmittlerin;Dolmetscher\n' >thesaurus.txt
    KODEXA_OPENTHESAURUS=$PWD/thesaurus.txt run --words Sprachmittlerin --limit 1
    [ "$status" -eq 0 ] && [ "$(cut -f1 out)" = 79540000 ] || fail "--words through a given thesaurus: $(cat out err)"
    KODEXA_OPENTHESAURUS=$PWD/no-such-file run --words Sprachmittlerin
    [ "$status" -eq 0 ] && [ ! -s err ] && ! grep -q 79540000 out || fail "--words without a thesaurus: $(cat out err)"
    local option
    for option in "--code 03" "--desc x" "--sort desc" "--tree" "--locate"; do
        read -r -a given <<<"$option"
        refused "options '--words' and '${given[0]}' cannot be combined" --words büro "${given[@]}"
    done
    refused "options '--filter' and '--words' cannot be combined" --filter "CPV_ID = '03'" --words büro
    refused "option '--limit' goes only with '--words'" --limit 5
    refused "options '--code' and '--limit' cannot be combined" --code 03 --limit 5
    refused "option '--limit' takes a whole number from 1 to 9454, not '0'" --words büro --limit 0
    refused "option '--limit' takes a whole number from 1 to 9454, not '9455'" --words büro --limit 9455
    refused "option '--limit' takes a whole number from 1 to 9454, not '-1'" --words büro --limit=-1
    refused "option '--words' needs a value" --words
    run --words büro --limit 9454
    [ "$status" -eq 0 ] && [ -s out ] || fail "--limit 9454: status $status"
    # The value counts, not its leading zeros.
    run --words büro --limit 0000000005
    [ "$status" -eq 0 ] && [ "$(wc -l <out)" -eq 5 ] || fail "--limit 0000000005: status $status, $(cat err)"
    refused "option '--limit' takes a whole number from 1 to 9454, not '0000'" --words büro --limit 0000
}

run_case "$case_name" cpvquery_cli.sh
