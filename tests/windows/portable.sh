# The portable zip's program runs from the unpacked folder with only
# Windows' own folders on its PATH, no WINEPATH, and a working folder
# without DLLs: whatever the zip lacks is missing.
portable() {
    local zip=("$build"/package/zel-orvalis-*-windows-x64.zip) program win here=$PWD
    [ "${#zip[@]}" = 1 ] && [ -f "${zip[0]}" ] || fail "not one zip in $build/package"
    mkdir "$E2E_TMP/portable"
    unzip -q "${zip[0]}" -d "$E2E_TMP/portable"
    program=$(find "$E2E_TMP/portable" -name zel-orvalis.exe)
    [ -n "$program" ] || fail "no zel-orvalis.exe in the zip"
    cd "$E2E_TMP"
    ZEL_BINARY=$program start_app
    cd "$here"
    win=$(find_window "$ZEL_TITLE") || fail "the zip's program showed no main window"
    quit "$win"
    pass "portable zip"
}
