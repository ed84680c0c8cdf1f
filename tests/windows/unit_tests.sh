# The unit tests built for Windows, the ones the test build registers, off
# screen, beside the Qt they were built with and the MinGW runtime.
unit_tests() {
    local winepath="" dll dir test name log code found=0 names
    for dir in "$qt/bin" \
        $(for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
            dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=$dll)"
        done) /usr/x86_64-w64-mingw32/lib; do
        winepath="$winepath;$(winepath -w "$dir")"
    done
    windows_env QT_QPA_PLATFORM offscreen
    windows_env QT_PLUGIN_PATH "$(winepath -w "$qt/plugins")"
    # Off screen Qt for Windows draws with the fonts of this folder; DejaVu,
    # as on Linux, so that texts measure the same.
    windows_env QT_QPA_FONTDIR "$(winepath -w /usr/share/fonts/truetype/dejavu)"
    names=$(ctest --test-dir "$tests" -N -L unit | sed -n 's/^ *Test *#[0-9]*: //p')
    for name in $names; do
        test="$tests/bin/$name.exe"
        [ -f "$test" ] || fail "$name is registered but not built"
        found=$((found + 1))
        log="$E2E_TMP/$name.txt"
        # Qt Test writes to the debugger rather than to a pipe here: a file it is.
        code=0
        (cd "$tests/bin" && WINEPATH="${winepath#;}" timeout 300 \
            wine "$test" -o "$(winepath -w "$log"),txt" >>"$E2E_TMP/unit.log" 2>&1) || code=$?
        grep '^SKIP' "$log" 2>/dev/null | sed "s/^/  $name: /" || true
        if [ "$code" != 0 ] || ! grep -Eq '^Totals: [0-9]+ passed, 0 failed' "$log" 2>/dev/null; then
            fail "$name (exit code $code):
$(grep -A3 '^FAIL!' "$log" 2>/dev/null || tail -n 20 "$log" 2>/dev/null || echo 'no output')"
        fi
    done
    [ "$found" -gt 0 ] || fail "no unit tests in $tests/bin"
    windows_env QT_QPA_PLATFORM
    windows_env QT_PLUGIN_PATH
    windows_env QT_QPA_FONTDIR
    pass "unit tests ($found programs)"
}
