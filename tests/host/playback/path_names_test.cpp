#include "transcript_printer.h"

#include <gtest/gtest.h>

namespace panel_host {

namespace {

struct hidingRow {
    const char* folder;
    const char* text;
    const char* hidden;
};

class PathNamesHide : public testing::TestWithParam<hidingRow> {};

// Only whole path prefixes are replaced, never the folder's text inside a word.
TEST_P(PathNamesHide, ReplacesOnlyWholePathPrefixes)
{
    pathNames names;
    names.add(GetParam().folder, "${layouts}");
    names.add("/opt/kit/lib/libvantry.so", "${module}");
    EXPECT_EQ(names.hide(GetParam().text), GetParam().hidden);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, PathNamesHide,
    testing::Values(hidingRow{".", "PS '1' './p1.morv_ui'", "PS '1' '${layouts}/p1.morv_ui'"},
                    hidingRow{"1", "PS '1' '1/p1.morv_ui' 11", "PS '1' '${layouts}/p1.morv_ui' 11"},
                    hidingRow{"/opt/kit/layouts",
                              "base path /opt/kit/layouts and /opt/kit/layouts2 and x/opt/kit/layouts",
                              "base path ${layouts} and /opt/kit/layouts2 and x/opt/kit/layouts"},
                    hidingRow{"/l", "load module /opt/kit/lib/libvantry.so with base path /l",
                              "load module ${module} with base path ${layouts}"}));

}  // namespace

}  // namespace panel_host
