#pragma once
// Data-driven tests over a file-scope table of structs with a `name`: the _data function names
// the rows, the test reads its row's index.
#include <QtTest>

#include <cstddef>

template <class T, size_t N> void addRows(const T (&table)[N]) {
    QTest::addColumn<int>("row");
    for (size_t i = 0; i < N; ++i)
        QTest::newRow(table[i].name) << int(i);
}

inline int fetchedRow() {
    QFETCH(int, row);
    return row;
}
