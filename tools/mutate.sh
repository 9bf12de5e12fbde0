#!/usr/bin/env bash
# Mutation check of the logic: applies each one-line slip listed in tools/mutants.txt, one at a time,
# to a copy of the sources, rebuilds the logic build of that copy (as tools/test.sh's second stage
# configures it) and runs its tests. A slip that some test notices is caught; one that every test
# lets through survived and wants a test (or is an equivalent mutant: the same program in other
# words). A slip that does not compile is left out of the score. The working tree is never changed.
#
#   tools/mutate.sh [NAME...]      every mutant, or only the named ones
#
#   KODEXA_MUTATE_DIR    the copy and its build (default: build-mutate beside the sources); kept
#                        between runs, so that a later run rebuilds only what changed
#   KODEXA_MUTANTS       the list (default: tools/mutants.txt)
#   KODEXA_MUTATE_JOBS   parallel jobs for building and testing (default: 2)
#
# Not part of the test command: a run builds and tests once per mutant and takes a good while.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
list=${KODEXA_MUTANTS:-$repo/tools/mutants.txt}
work=${KODEXA_MUTATE_DIR:-$repo/build-mutate}
jobs=${KODEXA_MUTATE_JOBS:-2}
src=$work/src
build=$work/build
log=$work/log

command -v git >/dev/null && command -v perl >/dev/null && command -v clang++ >/dev/null || {
    echo "mutate.sh: needs git, perl and clang" >&2
    exit 2
}
[ -f "$list" ] || {
    echo "mutate.sh: no mutant list $list" >&2
    exit 2
}
mkdir -p "$src" "$log" || exit 1

# Brings the copy up to the working tree: changed files are copied with a new time, so that the
# build takes them; files that are the same keep theirs, and the build stays as it is.
sync_sources() {
    local file
    while IFS= read -r -d '' file; do
        [ -f "$repo/$file" ] || continue
        cmp -s "$repo/$file" "$src/$file" && continue
        mkdir -p "$src/$(dirname "$file")" && cp "$repo/$file" "$src/$file" || return 1
    done < <(git -C "$repo" ls-files -z --cached --others --exclude-standard)
}

# The file of the copy that carries a mutant; it gets its original back on every way out.
mutated=
restore() {
    if [ -n "$mutated" ]; then
        cp "$repo/$mutated" "$src/$mutated" # a new time: the next build compiles the original again
        mutated=
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

# apply FILE ORIGINAL REPLACEMENT AFTER: replaces ORIGINAL in the copy of FILE by REPLACEMENT.
# ORIGINAL must occur exactly once, or, with AFTER, be the first occurrence after the one of AFTER.
apply() {
    local target=$src/$1
    ORIGINAL=$2 REPLACEMENT=$3 AFTER=$4 perl -0777 -ne '
        my ($original, $replacement, $after) = @ENV{qw(ORIGINAL REPLACEMENT AFTER)};
        my $start = 0;
        if (length $after) {
            my $anchor = index($_, $after);
            die "the anchor is not in the file\n" if $anchor < 0;
            die "the anchor occurs more than once\n" if index($_, $after, $anchor + 1) >= 0;
            $start = $anchor + length $after;
        } else {
            my $first = index($_, $original);
            die "the original occurs more than once\n" if $first >= 0 && index($_, $original, $first + 1) >= 0;
        }
        my $at = index($_, $original, $start);
        die "the original is not in the file\n" if $at < 0;
        substr($_, $at, length $original) = $replacement;
        print;' "$target" >"$target.mutant" && mv "$target.mutant" "$target"
}

build_copy() {
    cmake --build "$build" -j "$jobs" >"$1" 2>&1
}

test_copy() {
    ctest --test-dir "$build" -j "$jobs" --stop-on-failure --timeout 120 --output-on-failure >"$1" 2>&1
}

sync_sources || {
    echo "mutate.sh: cannot copy the sources to $src" >&2
    exit 1
}
if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKODEXA_LOGIC_ONLY=ON \
        -DKODEXA_SANITIZE=ON -DKODEXA_FUZZ=ON -DKODEXA_BENCH=OFF >"$log/configure.log" 2>&1 || {
        echo "mutate.sh: configuring failed, see $log/configure.log" >&2
        exit 1
    }
fi
echo "== The sources as they are"
build_copy "$log/original-build.log" || {
    echo "mutate.sh: the sources do not build, see $log/original-build.log" >&2
    exit 1
}
test_copy "$log/original-test.log" || {
    echo "mutate.sh: the tests fail without a mutant, see $log/original-test.log" >&2
    exit 1
}

caught=0
survived=0
uncompiled=0
broken=0
survivors=()
while IFS= read -r line; do
    [[ -z "${line// /}" || "$line" == \#* ]] && continue
    # name @@ file @@ original @@ replacement [@@ after]
    rest=$line
    fields=()
    while [[ "$rest" == *" @@ "* ]]; do
        fields+=("${rest%% @@ *}")
        rest=${rest#* @@ }
    done
    fields+=("$rest")
    if [ "${#fields[@]}" -lt 4 ]; then
        echo "mutate.sh: malformed line in $list: $line" >&2
        broken=$((broken + 1))
        continue
    fi
    name=${fields[0]}
    file=${fields[1]}
    if [ "$#" -gt 0 ] && [[ " $* " != *" $name "* ]]; then
        continue
    fi
    if ! why=$(apply "$file" "${fields[2]}" "${fields[3]}" "${fields[4]:-}" 2>&1); then
        echo "BROKEN       $name: $file: $why"
        rm -f "$src/$file.mutant"
        broken=$((broken + 1))
        continue
    fi
    mutated=$file
    if ! build_copy "$log/$name-build.log"; then
        echo "NOT COMPILED $name"
        uncompiled=$((uncompiled + 1))
    elif test_copy "$log/$name-test.log"; then
        echo "SURVIVED     $name ($file)"
        survived=$((survived + 1))
        survivors+=("$name")
    else
        first=$(grep -m 1 -oE '[0-9]+ - [^ ]+ \(' "$log/$name-test.log" | sed 's/^[0-9]* - //; s/ ($//')
        echo "CAUGHT       $name${first:+ by $first}"
        caught=$((caught + 1))
    fi
    restore
done <"$list"

compiled=$((caught + survived))
echo "== $caught caught, $survived survived, $uncompiled not compiled, $broken not applied"
if [ "$compiled" -gt 0 ]; then
    echo "== Score: $caught of $compiled = $(((caught * 1000 / compiled + 5) / 10)) %"
fi
[ "${#survivors[@]}" -eq 0 ] || echo "== Survivors: ${survivors[*]}"
[ "$broken" -eq 0 ]
