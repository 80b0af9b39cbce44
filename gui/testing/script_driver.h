#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "actions/action_context.h"

class QWidget;

namespace kestra {

class ScriptLine;

// Runs a script of operator steps against the window, one step a line, from a timer on the
// window thread, so that menus and modal dialogs keep working while it runs. Every step acts
// through synthetic input events to the widgets found by their dot paths; none calls an
// action. It prints "ok N TEXT" or "FAIL N TEXT: why" per step and "N passed, N failed" and
// "longest stall: N ms" at the end.
class ScriptDriver : public QObject, public NoticeSink, public QuestionSink {
    Q_OBJECT

public:
    struct Hooks {
        std::function<std::string()> state_json;  // the device state as one JSON line
    };
    static constexpr std::chrono::milliseconds kDefaultTimeout{5000};
    static constexpr std::chrono::milliseconds kHeartbeat{10};

    ScriptDriver(QWidget* root, Hooks hooks, std::ostream& out);
    ~ScriptDriver() override;

    // False with the reason when the file cannot be read.
    bool load(const QString& file, QString& error);
    void load_text(const std::string& text);
    void start();

    // The operator's notices and questions while the script runs, logged without their
    // captions.
    void notice(const std::string& text, const std::string& caption) override;
    bool ask(const std::string& text, const std::string& caption) override;
    // Answers with the queued option number ("answer 2"); "answer ok" takes the first.
    int choose(const OperatorChoice& choice) override;

    int passed() const { return passed_; }
    int failed() const { return failed_; }
    int longest_stall_ms() const { return static_cast<int>(longest_stall_); }

signals:
    void finished(int failed);

protected:
    bool event(QEvent* event) override;

private:
    struct Step {
        int number = 0;
        std::string text;
    };
    // A step still running: polled until it returns a result ("" ok, else why it failed).
    using Poll = std::function<std::optional<std::string>()>;

    void next();
    void run(const Step& step);
    void poll();
    void finish_step(const std::string& why);
    void end_run();
    void after_events(Poll then = {});
    Poll wait_for(std::function<std::optional<std::string>()> check, int timeout_ms);

    // A verb's step: a result when it is done at once ("" ok, else why it failed), nothing
    // when it left a poll to finish it.
    using Verb = std::optional<std::string> (ScriptDriver::*)(const ScriptLine& line);
    static const std::map<std::string, Verb>& verbs();

    std::optional<std::string> input_step(const ScriptLine& line);
    std::optional<std::string> drag_step(const ScriptLine& line);
    std::optional<std::string> key_until_step(const ScriptLine& line);
    std::optional<std::string> expect_step(const ScriptLine& line);
    std::optional<std::string> notice_step(const ScriptLine& line);
    std::optional<std::string> menu_step(const ScriptLine& line);
    std::optional<std::string> choose_step(const ScriptLine& line);
    std::optional<std::string> dialog_step(const ScriptLine& line);
    std::optional<std::string> shot_step(const ScriptLine& line);
    std::optional<std::string> answer_step(const ScriptLine& line);
    std::optional<std::string> wait_step(const ScriptLine& line);
    std::optional<std::string> dump_step(const ScriptLine& line);
    std::optional<std::string> state_step(const ScriptLine& line);
    std::optional<std::string> quit_step(const ScriptLine& line);
    void dump(const std::string& path);

    QWidget* root_;
    Hooks hooks_;
    std::ostream& out_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    const Step* current_ = nullptr;
    Poll poll_;
    QTimer poll_timer_;
    QTimer heartbeat_;
    QElapsedTimer heartbeat_clock_;
    qint64 longest_stall_ = 0;
    int marker_sent_ = 0;
    int marker_seen_ = 0;
    std::vector<std::string> notices_;
    size_t notice_mark_ = 0;
    std::deque<int> answers_;  // 0 Cancel, else the option's number (OK is 1)
    int next_answer();
    int passed_ = 0;
    int failed_ = 0;
    bool running_ = false;
    bool ended_ = false;
};

}  // namespace kestra
