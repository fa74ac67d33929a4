// The window icon is built into the program from the packaged SVG's renderings,
// so the running window and the desktop menu show the same picture.
#include "ui/program_icon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

namespace mk843nb {
namespace {

TEST(ProgramIcon, HoldsTheRenderedSizesWithAPicture) {
    int argc = 1;
    char name[] = "program_icon_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);

    const QIcon icon = ProgramIcon();
    for (int size : {48, 256}) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size)));
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        // Transparent corners around an opaque tile: the rendering, not an empty file.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }
}

}  // namespace
}  // namespace mk843nb
