#include "script_boundary.h"

#include <gtest/gtest.h>

namespace {

struct readingCase {
    const char* command;
    bool reading;
};

// The replies a host hands out and the script must give back: exactly the
// four reading commands, by their code, whatever follows it.
TEST(ReadingCommands, AreTheFourWhoseReplyComesBack)
{
    const readingCase cases[] = {
        {"SD 'B4 Audio Router'", true},
        {"TG '1' 'New' 'text'", true},
        {"XI '1' 'alm_'", true},
        {"RN 1 0 5", true},
        {"RN", true},
        {"TP 'text=5' '1' 'New'", false},
        {"PS '1' 'p1.morv_ui'", false},
        {"RC 1 5 7 ',' 0", false},
        {"AS", false},
        {"SDX 'name'", false},
        {"S", false},
        {"", false},
        {"sd 'name'", false},
        {nullptr, false},
    };
    for (const readingCase& c : cases) {
        EXPECT_EQ(isReadingCommandText(c.command), c.reading) << (c.command ? c.command : "(null)");
    }
}

}  // namespace
