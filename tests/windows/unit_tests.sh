# The unit tests built for Windows, every one the test build registers, run
# by CTest under Wine (tests/windows/wine_test.sh is its emulator).
unit_tests() {
    local found
    found=$(ctest --test-dir "$tests" -N -L unit | sed -n 's/^Total Tests: //p')
    [ "${found:-0}" -gt 0 ] || fail "no unit tests in $tests"
    ctest --test-dir "$tests" -L unit --output-on-failure >"$E2E_TMP/unit.log" 2>&1 \
        || fail "unit tests:
$(grep -E -A3 'FAIL!|\*\*\*|Could not find' "$E2E_TMP/unit.log" | head -n 40)"
    pass "unit tests ($found programs, through CTest)"
}
