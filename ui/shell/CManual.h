#pragma once

#include <QString>

// Where the HTML manual lies: installed beside the program's data, or, for a program run
// from its build folder, in the source tree it was built from.
class CManual {
public:
    // The manual's first page; empty when none is found.
    static QString IndexPath();
};
