#pragma once

#include <QTest>

// One data row of a Qt Test table on one line: row("name", a, b) adds the
// row "name" with the values a and b, in the order of the table's columns.
template<typename... Values>
void row(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}
