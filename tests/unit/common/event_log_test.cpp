// The program's event log: one line per entry with its time and type, the system's log told
// the same, and the file started again past its limit with the one before kept.
#include <gtest/gtest.h>

#include "common/event_log.h"
#include "platform/sim/world.h"

namespace corvane {
namespace {

TEST(EventLog, EachEntryIsOneLineInTheFileAndOneInTheSystemsLog) {
    sim::World world;
    EventLog log(world.Driver());
    log.Note("user mode started");
    world.RunFor(61000);
    log.Warn("two\r\nlines");
    const std::string path = "C:\\Users\\kiosk\\AppData\\Local\\Corvane\\events.log";
    EXPECT_EQ(log.FilePath(), path);
    EXPECT_EQ(world.Files().Contents(path),
              "2026-12-08 09:00:00  information  user mode started\r\n"
              "2026-12-08 09:01:01  warning  two  lines\r\n");
    ASSERT_EQ(world.ReportedEvents().size(), 2u);
    EXPECT_EQ(world.ReportedEvents()[1].source, "Corvane");
    EXPECT_EQ(world.ReportedEvents()[1].type, platform::event_type::kWarning);
    EXPECT_EQ(world.ReportedEvents()[1].text, "two  lines");
    EXPECT_EQ(ReadEventLines(world.Driver(), 1),
              std::vector<std::string>{"2026-12-08 09:01:01  warning  two  lines"});
}

TEST(EventLog, TheFileStartsAgainPastItsLimitKeepingTheOneBefore) {
    sim::World world;
    EventLog log(world.Driver());
    const std::string entry(100, 'x');
    size_t written = 0;
    while (written < kEventLogLimit) {
        log.Note(entry);
        written += EventLine({}, platform::event_type::kInformation, entry).size() + 2;
    }
    EXPECT_EQ(world.Files().FileSize(log.OlderFilePath()), std::nullopt);
    log.Note("after the limit");
    EXPECT_GE(world.Files().FileSize(log.OlderFilePath()).value_or(0), kEventLogLimit);
    EXPECT_EQ(world.Files().Contents(log.FilePath()),
              "2026-12-08 09:00:00  information  after the limit\r\n");
    // Read back across both files, oldest first.
    const auto lines = ReadEventLines(world.Driver(), 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(entry), std::string::npos);
    EXPECT_NE(lines[1].find("after the limit"), std::string::npos);
}

TEST(EventLog, WithoutAUserFolderOnlyTheSystemsLogIsTold) {
    sim::World world;
    world.Files().Put("C:\\Users\\kiosk\\AppData\\Local\\Corvane", "a file in the way");
    EventLog log(world.Driver());
    log.Note("user mode started");  // the append fails: nothing breaks
    EXPECT_EQ(world.ReportedEvents().size(), 1u);
    EXPECT_TRUE(ReadEventLines(world.Driver(), 10).empty());
}

}  // namespace
}  // namespace corvane
