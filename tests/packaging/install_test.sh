#!/usr/bin/env bash
# What `cmake --install` puts on a system, checked where it lands: a scratch DESTDIR below the build
# folder with the prefix /usr, as the Debian package has it.
#
#   install_test.sh BUILD_DIR SOURCE_DIR STAGE APP_ID VERSION DEB_VERSION CASE
#       (exit 0: passed, 77: cannot be tried here, else failed)
#
# The case "install" fills STAGE; the others read it (CTest runs it first, as their fixture).
set -uo pipefail
build=$1
source_dir=$2
stage=$3
app_id=$4
version=$5
deb_version=$6
case_name=$7
usr=$stage/usr

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

need() { # need PROGRAM PACKAGE: skips the case on a machine without the program
    command -v "$1" >/dev/null || {
        echo "$1 is missing (Debian package $2)"
        exit 77
    }
}

# Every file that the installation puts down, relative to the prefix.
expected_files() {
    printf '%s\n' bin/Kodexa bin/cpvquery libexec/kodexa/cpvquery-report \
        "share/applications/$app_id.desktop" "share/metainfo/$app_id.metainfo.xml" \
        "share/icons/hicolor/scalable/apps/$app_id.svg" \
        share/man/man1/Kodexa.1.gz share/man/man1/cpvquery.1.gz \
        share/doc/kodexa/copyright share/doc/kodexa/changelog.Debian.gz share/lintian/overrides/kodexa
    for size in 16 24 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x$size/apps/$app_id.png"
    done
}

case_install() {
    rm -rf "$stage"
    # A umask that lets the group write (a common one) must not reach the package's folders.
    (umask 002 && DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null) ||
        { fail "cmake --install failed"; return; }
    diff <(expected_files | sort) <(cd "$usr" && find . -type f -printf '%P\n' | sort) >/dev/null ||
        fail "installed files differ from the list: $(diff <(expected_files | sort) \
            <(cd "$usr" && find . -type f -printf '%P\n' | sort) | grep '^[<>]' | tr '\n' ' ')"
    [ -z "$(find "$usr" ! -type f ! -type d)" ] || fail "links or special files installed"
    local wrong
    wrong=$(find "$usr" -type d ! -perm 0755 -printf '%m %P\n'
        find "$usr/bin" "$usr/libexec" -type f ! -perm 0755 -printf '%m %P\n'
        find "$usr/share" -type f ! -perm 0644 -printf '%m %P\n')
    [ -z "$wrong" ] || fail "modes: $wrong"
}

case_programs() {
    local rows
    rows=$("$usr/bin/cpvquery" --code 03 | wc -l)
    [ "$rows" = 230 ] || fail "installed cpvquery --code 03 gave $rows rows, expected 230"
    "$usr/bin/cpvquery" --code 03000000 >out || fail "cpvquery --code 03000000 failed"
    [ "$(cat out)" = $'03000000\tLandwirtschaftliche Erzeugnisse des Pflanzenbaus und der Tierhaltung sowie Fischerei-, Forst- und zugehörige Erzeugnisse' ] ||
        fail "cpvquery --code 03000000 printed: $(cat out)"
    # The report modes run the installed report program, not the build's.
    [ "$("$usr/bin/cpvquery" --report-summary | tail -n 1)" = $'pages\t186' ] ||
        fail "installed cpvquery --report-summary does not end in 186 pages"
    # Installed programs must not look for libraries in the build folder.
    need readelf binutils
    local program
    for program in Kodexa cpvquery ../libexec/kodexa/cpvquery-report; do
        ! readelf -d "$usr/bin/$program" | grep -Eq 'R(UN)?PATH' ||
            fail "$program keeps a library path: $(readelf -d "$usr/bin/$program" | grep -E 'R(UN)?PATH')"
    done
}

case_desktop_entry() {
    need desktop-file-validate desktop-file-utils
    local entry=$usr/share/applications/$app_id.desktop
    desktop-file-validate "$entry" >out 2>&1 || fail "desktop-file-validate: $(cat out)"
    [ ! -s out ] || fail "desktop-file-validate warns: $(cat out)"
    local exec icon
    exec=$(sed -n 's/^Exec=//p' "$entry")
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ "$exec" = Kodexa ] || fail "Exec=$exec; the program takes no arguments"
    [ -x "$usr/bin/$exec" ] || fail "Exec names $exec, which is not installed"
    [ "$icon" = "$app_id" ] || fail "Icon=$icon, expected $app_id"
    grep -qx 'Name=Kodexa' "$entry" || fail "no Name=Kodexa"
}

case_metainfo() {
    need appstreamcli appstream
    local metainfo=$usr/share/metainfo/$app_id.metainfo.xml
    appstreamcli validate --no-net --explain "$metainfo" >out 2>&1 || fail "appstreamcli: $(cat out)"
    grep -q '^[EW]:' out && fail "appstreamcli warns: $(cat out)"
    grep -q "<id>$app_id</id>" "$metainfo" || fail "the component id is not $app_id"
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
        fail "the launchable is not $app_id.desktop"
    # The newest release is the first one listed, and it is this version.
    local newest
    newest=$(grep -o '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
    [ "$newest" = "$version" ] || fail "newest release in the metadata is $newest, the project is $version"
}

case_manual_pages() {
    need man man-db
    local page
    for page in Kodexa cpvquery; do
        local file=$usr/share/man/man1/$page.1.gz
        # As lintian reads them: every warning of groff is a fault.
        LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" \
            >/dev/null 2>err
        [ ! -s err ] || fail "$page.1 warns: $(cat err)"
        LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$file" >out 2>/dev/null || fail "man -l $page.1 failed"
        head -n 4 out | grep -q "^NAME" && grep -Eq "^ +$page +- " out || fail "$page.1 has no NAME line"
        tail -n 1 out | grep -q "Kodexa $version" || fail "$page.1 does not carry version $version"
    done
    # Each long option that cpvquery's page explains is one that cpvquery's usage names.
    local option
    for option in --sort --code --desc --filter --print-filter --tree --locate --report-summary --pdf \
        --page-file --words --limit; do
        LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$usr/share/man/man1/cpvquery.1.gz" 2>/dev/null |
            grep -q -- "^       $option" || fail "cpvquery.1 does not explain $option"
    done
}

case_icons() {
    local size file
    for size in 16 24 32 48 64 128 256; do
        file=$usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
        # A PNG's width and height are the big-endian words at bytes 16 and 20.
        read -r width height < <(od -An -tu4 --endian=big -j16 -N8 "$file")
        [ "$width x $height" = "$size x $size" ] || fail "$file is ${width}x$height"
    done
    # The SVGs in the repository are what the drawing script writes.
    need python3 python3
    python3 "$source_dir/packaging/make_icon.py" drawn || { fail "make_icon.py failed"; return; }
    diff -r drawn "$source_dir/packaging/icons" >out || fail "icons differ from make_icon.py's: $(head -c 400 out)"
}

case_debian_documents() {
    local doc=$usr/share/doc/kodexa
    grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" ||
        fail "copyright is not in Debian's format"
    need dpkg-parsechangelog dpkg-dev
    gzip -dc "$doc/changelog.Debian.gz" >changelog || fail "changelog.Debian.gz does not unpack"
    local newest
    newest=$(dpkg-parsechangelog -l changelog -S Version)
    [ "$newest" = "$deb_version" ] || fail "the changelog's newest entry is $newest, the package is $deb_version"
    # gzip -n: no name and no time in the header, so two builds give the same bytes.
    local mtime
    mtime=$(od -An -tu4 -j4 -N4 "$doc/changelog.Debian.gz" | tr -d ' ')
    [ "$mtime" = 0 ] || fail "changelog.Debian.gz carries a time stamp"
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
export QT_QPA_PLATFORM=offscreen
if [ "$case_name" != install ] && [ ! -x "$usr/bin/cpvquery" ]; then
    echo "FAILED: nothing installed in $stage" >&2
    exit 1
fi
"case_$case_name"
[ "$failures" -eq 0 ]
