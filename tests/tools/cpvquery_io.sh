#!/usr/bin/env bash
# cpvquery's input and output at the edges: standard output that cannot be written, PDF targets
# that are devices, FIFOs, links or names that are not UTF-8, command-line text that is not what the
# code list can hold, and environments without a usable locale, fonts or runtime folder.
#
#   cpvquery_io.sh CPVQUERY CASE        (exit 0: passed, 77: cannot be tried here, else failed)
set -uo pipefail
cpvquery=$1
case_name=$2
source "$(dirname "$0")/case_support.sh"

expect_status() {
    [ "$status" -eq "$1" ] || fail "exit status $status, expected $1 ($(head -c 300 err))"
}

expect_err() {
    [ "$(cat err)" = "$1" ] || fail "standard error: '$(cat err)', expected '$1'"
}

# expect_files "NAMES" WHEN: the working folder holds just these names (sorted), nothing left behind.
expect_files() {
    local found
    found=$(ls -A | LC_ALL=C sort | tr '\n' ' ')
    [ "$found" = "$1 " ] || fail "$2: files left: $found"
}

# expect_pdf FILE WHEN: the file holds a PDF.
expect_pdf() {
    [ "$(head -c 5 "$1")" = "%PDF-" ] || fail "$2: no PDF in $1"
}

expect_type() { # expect_type -c|-p|-f|-L FILE
    test "$1" "$2" || fail "$2 is no longer what it was ($(ls -l "$2" 2>&1))"
}

# A device that refuses writes as /dev/full does, of the test's own where that may be made, so that
# a fault that replaced it costs nothing; /dev/full itself only where the test could not replace it.
full_device() {
    if mknod full c 1 7 2>/dev/null; then
        echo "$scratch/full"
    elif [ "$(id -u)" -ne 0 ]; then
        echo /dev/full
    fi
}

case_stdout_full() {
    "$cpvquery" >/dev/full 2>err
    status=$?
    expect_status 1
    expect_err "cpvquery: cannot write standard output: No space left on device"
    "$cpvquery" --report-summary >/dev/full 2>err
    status=$?
    expect_status 1
    expect_err "cpvquery: cannot write standard output: No space left on device"
    # A short result stays in the buffer until the end and must fail there.
    "$cpvquery" --code 03000000 >/dev/full 2>err
    status=$?
    expect_status 1
    expect_err "cpvquery: cannot write standard output: No space left on device"
}

case_stdout_closed() {
    "$cpvquery" --code 03000000 >&- 2>err
    status=$?
    expect_status 1
    expect_err "cpvquery: cannot write standard output: Bad file descriptor"
    # Nothing to write: a closed standard output is no failure.
    "$cpvquery" --code 03000000 --pdf list.pdf >&- 2>err
    status=$?
    expect_status 0
    expect_err ""
}

case_pdf_full_device() {
    local device
    device=$(full_device)
    [ -n "$device" ] || exit 77
    run --pdf "$device"
    expect_status 1
    expect_err "cpvquery: Cannot write \"$device\". No space left on device"
    expect_type -c "$device"
}

case_pdf_fifo_with_reader() {
    mkfifo list.pdf
    # The shell holds both ends while cat starts, so cpvquery finds a reader at once and cat sees
    # the end only after the shell lets go.
    exec 3<>list.pdf
    cat list.pdf >received 3>&- &
    local reader=$!
    run --pdf list.pdf
    exec 3>&-
    wait "$reader"
    expect_status 0
    expect_err ""
    expect_type -p list.pdf
    [ "$(head -c 5 received)" = "%PDF-" ] || fail "the reader got no PDF"
    pdfinfo received 2>/dev/null | grep -q '^Pages: *186$' || fail "the PDF that came through is not whole"
}

case_pdf_fifo_without_reader() {
    mkfifo list.pdf
    run --pdf list.pdf
    expect_status 1
    expect_err 'cpvquery: Cannot write "list.pdf". No program reads from the FIFO'
    expect_type -p list.pdf
}

case_pdf_replaces_regular_file() {
    echo old >list.pdf
    chmod 640 list.pdf
    ln -s list.pdf link.pdf
    run --code 03000000 --pdf link.pdf
    expect_status 0
    expect_type -L link.pdf
    [ "$(head -c 5 list.pdf)" = "%PDF-" ] || fail "the link's target was not written"
    [ "$(stat -c %a list.pdf)" = 640 ] || fail "the file lost its permissions"
    [ "$(ls -A | LC_ALL=C sort | tr '\n' ' ')" = "err link.pdf list.pdf out " ] || fail "files left behind: $(ls -A)"
    # A folder in the way is refused and stays.
    mkdir folder.pdf
    run --pdf folder.pdf
    expect_status 1
    expect_err 'cpvquery: Cannot write "folder.pdf". Is a directory'
    expect_type -d folder.pdf
}

# A name that stands for an open descriptor writes to it where it stands: what the shell wrote
# around it stays, ">>" appends.
case_pdf_open_descriptor() {
    echo before >app.log
    "$cpvquery" --code 03111 --pdf /dev/stdout >>app.log 2>err
    status=$?
    expect_status 0
    [ "$(head -n 1 app.log)" = before ] || fail ">> /dev/stdout: the log lost its start: $(head -c 40 app.log)"
    [ "$(sed -n 2p app.log | head -c 5)" = "%PDF-" ] || fail ">> /dev/stdout: no PDF after the log's line"
    local name
    for name in /dev/stdout /dev/fd/1 /proc/self/fd/1; do
        { echo A; "$cpvquery" --code 03111 --pdf "$name" 2>err; echo B; } >grouped
        [ "$(head -n 1 grouped)" = A ] && [ "$(tail -n 1 grouped)" = B ] ||
            fail "{ echo A; --pdf $name; echo B; }: $(head -c 20 grouped | od -c | head -2)"
        grep -q '%%EOF' grouped || fail "--pdf $name: no whole PDF"
    done
    "$cpvquery" --code 03111 --pdf /dev/fd/3 3>>app.log >out 2>err
    status=$?
    expect_status 0
    [ "$(grep -c '%%EOF' app.log)" = 2 ] && [ "$(head -n 1 app.log)" = before ] || fail "/dev/fd/3: not appended"
    # A descriptor open for reading only is refused and stays a file.
    echo input >input
    "$cpvquery" --code 03111 --pdf /dev/stdin <input >out 2>err
    status=$?
    expect_status 1
    expect_err 'cpvquery: Cannot write "/dev/stdin". Descriptor 0 is not open for writing'
    [ "$(cat input)" = input ] || fail "/dev/stdin: the file was changed"
}

# run_as_user ARGS...: runs cpvquery as run does, as nobody (root's only way to meet a permission)
# or as it is.
run_as_user() {
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$cpvquery" "$@" >out 2>err
    else
        "$cpvquery" "$@" >out 2>err
    fi
    status=$?
}

# A file the user may not write stays; one that is replaced keeps owner, group, mode and names.
case_pdf_permissions() {
    if [ "$(id -u)" -eq 0 ]; then
        command -v setpriv >/dev/null && setpriv --reuid=nobody true 2>/dev/null || exit 77
        chmod 711 "$scratch"
        # A build in a closed folder (root's home) is out of nobody's reach: the two programs are
        # copied where nobody may run them.
        mkdir -m 755 "$scratch/bin"
        cp "$cpvquery" "$(dirname "$cpvquery")/cpvquery-report" "$scratch/bin/" || exit 1
        cpvquery=$scratch/bin/$(basename "$cpvquery")
    fi
    mkdir -m 777 shared && cd shared || exit 1
    echo old >readonly.pdf
    chmod 444 readonly.pdf
    run_as_user --code 03111 --pdf readonly.pdf
    expect_status 1
    expect_err 'cpvquery: Cannot write "readonly.pdf". Permission denied'
    [ "$(cat readonly.pdf)" = old ] || fail "a file the user may not write was replaced"
    expect_files "err out readonly.pdf" "a file the user may not write"

    # Hard links see the new content: the file is written in place.
    echo old >linked.pdf
    chmod 666 linked.pdf
    ln linked.pdf other-name.pdf
    run_as_user --code 03111 --pdf linked.pdf
    expect_status 0
    expect_pdf other-name.pdf "the other name kept the old content"
    [ "$(stat -c '%h %i' linked.pdf)" = "2 $(stat -c %i other-name.pdf)" ] || fail "the link was broken"

    [ "$(id -u)" -eq 0 ] || return 0
    # Root writes a read-only file of another user, as cp does, and leaves it that user's.
    echo old >theirs.pdf
    chown nobody:nogroup theirs.pdf
    chmod 440 theirs.pdf
    run --code 03111 --pdf theirs.pdf
    expect_status 0
    expect_pdf theirs.pdf "root could not write the read-only file"
    [ "$(stat -c '%U:%G %a' theirs.pdf)" = "nobody:nogroup 440" ] || fail "owner or mode lost: $(stat -c '%U:%G %a' theirs.pdf)"
    # A group-writable file of root's that nobody replaces stays root's.
    echo old >group.pdf
    chmod 666 group.pdf
    run_as_user --code 03111 --pdf group.pdf
    expect_status 0
    [ "$(stat -c '%U %a' group.pdf)" = "root 666" ] && [ "$(head -c 5 group.pdf)" = "%PDF-" ] ||
        fail "another user's file: $(stat -c '%U %a' group.pdf)"
    # A writable file in a folder that takes no new file: the folder is named.
    mkdir -m 755 closed
    echo old >closed/list.pdf
    chmod 666 closed/list.pdf
    run_as_user --code 03111 --pdf closed/list.pdf
    expect_status 1
    expect_err 'cpvquery: Cannot write "closed/list.pdf". Permission denied: the folder "closed" takes no new file'
    [ "$(cat closed/list.pdf)" = old ] || fail "the file in the closed folder changed"
}

# The longest name the file system takes is written, although the temporary name is longer.
case_pdf_long_name() {
    local name
    name=$(printf 'x%.0s' $(seq 251)).pdf
    echo old >"$name"
    run --code 03111 --pdf "$name"
    expect_status 0
    expect_pdf "$name" "a name of 255 bytes was not replaced"
    rm -f "$name"
    run --code 03111 --pdf "$name"
    expect_status 0
    [ -f "$name" ] || fail "a new name of 255 bytes was not made"
    expect_files "err out $name" "a name of 255 bytes"
    run --code 03111 --pdf "x$name"
    expect_status 1
    expect_err "cpvquery: Cannot write \"x$name\". File name too long"
}

# The report modes need no display, whatever platform the environment names.
case_platform_ignored() {
    local platform
    for platform in wayland xcb bogus eglfs; do
        env QT_QPA_PLATFORM=$platform DISPLAY=:99 WAYLAND_DISPLAY=no-such-socket \
            "$cpvquery" --code 03111 --pdf list.pdf >out 2>err
        status=$?
        expect_status 0
        expect_err ""
        expect_pdf list.pdf "$platform"
        rm -f list.pdf
        env QT_QPA_PLATFORM=$platform DISPLAY= "$cpvquery" --code 03111 --report-summary >out 2>err
        status=$?
        expect_status 0
        [ "$(cat out)" = $'1\t10\t03111000..03111900\npages\t1' ] || fail "$platform: summary $(cat out)"
    done
}

# A signal while the PDF is written ends the program by that signal and leaves neither the
# unfinished file nor the runtime folder; the old file stays. The signal is sent as soon as the
# unfinished file shows; a run that ends before that is tried again.
case_pdf_signal_cleanup() {
    env --default-signal=INT true 2>/dev/null || exit 77 # a background job ignores SIGINT otherwise
    mkdir tmp
    local signal number tries
    for signal in INT TERM HUP; do
        number=$(kill -l "$signal")
        for tries in 1 2 3 4 5; do
            echo old >list.pdf
            env --default-signal=INT -u XDG_RUNTIME_DIR TMPDIR="$scratch/tmp" "$cpvquery" --pdf list.pdf 2>err &
            local pid=$!
            while ! compgen -G 'list.pdf.*' >/dev/null && kill -0 "$pid" 2>/dev/null; do :; done
            kill "-$signal" "$pid" 2>/dev/null
            wait "$pid"
            status=$?
            [ "$status" -eq 0 ] || break
        done
        [ "$status" -ne 0 ] || exit 77 # never caught while writing
        [ "$status" -eq $((128 + number)) ] || fail "SIG$signal: exit status $status ($(cat err))"
        [ "$(cat list.pdf)" = old ] || fail "SIG$signal: the old file was changed"
        expect_files "err list.pdf tmp" "SIG$signal"
        [ -z "$(ls -A tmp)" ] || fail "SIG$signal: left in the temporary folder: $(ls -A tmp)"
        rm -rf tmp/*
    done
}

# Out of memory while the PDF is made: a message, status 1, the old file as it was.
case_pdf_out_of_memory() {
    local limit caught=0
    for limit in 100000 120000 140000; do
        echo old >list.pdf
        (ulimit -v "$limit" && exec "$cpvquery" --code 03111 --pdf list.pdf) >out 2>err
        status=$?
        expect_files "err list.pdf out" "ulimit -v $limit"
        [ "$status" -eq 0 ] && continue
        caught=1
        expect_status 1
        expect_err "cpvquery: out of memory"
        [ "$(cat list.pdf)" = old ] || fail "ulimit -v $limit: the old file was changed"
    done
    [ "$caught" -eq 1 ] || exit 77 # enough memory even so
}

# Standard descriptors closed by the caller stay closed for what is written to them: no file the
# program opens takes their number.
case_standard_descriptors_closed() {
    "$cpvquery" --code 03111 --report-summary >&- 2>err
    status=$?
    expect_status 1
    expect_err "cpvquery: cannot write standard output: Bad file descriptor"
    "$cpvquery" --code 03111 --pdf /dev/stdout >&- 2>err
    status=$?
    expect_status 1
    expect_err 'cpvquery: Cannot write "/dev/stdout". Bad file descriptor'
    "$cpvquery" --code 03111 --pdf list.pdf <&- >&- 2>&-
    status=$?
    expect_status 0
    [ "$(head -c 5 list.pdf)" = "%PDF-" ] && [ "$(tail -c 6 list.pdf | tr -d '\n')" = "%%EOF" ] ||
        fail "the PDF with every standard descriptor closed: $(head -c 40 list.pdf | od -c | head -2)"
    "$cpvquery" --code 03111 --pdf missing/list.pdf 2>&-
    status=$?
    expect_status 1
    expect_files "err list.pdf" "standard error closed"
    # A real /dev/null is no closed descriptor.
    "$cpvquery" --code 03111 --pdf /dev/stdout >/dev/null 2>err
    status=$?
    expect_status 0
}

# A file size limit: the write fails with its reason, status 1, no unfinished file stays.
case_file_size_limit() {
    echo old >list.pdf
    (ulimit -f 10 && exec "$cpvquery" --pdf list.pdf) >out 2>err
    status=$?
    expect_status 1
    expect_err 'cpvquery: Cannot write "list.pdf". File too large'
    [ "$(cat list.pdf)" = old ] || fail "the old file was changed"
    expect_files "err list.pdf out" "ulimit -f"
    (ulimit -f 10 && exec "$cpvquery" --tree) >tree 2>err
    status=$?
    expect_status 1
    expect_err "cpvquery: cannot write standard output: File too large"
}

case_pdf_name_bytes() {
    local name
    for locale in C.UTF-8 C unset; do
        mkdir "$locale" && cd "$locale" || exit 1
        for name in $'Liste-\xff.pdf' $'Liste-\xc3\xa4.pdf' $'\xe4\xf6\xfc'; do
            if [ "$locale" = unset ]; then
                env -u LANG -u LC_ALL -u LC_CTYPE "$cpvquery" --code 03000000 --pdf "$name" >out 2>err
            else
                LC_ALL=$locale LANG=$locale "$cpvquery" --code 03000000 --pdf "$name" >out 2>err
            fi
            status=$?
            expect_status 0
            [ -f "$name" ] || fail "locale $locale: no file of the name's bytes ($(ls | od -c | head -3))"
            # A page file of such a name opens too: the name reaches the file system unchanged.
            printf 'KXPAGES\032' >"$name.ndr"
            if [ "$locale" = unset ]; then
                env -u LANG -u LC_ALL -u LC_CTYPE "$cpvquery" --page-file "$name.ndr" >out 2>err
            else
                LC_ALL=$locale LANG=$locale "$cpvquery" --page-file "$name.ndr" >out 2>err
            fi
            status=$?
            expect_status 2
            grep -q "ends too early" err || fail "locale $locale: the page file was not read: $(cat err)"
            rm -f -- "$name" "$name.ndr"
        done
        [ "$(ls -A | LC_ALL=C sort | tr '\n' ' ')" = "err out " ] || fail "locale $locale: other files: $(ls -A | od -c | head -3)"
        cd ..
    done
}

case_text_options_strict() {
    local value
    for value in $'\xc0\xa7' $'\xc0\x80' $'a\xe0\x80\xa7' $'\xed\xa0\x80' $'\xf4\x90\x80\x80' $'\xf8\x88\x80\x80\x80' \
        $'x\xc3' $'\xe2\x82' $'\xff' $'Erd\xe4pfel'; do
        run --desc "$value"
        expect_status 2
        expect_err "cpvquery: option '--desc': the value is not valid UTF-8"
        [ ! -s out ] || fail "output for a refused value"
    done
    run --code $'03\xc0\xa7'
    expect_status 2
    expect_err "cpvquery: option '--code': the value is not valid UTF-8"
    run --desc "中文"
    expect_status 2
    expect_err "cpvquery: option '--desc': the value has a character that the code list cannot hold: U+4E2D"
    run --desc $'\xf0\x9f\x98\x80'
    expect_status 2
    expect_err "cpvquery: option '--desc': the value has a character that the code list cannot hold: U+1F600"
    # What the code page holds passes as it is.
    run --desc "Erdäpfel"
    expect_status 0
    grep -q $'^03212000\tKartoffeln/Erdäpfel und Trockengemüse$' out || fail "ä did not find Erdäpfel"
    run --desc "Café"
    expect_status 0
    grep -q "Café" out || fail "é did not find Café"
    run --desc "€" --print-filter
    expect_status 0
    grep -q "€" out || fail "€ did not reach the filter"
}

case_unusable_locale() {
    LC_ALL= LC_COLLATE= LANG=C "$cpvquery" --sort desc >german 2>err # C means German
    [ -s german ] || fail "no list"
    local name
    for name in Germanyyyyyyyy Germanyyyyyyyyyyyyyyyyyyyy de_DE@euro de_DE.UTF-8@euro; do
        LC_ALL= LC_COLLATE= LANG=$name "$cpvquery" --sort desc >out 2>err
        status=$?
        expect_status 0
        expect_err ""
        cmp -s out german || fail "LANG=$name: not the German order"
    done
    # The report too (fontconfig may warn about the name; that is its own business).
    LC_ALL= LC_COLLATE= LANG=C "$cpvquery" --report-summary >summary 2>/dev/null
    LC_ALL= LC_COLLATE= LANG=Germanyyyyyyyy "$cpvquery" --report-summary >out 2>err
    status=$?
    expect_status 0
    cmp -s out summary || fail "LANG=Germanyyyyyyyy: another report"
}

case_no_fonts_known() {
    fc-list >/dev/null 2>&1 || exit 77
    [ -f /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf ] || exit 77
    mkdir fontconfig
    cat >fontconfig/fonts.conf <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <cachedir>$scratch/fontconfig/cache</cachedir>
</fontconfig>
CONF
    [ -z "$(FONTCONFIG_FILE=$scratch/fontconfig/fonts.conf fc-list 2>/dev/null)" ] || fail "the empty configuration knows fonts"
    "$cpvquery" --report-summary >normal 2>/dev/null
    FONTCONFIG_FILE=$scratch/fontconfig/fonts.conf "$cpvquery" --report-summary >out 2>err
    status=$?
    expect_status 0
    expect_err ""
    [ "$(tail -n 1 out)" = $'pages\t186' ] || fail "$(tail -n 1 out) instead of 186 pages"
    cmp -s out normal || fail "the summary differs from the one with the system's fonts"
    FONTCONFIG_FILE=$scratch/fontconfig/fonts.conf "$cpvquery" --pdf list.pdf 2>err
    status=$?
    expect_status 0
    pdftotext -f 1 -l 1 list.pdf page1.txt
    grep -q "Liste der CPV Codes" page1.txt || fail "page 1 has no text: $(head -c 200 page1.txt)"
    grep -q "^03000000$" page1.txt || fail "page 1 has no codes"
}

case_quiet_without_runtime_dir() {
    mkdir tmp
    env -u XDG_RUNTIME_DIR TMPDIR="$scratch/tmp" "$cpvquery" --report-summary >out 2>err
    status=$?
    expect_status 0
    expect_err ""
    [ "$(tail -n 1 out)" = $'pages\t186' ] || fail "no summary"
    [ -z "$(ls -A tmp)" ] || fail "left behind: $(ls -A tmp)"
    env -u XDG_RUNTIME_DIR TMPDIR="$scratch/tmp" "$cpvquery" --code 03000000 --pdf list.pdf >out 2>err
    status=$?
    expect_status 0
    expect_err ""
    # A TMPDIR that names no folder, or one that takes no new folder, gives way to /tmp.
    local fallback="/runtime-$(id -un)"
    local existed=0
    [ -e "$fallback" ] && existed=1
    mkdir -m 555 closed
    local tmpdir
    for tmpdir in "$scratch/missing" "$scratch/list.pdf" "$scratch/closed"; do
        env -u XDG_RUNTIME_DIR TMPDIR="$tmpdir" "$cpvquery" --code 03000000 --report-summary >out 2>err
        status=$?
        expect_status 0
        expect_err ""
        [ ! -e "$scratch/missing" ] || fail "TMPDIR $tmpdir was made"
        [ "$existed" -eq 1 ] || [ ! -e "$fallback" ] || fail "TMPDIR $tmpdir: $fallback was made"
    done
}

run_case "$case_name" cpvquery_io.sh
