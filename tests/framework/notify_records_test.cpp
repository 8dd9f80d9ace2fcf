// Reading the host's records through the one-pointer views.
#include "notify_records.h"
#include "tally_record_storage.h"
#include "test_panel.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

TEST(ButtonNotify, ReadsPanelControlAndEvent)
{
    buttonPress press("1", "Sources", "select=5");
    const buttonNotify button(press.record());
    EXPECT_STREQ(button.panel().c_str(), "1");
    EXPECT_STREQ(button.control().c_str(), "Sources");
    EXPECT_STREQ(button.eventName().c_str(), "select");
    EXPECT_STREQ(button.eventValue().c_str(), "5");
}

TEST(ButtonNotify, AlarmEventGivesNameAndNumber)
{
    buttonPress press("1", "ActionAll", "alarm=3");
    const buttonNotify button(press.record());
    EXPECT_STREQ(button.eventName().c_str(), "alarm");
    EXPECT_STREQ(button.eventValue().c_str(), "3");
}

TEST(ButtonNotify, NullTextFieldsReadAsEmpty)
{
    const hostButtonRecord record{nullptr, nullptr, nullptr, nullptr, nullptr};
    const buttonNotify button(&record);
    EXPECT_STREQ(button.panel().c_str(), "");
    EXPECT_STREQ(button.control().c_str(), "");
    EXPECT_STREQ(button.eventName().c_str(), "");
    EXPECT_STREQ(button.eventValue().c_str(), "");
}

TEST(ButtonNotify, AccessorsReturnCopiesThatOutliveTheRecord)
{
    morv_string control;
    morv_string value;
    {
        char controlText[] = "Destinations";
        buttonPress press("1", controlText, "select=12");
        const buttonNotify button(press.record());
        control = button.control();
        value = button.eventValue();
        controlText[0] = 'X';
    }
    EXPECT_STREQ(control.c_str(), "Destinations");
    EXPECT_STREQ(value.c_str(), "12");
}

TEST(TallyNotify, ReadsNumbersAndInlineText)
{
    tallyRecordStorage storage(3, 12, 5, "Mic 5");
    storage.record()->reserved = 77;
    const tallyNotify tally(storage.record());
    EXPECT_EQ(tally.device(), 3);
    EXPECT_EQ(tally.index(), 12);
    EXPECT_EQ(tally.value(), 5);
    EXPECT_STREQ(tally.text().c_str(), "Mic 5");
}

TEST(TallyNotify, TextIsStoredInsideRecordAtOffsetSixteen)
{
    tallyRecordStorage storage(1, 2, 3, "inline");
    const char* start = reinterpret_cast<const char*>(storage.record());
    EXPECT_STREQ(start + 16, "inline");
    std::int32_t words[4];
    std::memcpy(words, start, sizeof words);
    EXPECT_EQ(words[0], 1);
    EXPECT_EQ(words[2], 2);
    EXPECT_EQ(words[3], 3);
}

TEST(TallyNotify, ExtremeNumbersAndEmptyText)
{
    tallyRecordStorage storage(INT_MIN, -1, INT_MAX, nullptr);
    const tallyNotify tally(storage.record());
    EXPECT_EQ(tally.device(), INT_MIN);
    EXPECT_EQ(tally.index(), -1);
    EXPECT_EQ(tally.value(), INT_MAX);
    EXPECT_STREQ(tally.text().c_str(), "");
}

TEST(TallyNotify, TextOutlivesTheRecord)
{
    morv_string text;
    {
        tallyRecordStorage storage(1, 1, 1, "kept");
        text = tallyNotify(storage.record()).text();
    }
    EXPECT_STREQ(text.c_str(), "kept");
}

TEST(QueryNotify, ReadsNameAndValue)
{
    const parsedMessage message("return=all");
    const queryNotify query(&message);
    EXPECT_STREQ(query.name().c_str(), "return");
    EXPECT_STREQ(query.value().c_str(), "all");
}

TEST(QueryNotify, EmptyMessageReadsAsEmpty)
{
    const parsedMessage message(nullptr);
    const queryNotify query(&message);
    EXPECT_STREQ(query.name().c_str(), "");
    EXPECT_STREQ(query.value().c_str(), "");
}

}  // namespace
