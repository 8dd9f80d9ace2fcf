#include "file_watch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>

#include <unistd.h>

namespace panel_host {

namespace {

using namespace std::chrono_literals;

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct replacement {
    const char* how;
    std::function<void(const std::string& path)> replace;
};

TEST(FileWatch, AReplacedFileIsToldOnceItHasSettled)
{
    const replacement replacements[] = {
        {"renamed over",
         [](const std::string& path) {
             writeFile(path + ".next", "the rebuilt module");
             std::rename((path + ".next").c_str(), path.c_str());
         }},
        {"rewritten in place", [](const std::string& path) { writeFile(path, "the module, rebuilt in place"); }},
    };
    for (const replacement& each : replacements) {
        SCOPED_TRACE(each.how);
        char folder[] = "/tmp/file_watch_testXXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        const std::string path = std::string(folder) + "/module.so";
        writeFile(path, "the module");
        const auto start = fileWatch::clock::now();
        fileWatch watch(path, 500ms, start);
        EXPECT_FALSE(watch.replaced(start + 1s)) << "an unchanged file";

        each.replace(path);
        EXPECT_FALSE(watch.replaced(start + 2s)) << "just changed: it may still be written";
        EXPECT_FALSE(watch.replaced(start + 2s + 400ms));
        EXPECT_TRUE(watch.replaced(start + 2s + 500ms)) << "unchanged for the settling time";
        EXPECT_FALSE(watch.replaced(start + 3s)) << "told once";

        std::remove(path.c_str());
        EXPECT_FALSE(watch.replaced(start + 4s));
        EXPECT_FALSE(watch.replaced(start + 9s)) << "a missing file is not a rebuild";
        writeFile(path, "written again");
        EXPECT_FALSE(watch.replaced(start + 10s));
        EXPECT_TRUE(watch.replaced(start + 11s)) << "it is back, settled";
        std::remove(path.c_str());
        rmdir(folder);
    }
}

}  // namespace

}  // namespace panel_host
