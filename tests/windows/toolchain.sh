# The Qt beside the program is the one it was built with, an LTS that gets
# fixes, and the compiler one that Qt supports (its version resource says).
# The notices offer the very source the DLLs were built from, and the
# options they were built with.
toolchain() {
    local built version gcc dll source option
    built=$(x86_64-w64-mingw32-strings -el "$ZEL_BINARY" \
        | sed -n 's/^Built with Qt \([0-9.]*\) and GCC \([0-9]*\)$/\1 \2/p')
    read -r version gcc <<<"$built"
    [ -n "$gcc" ] || fail "zel-orvalis.exe names no Qt and GCC"
    dll=$(x86_64-w64-mingw32-strings -el "$build/deploy/Qt6Core.dll" | grep -xm1 '6\.[0-9.]*')
    [ "${dll%.0}" = "$version" ] || fail "Qt6Core.dll is Qt $dll, the program was built with Qt $version"
    [ "${version%.*}" = 6.8 ] || fail "the Qt shipped is $version, not the 6.8 LTS"
    [ "$gcc" -ge 13 ] || fail "GCC $gcc built the program; Qt 6.8 needs 13 or later"
    source=$(sed -n 's/^qt6-base //p' "$qt/.complete")
    grep -qF "qt6-base, version $source" "$build/deploy/THIRD-PARTY-NOTICES" \
        || fail "THIRD-PARTY-NOTICES offers another source than qt6-base $source, which built Qt"
    while read -r option; do
        case $option in
            -D*) grep -qF -- "$option" "$build/deploy/THIRD-PARTY-NOTICES" \
                || fail "THIRD-PARTY-NOTICES does not give $option, which Qt was built with" ;;
        esac
    done <"$qt/.complete"
    pass "Qt $version and GCC $gcc"
}
