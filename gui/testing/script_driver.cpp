#include "testing/script_driver.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>
#include <charconv>
#include <ostream>
#include <sstream>

#include "testing/script_line.h"
#include "testing/synthetic_events.h"
#include "testing/widget_dump.h"

namespace kestra {

namespace {

constexpr int kPopupWait = 1000;
constexpr std::chrono::milliseconds kPollInterval{5};
const QEvent::Type kMarker = static_cast<QEvent::Type>(QEvent::registerEventType());

constexpr const char* kTakesMilliseconds = "takes milliseconds up to 2147483647";
constexpr int kMaxDragSteps = 10000;     // each step is a move event in one go of the poll
constexpr int kMaxKeyRepeats = 2000;     // more than every control of the window, once round
const char* const kFocusPath = "focus";  // a key sent there goes where the keyboard would send it

// A count or milliseconds as a script writes them, digits only; nothing when the text is not
// such a number or does not fit an int (a script is a file anyone may write, and must not end
// the window).
std::optional<int> script_number(const std::string& digits) {
    int value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || digits[0] == '-' || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A trailing "timeout MS" taken off the text into `timeout`; false when MS is all digits but
// too large.
bool take_timeout(std::string& text, int& timeout) {
    timeout = static_cast<int>(ScriptDriver::kDefaultTimeout.count());
    const auto at = text.rfind(" timeout ");
    if (at == std::string::npos) {
        return true;
    }
    const std::string number = ScriptLine::trim(text.substr(at + 9));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        return true;
    }
    text = ScriptLine::trim(text.substr(0, at));
    const auto ms = script_number(number);
    timeout = ms.value_or(0);
    return ms.has_value();
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// "PATH@ANCHOR" into the path and the anchor.
std::pair<QString, QString> split_anchor(const std::string& target) {
    const auto at = target.find('@');
    if (at == std::string::npos) {
        return {q(target), {}};
    }
    return {q(target.substr(0, at)), q(target.substr(at + 1))};
}

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

QWidget* open_popup() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        return popup;
    }
    return nullptr;
}

QAbstractItemView* list_in(QWidget* popup) {
    if (auto* view = qobject_cast<QAbstractItemView*>(popup)) {
        return view;
    }
    return popup->findChild<QAbstractItemView*>();
}

QWidget* dialog_button(QWidget* modal, bool ok) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        for (QAbstractButton* b : box->buttons()) {
            const auto role = box->buttonRole(b);
            if (ok ? (role == QMessageBox::AcceptRole || role == QMessageBox::YesRole)
                   : (role == QMessageBox::RejectRole || role == QMessageBox::NoRole)) {
                return b;
            }
        }
    }
    for (auto* box : modal->findChildren<QDialogButtonBox*>()) {
        for (QAbstractButton* b : box->buttons()) {
            const auto role = box->buttonRole(b);
            if (ok ? role == QDialogButtonBox::AcceptRole : role == QDialogButtonBox::RejectRole) {
                return b;
            }
        }
    }
    const QString wanted = ok ? QStringLiteral("OK") : QStringLiteral("CANCEL");
    for (auto* b : modal->findChildren<QAbstractButton*>()) {
        if (b->isVisible() && plain(b->text()).trimmed().toUpper() == wanted) {
            return b;
        }
    }
    return nullptr;
}

}  // namespace

ScriptDriver::ScriptDriver(QWidget* root, Hooks hooks, std::ostream& out)
    : root_(root), hooks_(std::move(hooks)), out_(out) {
    poll_timer_.setInterval(kPollInterval);
    connect(&poll_timer_, &QTimer::timeout, this, &ScriptDriver::poll);
    heartbeat_.setTimerType(Qt::PreciseTimer);
    heartbeat_.setInterval(kHeartbeat);
    connect(&heartbeat_, &QTimer::timeout, this, [this] {
        longest_stall_ =
            std::max(longest_stall_, heartbeat_clock_.restart() - qint64(kHeartbeat.count()));
    });
}

ScriptDriver::~ScriptDriver() = default;

bool ScriptDriver::load(const QString& file, QString& error) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read %1: %2").arg(file, f.errorString());
        return false;
    }
    load_text(f.readAll().toStdString());
    return true;
}

void ScriptDriver::load_text(const std::string& text) {
    steps_.clear();
    std::istringstream lines(text);
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::string t = ScriptLine::trim(line);
        if (t.empty() || t[0] == '#') {
            continue;
        }
        steps_.push_back({++number, t});
    }
}

void ScriptDriver::start() {
    running_ = true;
    heartbeat_clock_.start();
    heartbeat_.start();
    QTimer::singleShot(0, this, &ScriptDriver::next);
}

void ScriptDriver::notice(const std::string& text, const std::string&) {
    out_ << "notice: " << text << std::endl;
    notices_.push_back(text);
}

int ScriptDriver::next_answer() {
    if (answers_.empty()) {
        return 1;
    }
    const int a = answers_.front();
    answers_.pop_front();
    return a;
}

bool ScriptDriver::ask(const std::string& text, const std::string&) {
    const bool ok = next_answer() != 0;
    out_ << "question: " << text << " -> " << (ok ? "OK" : "Cancel") << std::endl;
    return ok;
}

// One log line: the text's lines joined by " | ", then the numbered options.
int ScriptDriver::choose(const OperatorChoice& c) {
    const int a = next_answer();
    std::string text = c.text;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
        text.replace(at, 1, " | ");
    }
    out_ << "question: " << text;
    for (std::size_t k = 0; k < c.options.size(); ++k) {
        out_ << " [" << k + 1 << "] " << c.options[k];
    }
    const bool valid = a >= 1 && a <= static_cast<int>(c.options.size());
    out_ << " -> " << (valid ? c.options[static_cast<std::size_t>(a - 1)] : "Cancel") << std::endl;
    return valid ? a - 1 : -1;
}

bool ScriptDriver::event(QEvent* event) {
    if (event->type() == kMarker) {
        ++marker_seen_;
        return true;
    }
    return QObject::event(event);
}

void ScriptDriver::next() {
    if (ended_) {
        return;
    }
    if (next_ >= steps_.size()) {
        end_run();
        return;
    }
    current_ = &steps_[next_++];
    run(*current_);
}

void ScriptDriver::poll() {
    if (!poll_) {
        poll_timer_.stop();
        return;
    }
    Poll p = poll_;  // a step may hand over to a next poll of its own
    if (const auto result = p()) {
        finish_step(*result);
    }
}

void ScriptDriver::finish_step(const std::string& why) {
    poll_ = nullptr;
    poll_timer_.stop();
    if (current_ == nullptr) {
        return;
    }
    if (why.empty()) {
        ++passed_;
        out_ << "ok " << current_->number << " " << current_->text << std::endl;
    } else {
        ++failed_;
        out_ << "FAIL " << current_->number << " " << current_->text << ": " << why << std::endl;
    }
    current_ = nullptr;
    QTimer::singleShot(0, this, &ScriptDriver::next);
}

void ScriptDriver::end_run() {
    if (ended_) {
        return;
    }
    ended_ = true;
    running_ = false;
    heartbeat_.stop();
    out_ << passed_ << " passed, " << failed_ << " failed" << std::endl;
    out_ << "longest stall: " << longest_stall_ << " ms" << std::endl;
    emit finished(failed_);
}

void ScriptDriver::after_events(Poll then) {
    const int sent = ++marker_sent_;
    QCoreApplication::postEvent(this, new QEvent(kMarker));
    poll_ = [this, sent, then]() -> std::optional<std::string> {
        if (marker_seen_ < sent) {
            return std::nullopt;
        }
        if (then) {
            poll_ = then;
            return then();
        }
        return std::string();
    };
}

ScriptDriver::Poll ScriptDriver::wait_for(std::function<std::optional<std::string>()> check,
                                          int timeout_ms) {
    QElapsedTimer clock;
    clock.start();
    return [check, clock, timeout_ms]() -> std::optional<std::string> {
        const auto mismatch = check();
        if (!mismatch) {
            return std::string();
        }
        if (clock.elapsed() >= timeout_ms) {
            return *mismatch;
        }
        return std::nullopt;
    };
}

// Every verb a script may use, with the step that runs it.
const std::map<std::string, ScriptDriver::Verb>& ScriptDriver::verbs() {
    static const std::map<std::string, Verb> table = {
        {"click", &ScriptDriver::input_step},
        {"rclick", &ScriptDriver::input_step},
        {"dblclick", &ScriptDriver::input_step},
        {"press", &ScriptDriver::input_step},
        {"move", &ScriptDriver::input_step},
        {"release", &ScriptDriver::input_step},
        {"wheel", &ScriptDriver::input_step},
        {"key", &ScriptDriver::input_step},
        {"type", &ScriptDriver::input_step},
        {"drag", &ScriptDriver::drag_step},
        {"expect", &ScriptDriver::expect_step},
        {"wait-until", &ScriptDriver::expect_step},
        {"expect-notice", &ScriptDriver::notice_step},
        {"menu", &ScriptDriver::menu_step},
        {"choose", &ScriptDriver::choose_step},
        {"dialog", &ScriptDriver::dialog_step},
        {"answer", &ScriptDriver::answer_step},
        {"wait", &ScriptDriver::wait_step},
        {"shot", &ScriptDriver::shot_step},
        {"dump", &ScriptDriver::dump_step},
        {"state", &ScriptDriver::state_step},
        {"quit", &ScriptDriver::quit_step},
    };
    return table;
}

void ScriptDriver::run(const Step& step) {
    const ScriptLine line(step.text);
    const auto verb = verbs().find(line.verb());
    const std::optional<std::string> result = verb == verbs().end()
                                                  ? "unknown verb '" + line.verb() + "'"
                                                  : (this->*(verb->second))(line);
    if (ended_) {
        return;  // the step ended the run
    }
    if (result) {
        finish_step(*result);
    } else {
        poll_timer_.start();
    }
}

std::optional<std::string> ScriptDriver::answer_step(const ScriptLine& line) {
    const std::string rest = line.rest(1);
    const bool number = rest.size() == 1 && rest[0] >= '1' && rest[0] <= '9';
    if (rest != "ok" && rest != "cancel" && !number) {
        return std::string("answer takes ok, cancel or an option's number");
    }
    answers_.push_back(rest == "cancel" ? 0 : number ? rest[0] - '0' : 1);
    return std::string();
}

std::optional<std::string> ScriptDriver::wait_step(const ScriptLine& line) {
    const auto ms = script_number(line.rest(1));
    if (!ms) {
        return std::string("wait ") + kTakesMilliseconds;
    }
    poll_ = wait_for([] { return std::optional<std::string>("waiting"); }, *ms);
    poll_ = [inner = poll_]() -> std::optional<std::string> {
        return inner() ? std::optional<std::string>("") : std::nullopt;
    };
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::dump_step(const ScriptLine& line) {
    const std::string path = line.rest(1);
    if (!path.empty() && WidgetDump::find(root_, q(path)) == nullptr) {
        return "no widget " + path;
    }
    dump(path);
    return std::string();
}

std::optional<std::string> ScriptDriver::state_step(const ScriptLine&) {
    out_ << hooks_.state_json() << std::endl;
    return std::string();
}

std::optional<std::string> ScriptDriver::quit_step(const ScriptLine&) {
    ++passed_;
    out_ << "ok " << current_->number << " " << current_->text << std::endl;
    current_ = nullptr;
    end_run();
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::input_step(const ScriptLine& line) {
    const std::string& verb = line.verb();
    if (verb == "key" && line.word(3) == "until") {
        return key_until_step(line);
    }
    const std::string argument = line.rest(2);
    const auto [path, anchor] = split_anchor(line.word(1));
    const bool focused = path == QLatin1String(kFocusPath);
    QWidget* w = focused ? QApplication::focusWidget() : WidgetDump::find(root_, path);
    if (w == nullptr) {
        return focused ? std::string("no widget has the focus") : "no widget " + path.toStdString();
    }
    if (!w->isVisible()) {
        return path.toStdString() + " is hidden";
    }
    if (verb == "wheel") {
        bool ok = false;
        const int delta = q(argument).toInt(&ok);
        if (!ok) {
            return std::string("wheel takes a delta");
        }
        SyntheticEvents::wheel(w, delta);
    } else if (verb == "key") {
        int key = 0;
        Qt::KeyboardModifiers mods;
        QString text;
        if (!SyntheticEvents::parse_key(q(argument), key, mods, text)) {
            return "unknown key '" + argument + "'";
        }
        SyntheticEvents::key(w, key, mods, text);
    } else if (verb == "type") {
        // TEXT runs to the end of the line, spaces included.
        SyntheticEvents::type(w, q(line.after(2)));
    } else {
        QString error;
        const auto p = SyntheticEvents::locate(w, anchor, error);
        if (!p) {
            return error.toStdString();
        }
        if (verb == "click") {
            SyntheticEvents::click(*p);
        } else if (verb == "rclick") {
            SyntheticEvents::context_menu(*p);
        } else if (verb == "dblclick") {
            SyntheticEvents::double_click(*p);
        } else if (verb == "press") {
            SyntheticEvents::press(*p);
        } else if (verb == "move") {
            SyntheticEvents::move(*p);
        } else {
            SyntheticEvents::release(*p);
        }
    }
    after_events();
    return std::nullopt;
}

// `key focus CHORD until GOAL`: presses the chord, each press a real key event to whichever
// widget has the focus then, until GOAL has it: the operator's way there without a mouse (Tab,
// Shift+Tab), so a control the keys never reach fails the step.
std::optional<std::string> ScriptDriver::key_until_step(const ScriptLine& line) {
    if (line.word(1) != kFocusPath) {
        return std::string("key until takes focus CHORD until PATH");
    }
    const std::string goal_path = line.rest(4);
    QWidget* goal = WidgetDump::find(root_, q(goal_path));
    if (goal == nullptr) {
        return "no widget " + goal_path;
    }
    int key = 0;
    Qt::KeyboardModifiers mods;
    QString text;
    if (!SyntheticEvents::parse_key(q(line.word(2)), key, mods, text)) {
        return "unknown key '" + line.word(2) + "'";
    }
    for (int presses = 0; presses <= kMaxKeyRepeats; ++presses) {
        if (goal->hasFocus()) {
            return std::string();
        }
        QWidget* to = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : root_;
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(to, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QCoreApplication::sendEvent(to, &release);
    }
    return goal_path + " never took the focus in " + std::to_string(kMaxKeyRepeats) + " presses";
}

std::optional<std::string> ScriptDriver::drag_step(const ScriptLine& line) {
    const std::string& from_target = line.word(1);
    const std::string& to_target = line.word(2);
    int steps = 10;
    int ms = 200;
    // Options come in pairs; a last word without its value is passed over.
    for (std::size_t i = 3; i + 1 < line.size(); i += 2) {
        const std::string& key = line.word(i);
        const std::string& value = line.word(i + 1);
        const auto number = script_number(value);
        if (key == "steps" && (!number || *number > kMaxDragSteps)) {
            return "drag steps takes 1.." + std::to_string(kMaxDragSteps);
        }
        if (key == "ms" && !number) {
            return std::string("drag ms ") + kTakesMilliseconds;
        }
        if (key == "steps") {
            steps = std::max(1, *number);
        } else if (key == "ms") {
            ms = *number;
        } else {
            return "unknown drag option '" + key + "'";
        }
    }
    InputPoint ends[2];
    const std::string* targets[2] = {&from_target, &to_target};
    for (int i = 0; i < 2; ++i) {
        const auto [path, anchor] = split_anchor(*targets[i]);
        QWidget* w = WidgetDump::find(root_, path);
        if (w == nullptr || !w->isVisible()) {
            return "no visible widget " + path.toStdString();
        }
        QString error;
        const auto p = SyntheticEvents::locate(w, anchor, error);
        if (!p) {
            return error.toStdString();
        }
        ends[i] = *p;
    }
    // The widget that took the press gets every move, as under a mouse grab.
    const InputPoint from = ends[0];
    const QPoint to = from.target->mapFromGlobal(ends[1].target->mapToGlobal(ends[1].at));
    SyntheticEvents::press(from);
    QElapsedTimer clock;
    clock.start();
    auto done = std::make_shared<int>(0);
    QPointer<QWidget> target = from.target;
    poll_ = [this, from, to, steps, ms, clock, done, target]() -> std::optional<std::string> {
        if (!target) {
            return std::string("the widget went away");
        }
        const qint64 due = ms == 0 ? steps : std::min<qint64>(steps, clock.elapsed() * steps / ms);
        for (; *done < due; ++*done) {
            const double f = double(*done + 1) / steps;
            const QPoint at = from.at + (to - from.at) * f;
            SyntheticEvents::move({target, at});
        }
        if (*done < steps) {
            return std::nullopt;
        }
        SyntheticEvents::release({target, to});
        after_events();
        return std::nullopt;
    };
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::expect_step(const ScriptLine& line) {
    const bool wait = line.verb() == "wait-until";
    std::string text = line.rest(1);
    int timeout = 0;
    if (wait && !take_timeout(text, timeout)) {
        return std::string("timeout ") + kTakesMilliseconds;
    }
    const ScriptLine expected(text);
    const std::string& path = expected.word(0);
    const std::string& prop = expected.word(1);
    const std::string value = expected.rest(2);
    if (path.empty() || prop.empty()) {
        return std::string("takes PATH PROP VALUE");
    }
    auto check = [this, path = path, prop = prop, value = value]() -> std::optional<std::string> {
        QWidget* w = WidgetDump::find(root_, q(path));
        if (w == nullptr) {
            return "no widget " + path;
        }
        const auto description = WidgetDump::describe(w);
        const auto* p = WidgetDump::property(description, prop);
        if (p == nullptr) {
            return path + " has no " + prop;
        }
        const std::string actual = WidgetDump::compare_text(*p);
        if (actual == value) {
            return std::nullopt;
        }
        return prop + " is " + actual;
    };
    if (!wait) {
        return check().value_or("");
    }
    poll_ = wait_for(check, timeout);
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::notice_step(const ScriptLine& line) {
    std::string text = line.rest(1);
    int timeout = 0;
    if (!take_timeout(text, timeout)) {
        return std::string("timeout ") + kTakesMilliseconds;
    }
    poll_ = wait_for(
        [this, text]() -> std::optional<std::string> {
            for (size_t i = notice_mark_; i < notices_.size(); ++i) {
                if (notices_[i] == text) {
                    notice_mark_ = i + 1;
                    return std::nullopt;
                }
            }
            return std::string("no such notice");
        },
        timeout);
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::menu_step(const ScriptLine& line) {
    const std::string text = line.rest(1);
    poll_ = wait_for(
        [this, text]() -> std::optional<std::string> {
            auto* menu = qobject_cast<QMenu*>(open_popup());
            if (menu == nullptr) {
                return std::string("no open menu");
            }
            for (QAction* action : menu->actions()) {
                if (plain(action->text()) == plain(q(text)) || action->objectName() == q(text)) {
                    const QPoint at = menu->actionGeometry(action).center();
                    SyntheticEvents::click({menu, at});
                    after_events();
                    return std::nullopt;
                }
            }
            return "no menu entry '" + text + "'";
        },
        kPopupWait);
    // The wait hands over to the marker's poll once it clicked.
    Poll waiting = poll_;
    poll_ = [this, waiting]() -> std::optional<std::string> {
        auto r = waiting();
        return r && r->empty() ? std::nullopt : r;
    };
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::choose_step(const ScriptLine& line) {
    const std::string& path = line.word(1);
    const std::string choice = line.rest(2);
    QWidget* w = WidgetDump::find(root_, q(path));
    if (w == nullptr || !w->isVisible()) {
        return "no visible widget " + path;
    }
    if (choice.empty()) {
        return std::string("choose takes #K or TEXT");
    }
    SyntheticEvents::click({w, w->rect().center()});
    Poll pick = wait_for(
        [this, choice = choice]() -> std::optional<std::string> {
            QWidget* popup = open_popup();
            QAbstractItemView* view = popup ? list_in(popup) : nullptr;
            if (view == nullptr || view->model() == nullptr) {
                return std::string("no open list");
            }
            int row = -1;
            if (choice[0] == '#') {
                row = script_number(choice.substr(1)).value_or(-1);
            } else {
                for (int r = 0; r < view->model()->rowCount(); ++r) {
                    if (view->model()->index(r, 0).data().toString() == q(choice)) {
                        row = r;
                    }
                }
            }
            QString error;
            const auto p = SyntheticEvents::locate(view, QStringLiteral("item:%1").arg(row), error);
            if (!p) {
                return "no row " + choice;
            }
            view->scrollTo(view->model()->index(row, 0));
            SyntheticEvents::click(
                *SyntheticEvents::locate(view, QStringLiteral("item:%1").arg(row), error));
            after_events();
            return std::nullopt;
        },
        kPopupWait);
    after_events([pick]() -> std::optional<std::string> {
        auto r = pick();
        return r && r->empty() ? std::nullopt : r;
    });
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::dialog_step(const ScriptLine& line) {
    const std::string what = line.word(1);
    if (what != "type" && what != "ok" && what != "cancel") {
        return std::string("dialog takes type TEXT, ok or cancel");
    }
    const std::string typed = what == "type" ? line.rest(2) : std::string();
    Poll act = wait_for(
        [this, what = what, typed]() -> std::optional<std::string> {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr) {
                return std::string("no open dialog");
            }
            if (what == "type") {
                auto* edit = qobject_cast<QLineEdit*>(modal->focusWidget());
                if (edit == nullptr) {
                    edit = modal->findChild<QLineEdit*>();
                }
                if (edit == nullptr) {
                    return std::string("the dialog has no entry box");
                }
                SyntheticEvents::type(edit, q(typed));
            } else if (QWidget* button = dialog_button(modal, what == "ok")) {
                SyntheticEvents::click({button, button->rect().center()});
            } else {
                SyntheticEvents::key(modal, what == "ok" ? Qt::Key_Return : Qt::Key_Escape,
                                     Qt::NoModifier);
            }
            after_events();
            return std::nullopt;
        },
        kPopupWait);
    poll_ = [act]() -> std::optional<std::string> {
        auto r = act();
        return r && r->empty() ? std::nullopt : r;
    };
    return std::nullopt;
}

std::optional<std::string> ScriptDriver::shot_step(const ScriptLine& line) {
    const std::string& file = line.word(1);
    const std::string path = line.rest(2);
    if (file.empty()) {
        return std::string("shot takes FILE [PATH]");
    }
    QWidget* w = path.empty() ? root_ : WidgetDump::find(root_, q(path));
    if (w == nullptr) {
        return "no widget " + path;
    }
    if (!w->grab().save(q(file), "PNG")) {
        return "cannot write " + file;
    }
    return std::string();
}

void ScriptDriver::dump(const std::string& path) {
    QWidget* from = path.empty() ? root_ : WidgetDump::find(root_, q(path));
    for (QWidget* w : WidgetDump::named(from)) {
        out_ << WidgetDump::describe(w).dump() << '\n';
    }
    out_.flush();
}

}  // namespace kestra
