#pragma once

#include <QTest>

// The columns of a Qt Test table in one line: columns<QString, int>("name",
// "count") adds the column "name" of QString and "count" of int.
template<typename... Types, typename... Names>
void columns(const Names &...names)
{
    static_assert(sizeof...(Types) == sizeof...(Names), "one name for each column");
    (QTest::addColumn<Types>(names), ...);
}

// One data row of a Qt Test table on one line: row("name", a, b) adds the
// row "name" with the values a and b, in the order of the table's columns.
template<typename... Values>
void row(const char *name, const Values &...values)
{
    (QTest::newRow(name) << ... << values);
}
