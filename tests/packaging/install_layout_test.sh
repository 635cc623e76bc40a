#!/usr/bin/env bash
# install_layout_test.sh <build dir> <source dir>: cmake --install into a temporary prefix, then
# check the layout, the launcher, the desktop entry and the icon.
set -uo pipefail
build=$1
source=$2
work=$(mktemp -d)
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
prefix=$work/usr
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log" >&2
    fail "cmake --install failed"
    exit 1
fi

program=$prefix/lib/kestrune/kestrune
expected=(bin/kestrune lib/kestrune/kestrune lib/kestrune/Full_Wits_Packet.txt
    lib/kestrune/Half_Wits_Packet.txt share/applications/kestrune.desktop
    share/icons/hicolor/32x32/apps/kestrune.png)
[ -e "$build/kestrune-receiver" ] && expected+=(bin/kestrune-receiver)
installed=$(cd "$prefix" && find . -type f -printf '%P\n' | sort)
wanted=$(printf '%s\n' "${expected[@]}" | sort)
[ "$installed" = "$wanted" ] ||
    fail "installed files differ from the layout:$(diff <(echo "$wanted") <(echo "$installed"))"

# The program finds its templates in its own folder.
[ -x "$program" ] || fail "$program is not executable"
for name in Full_Wits_Packet.txt Half_Wits_Packet.txt; do
    cmp -s "$source/templates/$name" "$prefix/lib/kestrune/$name" ||
        fail "lib/kestrune/$name is not the shipped template"
done
for tool in "$prefix"/bin/*; do
    [ -x "$tool" ] || fail "$tool is not executable"
done

# The launcher must become the installed program itself, arguments intact: its pid's executable
# and command line show that. A port name that leads nowhere keeps real devices out of it.
launcher=$prefix/bin/kestrune
if [ -x "$launcher" ]; then
    QT_QPA_PLATFORM=offscreen KESTRUNE_COM1=$work/no-port "$launcher" --launcher-check "two words" \
        >"$work/program.log" 2>&1 &
    program_pid=$!
    exe=
    for _ in $(seq 50); do
        exe=$(readlink "/proc/$program_pid/exe" 2>/dev/null)
        [ "$exe" = "$program" ] && break
        sleep 0.1
    done
    if [ "$exe" != "$program" ]; then
        fail "the launcher runs '$exe', not $program"
    else
        arguments=$(tr '\0' '\n' <"/proc/$program_pid/cmdline")
        [ "$arguments" = "$(printf '%s\n' "$program" --launcher-check "two words")" ] ||
            fail "the program got the command line: $arguments"
        sleep 1
        kill -0 "$program_pid" 2>/dev/null ||
            fail "the program stopped at start: $(cat "$work/program.log")"
    fi
fi

desktop=$prefix/share/applications/kestrune.desktop
if [ -f "$desktop" ]; then
    if command -v desktop-file-validate >/dev/null; then
        { report=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$report" ]; } ||
            fail "desktop-file-validate: $report"
    else
        echo "desktop-file-validate not found (package desktop-file-utils): entry not validated"
    fi
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    { [ -n "$exec_line" ] && [ "$prefix/bin/${exec_line%% *}" = "$launcher" ]; } ||
        fail "the desktop entry runs '$exec_line', not the launcher"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    { [ -n "$icon" ] && [ -f "$prefix/share/icons/hicolor/32x32/apps/$icon.png" ]; } ||
        fail "the desktop entry names the icon '$icon', which is not installed"
fi

# A PNG opens with its signature and the IHDR chunk, whose first fields are width and height.
png=$prefix/share/icons/hicolor/32x32/apps/kestrune.png
header=$(od -An -tu1 -N24 "$png" 2>/dev/null | tr -s ' \n' ' ')
[ "$header" = " 137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82 0 0 0 32 0 0 0 32 " ] ||
    fail "the icon is not a 32x32 PNG (header:$header)"

[ "$failures" -eq 0 ] || exit 1
echo "install layout under $prefix as expected"
