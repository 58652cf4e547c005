#pragma once

#include <QFont>
#include <QStringList>
#include <string>

// The playlist font ("listviewfontname", "listviewfontsize" in tenths of a point). A face
// this system lacks (the stored default "Microsoft Sans Serif" on a Linux desktop) gives
// way to the desktop's own font rather than to whatever font matching picks.
class CListFont {
public:
    static QFont Make(const std::string& face, int tenthsOfPoint);
    // The same with the families to look the face up in (the system's, for the program).
    static QFont Make(const std::string& face, int tenthsOfPoint, const QStringList& families,
                      const QFont& desktop);
};
