#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>
#include <sstream>

#include "testing/script_driver.h"
#include "testing/script_line.h"

namespace kestra {
namespace {

// A script is a file anyone may write: a number too large for an int fails its step with a
// script error, and the run goes on to its end instead of ending the window.
TEST(ScriptDriver, OverLongNumbersFailTheirStepAndTheRunGoesOn) {
    QWidget root;
    root.setObjectName(QStringLiteral("root"));
    std::ostringstream out;
    ScriptDriver driver(&root, {}, out);
    driver.load_text(
        "wait 99999999999\n"
        "wait-until root visible false timeout 99999999999999999999\n"
        "expect-notice Hello timeout 4294967296\n"
        "drag root root steps 99999999999\n"
        "wait 1\n");
    QSignalSpy finished(&driver, &ScriptDriver::finished);
    driver.start();
    ASSERT_TRUE(finished.wait(10000)) << out.str();
    EXPECT_EQ(finished.front().front().toInt(), 4);
    const std::string log = out.str();
    for (const char* line :
         {"FAIL 1 wait 99999999999: wait takes milliseconds up to 2147483647\n",
          "FAIL 2 wait-until root visible false timeout 99999999999999999999: timeout takes "
          "milliseconds up to 2147483647\n",
          "FAIL 3 expect-notice Hello timeout 4294967296: timeout takes milliseconds up to "
          "2147483647\n",
          "FAIL 4 drag root root steps 99999999999: drag steps takes 1..10000\n", "ok 5 wait 1\n",
          "1 passed, 4 failed\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "in:\n" << log;
    }
}

TEST(ScriptLine, WordsAreSeparatedByRunsOfSpacesAndTabs) {
    const ScriptLine line(" \texpect\t root.fader   value  -10 dB \r");
    EXPECT_EQ(line.text(), "expect\t root.fader   value  -10 dB");
    ASSERT_EQ(line.size(), 5u);
    EXPECT_EQ(line.verb(), "expect");
    EXPECT_EQ(line.word(1), "root.fader");
    EXPECT_EQ(line.word(4), "dB");
    EXPECT_EQ(line.word(5), "");
}

TEST(ScriptLine, TheRestOfTheLineKeepsItsInnerSpacing) {
    const ScriptLine line("type root.edit   two  words");
    EXPECT_EQ(line.rest(1), "root.edit   two  words");
    EXPECT_EQ(line.rest(2), "two  words");
    EXPECT_EQ(line.rest(4), "");
    // Typed text starts right after the one separator that ends the path.
    EXPECT_EQ(line.after(2), "  two  words");
    EXPECT_EQ(line.after(0), line.text());
    EXPECT_EQ(ScriptLine("type root.edit").after(2), "");
    EXPECT_EQ(ScriptLine("type root.edit").after(3), "");
    EXPECT_EQ(ScriptLine("").size(), 0u);
    EXPECT_EQ(ScriptLine("").verb(), "");
}

// Each verb reads its words through the one tokenizer: typed text as written, a value with
// spaces whole, malformed steps with their own complaint, and quit ending the run at once.
TEST(ScriptDriver, VerbsReadTheirWordsAndRefuseMalformedSteps) {
    QWidget root;
    root.setObjectName(QStringLiteral("root"));
    auto* edit = new QLineEdit(&root);
    edit->setObjectName(QStringLiteral("edit"));
    root.resize(200, 100);
    root.show();
    std::ostringstream out;
    ScriptDriver driver(&root, {}, out);
    driver.load_text(
        "type   edit   two  words\n"
        "expect edit text   two  words\n"
        "frobnicate edit\n"
        "answer maybe\n"
        "expect edit\n"
        "dialog open\n"
        "shot\n"
        "wheel edit lots\n"
        "drag edit nowhere\n"
        "quit\n"
        "wait 1\n");
    QSignalSpy finished(&driver, &ScriptDriver::finished);
    driver.start();
    ASSERT_TRUE(finished.wait(10000)) << out.str();
    EXPECT_EQ(edit->text(), QStringLiteral("  two  words"));
    const std::string log = out.str();
    for (const char* line :
         {"ok 1 type   edit   two  words\n",
          "FAIL 2 expect edit text   two  words: text is   two  words\n",
          "FAIL 3 frobnicate edit: unknown verb 'frobnicate'\n",
          "FAIL 4 answer maybe: answer takes ok, cancel or an option's number\n",
          "FAIL 5 expect edit: takes PATH PROP VALUE\n",
          "FAIL 6 dialog open: dialog takes type TEXT, ok or cancel\n",
          "FAIL 7 shot: shot takes FILE [PATH]\n", "FAIL 8 wheel edit lots: wheel takes a delta\n",
          "FAIL 9 drag edit nowhere: no visible widget nowhere\n", "ok 10 quit\n",
          "2 passed, 8 failed\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "in:\n" << log;
    }
    EXPECT_EQ(log.find(" 11 "), std::string::npos) << log;
    EXPECT_EQ(finished.front().front().toInt(), 8);
}

// Keys to the focus walk the window's own tab chain, one real press at a time; a goal the keys
// never reach fails its step within the bound instead of spinning.
TEST(ScriptDriver, KeysToTheFocusWalkTheTabChainUntilTheGoalHasIt) {
    QWidget root;
    root.setObjectName(QStringLiteral("root"));
    int clicks = 0;
    for (const char* name : {"first", "second", "third"}) {
        auto* b = new QPushButton(QString::fromLatin1(name), &root);
        b->setObjectName(QString::fromLatin1(name));
        b->setFocusPolicy(Qt::StrongFocus);
        QObject::connect(b, &QPushButton::clicked, [&clicks] { ++clicks; });
    }
    auto* unreachable = new QPushButton(&root);
    unreachable->setObjectName(QStringLiteral("unreachable"));
    unreachable->setFocusPolicy(Qt::NoFocus);
    root.show();
    root.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&root));
    std::ostringstream out;
    ScriptDriver driver(&root, {}, out);
    driver.load_text(
        "key focus Tab until third\n"
        "expect third focused true\n"
        "key focus Space\n"
        "key focus Shift+Tab until second\n"
        "expect third focused false\n"
        "key focus Tab until unreachable\n"
        "key root Tab until second\n");
    QSignalSpy finished(&driver, &ScriptDriver::finished);
    driver.start();
    ASSERT_TRUE(finished.wait(10000)) << out.str();
    const std::string log = out.str();
    for (const char* line :
         {"ok 1 key focus Tab until third\n", "ok 2 expect third focused true\n",
          "ok 3 key focus Space\n", "ok 4 key focus Shift+Tab until second\n",
          "ok 5 expect third focused false\n",
          "FAIL 6 key focus Tab until unreachable: unreachable never took the focus in 2000 "
          "presses\n",
          "FAIL 7 key root Tab until second: key until takes focus CHORD until PATH\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "in:\n" << log;
    }
    EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace kestra
