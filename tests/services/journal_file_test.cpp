#include "store/journal_file.h"
#include "store/journal_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/recording_notices.h"

namespace kestra {
namespace {

namespace fs = std::filesystem;

class JournalFileTest : public ::testing::Test {
protected:
    JournalFileTest()
        : folder(fs::temp_directory_path() /
                 ("kestra-journal-" + std::to_string(getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    ~JournalFileTest() override { fs::remove_all(folder); }

    static JournalLine line(int n) {
        return {"2026-12-09 10:00:0" + std::to_string(n % 10),
                "operator",
                "CH 0" + std::to_string(n % 10) + " VOL 10dB \u2192 -20dB",
                {{"CH 01", "VOL", "10dB", "-20dB"}}};
    }
    fs::path file() const { return folder / JournalFile::kFileName; }

    fs::path folder;
    JournalFile::TimePoint now{};
};

TEST_F(JournalFileTest, LinesRoundTripAndATornLastLineIsSkipped) {
    {
        JournalFile journal(folder.string());
        for (int n = 0; n < 3; ++n) {
            ASSERT_TRUE(journal.append(line(n), now)) << journal.error();
        }
    }
    // A crash in the middle of the next line.
    const std::string torn = JournalFile::encode(line(3));
    std::ofstream(file(), std::ios::app) << torn.substr(0, torn.size() / 2);

    std::size_t skipped = 0;
    const auto lines = JournalFile::read(file().string(), 100, &skipped);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(skipped, 1u);
    EXPECT_EQ(lines[2].text, line(2).text);
    EXPECT_EQ(lines[2].fields, line(2).fields);
    EXPECT_EQ(JournalFile::read(file().string(), 2).front().text, line(1).text);

    // Writing on starts a line of its own after the torn one.
    {
        JournalFile journal(folder.string());
        ASSERT_TRUE(journal.append(line(4), now));
    }
    const auto after = JournalFile::read(file().string(), 100, &skipped);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(after.back().text, line(4).text);
    EXPECT_EQ(skipped, 1u);
}

TEST_F(JournalFileTest, RotatesAtItsSizeKeepingOneEarlierFile) {
    const std::size_t one = JournalFile::encode(line(0)).size() + 1;
    JournalFile journal(folder.string(), one * 5);
    for (int n = 0; n < 12; ++n) {
        ASSERT_TRUE(journal.append(line(n), now));
    }
    const fs::path rotated = folder / JournalFile::kRotatedName;
    ASSERT_TRUE(fs::exists(rotated));
    EXPECT_EQ(JournalFile::read(rotated.string(), 100).size(), 5u);
    EXPECT_EQ(JournalFile::read(file().string(), 100).size(), 2u);
    EXPECT_LT(fs::file_size(file()), one * 5);
}

TEST_F(JournalFileTest, TheLastLinesAreReadFromTheEndOfALongFile) {
    {
        JournalFile journal(folder.string());
        for (int n = 0; n < 3000; ++n) {
            JournalLine l = line(n);
            l.text = "line " + std::to_string(n);
            ASSERT_TRUE(journal.append(l, now));
        }
    }
    std::size_t skipped = 0;
    const auto lines = JournalFile::read(file().string(), 2, &skipped);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "line 2998");
    EXPECT_EQ(lines[1].text, "line 2999");
    EXPECT_EQ(skipped, 0u) << "the cut line before the stretch read is not counted";
    EXPECT_EQ(JournalFile::read(file().string(), 5000).size(), 3000u);
}

TEST_F(JournalFileTest, AFolderThatCannotBeWrittenIsAnErrorNamingTheFile) {
    JournalFile journal((folder / "missing").string());
    EXPECT_FALSE(journal.append(line(0), now));
    EXPECT_NE(journal.error().find("journal.jsonl"), std::string::npos) << journal.error();
    EXPECT_TRUE(JournalFile::read((folder / "none.jsonl").string(), 10).empty());
}

TEST_F(JournalFileTest, AFailedWriteIsRetriedAndNoLineThatCanStillBeWrittenIsLost) {
    // The data folder's place is taken by a file: nothing can be written until it goes.
    const fs::path blocked = folder / "data";
    std::ofstream(blocked) << "not a folder";
    testing::RecordingNotices told;
    JournalWriter writer(blocked.string(), told);
    writer.append(line(1), now);
    writer.append(line(2), now);
    writer.tick(now);
    EXPECT_TRUE(writer.failing());
    EXPECT_EQ(writer.waiting(), 2u);
    ASSERT_EQ(told.texts.size(), 1u) << "said once";
    EXPECT_EQ(told.texts[0].rfind(JournalWriter::kFailed, 0), 0u) << told.texts[0];

    fs::remove(blocked);
    writer.append(line(3), now);
    writer.tick(now);
    EXPECT_FALSE(writer.failing());
    EXPECT_EQ(writer.waiting(), 0u);
    EXPECT_EQ(told.texts, (std::vector<std::string>{told.texts[0], JournalWriter::kWorksAgain}));
    writer.flush(now, true);
    const auto lines = JournalFile::read((blocked / JournalFile::kFileName).string(), 10);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].text, line(1).text);
    EXPECT_EQ(lines[2].text, line(3).text);

    // From now on a line is written straight away, with nothing more to say.
    writer.append(line(4), now);
    EXPECT_EQ(writer.waiting(), 0u);
    EXPECT_EQ(told.texts.size(), 2u);
}

TEST_F(JournalFileTest, AWriterThatWaitsTooLongKeepsTheNewestLinesAndSaysSo) {
    const fs::path blocked = folder / "data";
    std::ofstream(blocked) << "x";
    testing::RecordingNotices told;
    JournalWriter writer(blocked.string(), told);
    for (std::size_t n = 0; n < JournalWriter::kMaxWaiting + 3; ++n) {
        writer.append(line(static_cast<int>(n)), now);
    }
    EXPECT_EQ(writer.waiting(), JournalWriter::kMaxWaiting);
    fs::remove(blocked);
    writer.tick(now);
    ASSERT_EQ(told.texts.size(), 2u);
    EXPECT_EQ(told.texts[1],
              std::string(JournalWriter::kWorksAgain) + " 3 older lines could not be kept.");
}

}  // namespace
}  // namespace kestra
