#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWidget>
#include <sstream>

#include "testing/script_driver.h"

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

}  // namespace
}  // namespace kestra
