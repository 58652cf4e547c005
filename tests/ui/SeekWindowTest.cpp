#include "ui/CSeekPanel.h"

#include <gtest/gtest.h>

namespace {

TEST(SeekWindowTest, TitleNamesTheSliderPlaceOnlyWhileDragging) {
    struct Case {
        bool dragging;
        int position;
        int length;
        const char* title;
    };
    const Case cases[] = {
        {false, 65, 221, "Seek"},
        {true, 65, 221, "Seek 1:05/3:41"},
        {true, 0, 0, "Seek 0:00/0:00"},
        {true, 600, 3600, "Seek 10:00/60:00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CSeekPanel::TitleText(c.dragging, c.position, c.length).toStdString(), c.title)
            << c.position;
    }
}

} // namespace
