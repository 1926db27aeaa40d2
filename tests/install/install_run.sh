#!/usr/bin/env bash
# install_run.sh BUILD_DIR VERSION
#
# Installs the build into a temporary prefix, checks the layout a Linux desktop expects, moves the
# installed tree to another folder (so that no absolute path into the build or the first prefix can
# keep it working), and runs the installed programs from there: make-sample-db writes a database and
# fundhost runs a script on it headless, on its first start, with no library path set.
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

cmake --install "$build" --prefix "$work/first" >"$work/install.log" || {
    cat "$work/install.log" >&2
    echo "FAIL: cmake --install" >&2
    exit 1
}
mv "$work/first" "$work/prefix"
prefix=$work/prefix

for file in bin/fundhost bin/make-sample-db bin/fund-import share/man/man1/fund-import.1.gz \
    "share/fundcompare/examples/基金列表.csv" \
    lib/fundcompare/libfundcompare.so lib/fundcompare/libplatform.so lib/fundcompare/libsdk.so \
    lib/fundcompare/libhostkernel.so lib/fundcompare/libhostcontrols.so \
    share/fundcompare/themes/dark.xml share/fundcompare/themes/light.xml share/fundcompare/schema.sql \
    share/applications/fundcompare.desktop share/man/man1/fundhost.1.gz; do
    [ -f "$prefix/$file" ] || fail "missing $file"
done
for size in 16 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/fundcompare.png
    if [ ! -f "$icon" ]; then
        fail "missing the ${size}px icon"
    elif ! file "$icon" | grep -q "PNG image data, $size x $size"; then
        fail "the ${size}px icon is $(file -b "$icon")"
    fi
done
# Only the programs go to bin/: the libraries and the module stay private to the program.
extra=$(cd "$prefix/bin" && ls | grep -v -x -e fundhost -e make-sample-db -e fund-import || true)
[ -z "$extra" ] || fail "unexpected files in bin/: $extra"

# The program finds its libraries through its own run path, relative to itself.
runpath=$(readelf -d "$prefix/bin/fundhost" | grep -E 'R(UN)?PATH' || true)
grep -q '\$ORIGIN/../lib/fundcompare' <<<"$runpath" || fail "fundhost's run path is '$runpath'"
grep -q "$build" <<<"$runpath" && fail "fundhost's run path points into the build: '$runpath'"

# The man page is the program's help.
zcat "$prefix/share/man/man1/fundhost.1.gz" | grep -q '^\.SH OPTIONS' || fail "the man page has no options"
zcat "$prefix/share/man/man1/fundhost.1.gz" | grep -q 'fundhost \\- ' || fail "the man page has no name line"

unset LD_LIBRARY_PATH
export HOME=$work/home XDG_CONFIG_HOME=$work/home/config XDG_DATA_HOME=$work/home/data
mkdir -p "$HOME"
out=$("$prefix/bin/fundhost" --version)
[ "$out" = "fundhost $version" ] || fail "fundhost --version says '$out'"

"$prefix/bin/make-sample-db" "$work/funds.db" --funds 400 --years 6 >/dev/null || fail "make-sample-db failed"
cat >"$work/script.txt" <<SCRIPT
screenshot $work/first.png
tab 综合对比
dump $work/general.tsv
tab 行业配置
dump $work/industry.tsv
theme light
screenshot $work/light.png
SCRIPT
if ! "$prefix/bin/fundhost" --headless --db "$work/funds.db" --script "$work/script.txt" >"$work/run.log" 2>&1; then
    cat "$work/run.log" >&2
    fail "the installed fundhost failed"
fi
grep -q "无法加载基金对比模块" "$work/run.log" && fail "the installed program did not find its module"
[ -s "$work/first.png" ] && [ -s "$work/light.png" ] || fail "no screenshots"
# The first start on a sample database compares three funds: three columns after the titles.
if [ -f "$work/general.tsv" ]; then
    columns=$(head -n 1 "$work/general.tsv" | awk -F'\t' '{print NF}')
    [ "$columns" = 4 ] || fail "the general page shows $((columns - 1)) funds on the first start"
else
    fail "no general page dump"
fi
[ -f "$XDG_CONFIG_HOME/fundcompare/config.xml" ] || fail "the first start left no configuration"

# The installed importer reads the installed example files into a database of the user's own.
if ! "$prefix/bin/fund-import" --quiet "$work/mine.db" "$prefix/share/fundcompare/examples" >"$work/import.log" 2>&1; then
    cat "$work/import.log" >&2
    fail "the installed fund-import failed on the example files"
fi
zcat "$prefix/share/man/man1/fund-import.1.gz" | grep -q '^\.SH OPTIONS' || fail "fund-import's man page has no options"

[ $failures -eq 0 ] || exit 1
echo "installed, moved and ran: $prefix"
