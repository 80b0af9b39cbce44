#include "shell/main_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <memory>

#include "controller/console.h"
#include "controls/cmenu_ex.h"
#include "controls/skinned_box.h"
#include "controls/tiled_background.h"
#include "editors/dynamics_editor.h"
#include "editors/geq_editor.h"
#include "editors/peq_editor.h"
#include "pages/group_buttons.h"
#include "pages/groups_page.h"
#include "pages/mode_page.h"
#include "pages/routing_page.h"
#include "shell/connect_tab.h"
#include "shell/header_bar.h"
#include "shell/help_tab.h"
#include "shell/journal_window.h"
#include "shell/operator_dialogs.h"
#include "shell/show_tab.h"
#include "shell/step_settler.h"
#include "shell/system_page.h"
#include "skin/skin_ids.h"
#include "skin/skin_sheet.h"
#include "strips/input_strip.h"
#include "strips/output_strip.h"
#include "strips/strip_bank.h"

namespace kestra {

namespace {

constexpr std::chrono::milliseconds kClosePoll{100};

}  // namespace

MainWindow::MainWindow(Console& controller, Profile& profile, OperatorDialogs& dialogs,
                       std::optional<DeviceEndpoint> search_host)
    : controller_(controller), profile_(profile), dialogs_(dialogs) {
    setWindowTitle(QString::fromLatin1(kTitle));
    dialogs_.set_parent(this);
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    // Only the bars take the sheet: on the area it would restyle every control of the canvas.
    for (QScrollBar* bar : {scroll_->horizontalScrollBar(), scroll_->verticalScrollBar()}) {
        bar->setStyleSheet(QString::fromLatin1(skin::SkinSheet::scroll_bars()));
    }
    canvas_ = new TiledBackground(nullptr, skin::kPageBackground);
    canvas_->setObjectName(QStringLiteral("canvas"));
    scroll_->setWidget(canvas_);
    build_header();
    build_views();
    system_ = new SystemPage(controller_, profile_, search_host, dialogs_, canvas_);
    connect(&system_->show_tab(), &ShowTab::recalled, this, [this] {
        scroll_to_origin();
        select_page(Page::Channel);
    });
    connect(&system_->help_tab(), &HelpTab::recovered, this, [this] {
        scroll_to_origin();
        select_page(Page::Channel);
    });
    system_->hide();
    connect(&system_->connect_tab(), &ConnectTab::connect_started, this, [this] {
        scroll_to_origin();
        select_page(Page::Channel);
    });
    connect(&system_->connect_tab(), &ConnectTab::offline_pressed, this,
            [this] { select_page(Page::Channel); });
    subscribe();
    canvas_->installEventFilter(this);
    new StepSettler(controller_, this);

    layout_.resize(size());
    apply_layout();
    show_readout(controller_.surface().readout.display());
    show_connection(controller_.session().connection_status());
    tick_.setInterval(kTick);
    connect(&tick_, &QTimer::timeout, this, [this] { controller_.tick(); });
    tick_.start();
    close_timer_.setInterval(kClosePoll);
    connect(&close_timer_, &QTimer::timeout, this, &MainWindow::close_tick);
    initialised_ = true;
}

MainWindow::~MainWindow() = default;

void MainWindow::build_header() {
    header_ = new HeaderBar(canvas_);
    connect(header_, &HeaderBar::page_chosen, this, &MainWindow::select_page);
    connect(header_, &HeaderBar::bank_chosen, this, &MainWindow::select_bank);
    connect(header_, &HeaderBar::link_pressed, this, [this](bool lit) {
        if (lit) {
            scroll_to_origin();
        } else {
            select_page(Page::System);
        }
    });
    connect(header_, &HeaderBar::menu_requested, this, &MainWindow::open_menu);
    connect(header_, &HeaderBar::typed, this, [this](Readout::Box box, const QString& text) {
        controller_.surface().readout.apply_typed_value(box, text.toStdString());
    });
}

void MainWindow::build_views() {
    strips_ = new StripBank(controller_.surface(), dialogs_, canvas_);
    strips_->setParent(this);
    connect(strips_, &StripBank::editor_requested, this, &MainWindow::open_editor);
    mode_ = new ModePage(controller_.surface(), canvas_);
    groups_ = new GroupsPage(controller_.surface(), canvas_);
    routing_ = new RoutingPage(controller_.surface(), canvas_);
    group_buttons_ = new GroupButtons(controller_.surface(), header_->mute_groups(),
                                      header_->control_groups(), this);
    const PresetSelector::Presets presets = [this]() -> PresetActions* {
        StoreSession* stores = controller_.stores_or_notice();
        return stores != nullptr ? &stores->presets() : nullptr;
    };
    OperatorActions& surface = controller_.surface();
    compressor_ =
        new DynamicsEditor(DynamicsEditor::Kind::Compressor, surface, dialogs_, presets, canvas_);
    limiter_ =
        new DynamicsEditor(DynamicsEditor::Kind::Limiter, surface, dialogs_, presets, canvas_);
    ProcessorSession& session = controller_.session();
    compressor_->follow(session.level_views(), session.levels().view());
    limiter_->follow(session.level_views(), session.levels().view());
    // In the order of StripEditor: compressor, PEQ, routing; then limiter, GEQ.
    input_editors_ = {compressor_, new PeqEditor(surface, dialogs_, presets, canvas_), routing_};
    output_editors_ = {limiter_, new GeqEditor(surface, dialogs_, presets, canvas_)};
}

void MainWindow::show_editor(QWidget* pane, QRect at, int channel) {
    pane->setGeometry(at);
    if (auto* editor = qobject_cast<EditorPane*>(pane)) {
        editor->show_channel(channel);
    } else {
        pane->show();
    }
}

void MainWindow::subscribe() {
    ProcessorSession& session = controller_.session();
    readout_sub_ = controller_.surface().readout.shown().subscribe(
        [this](const ReadoutDisplay& d) { show_readout(d); });
    connection_sub_ = session.connection_statuses().subscribe(
        [this](const ConnectionStatus& s) { show_connection(s); });
    strips_->follow(session.level_views(), session.levels().view());
    level_sub_ = session.level_views().subscribe([this](const LevelView& v) { show_overviews(v); });
    foreign_sub_ =
        session.foreign_changes().subscribe([this](uint64_t) { show_foreign_senders(); });
}

void MainWindow::show_overviews(const LevelView& view) {
    if (view.overview_due) {
        header_->show_overviews(view);
    }
}

void MainWindow::open_editor(int channel, StripEditor editor) {
    scroll_to_origin();
    const bool input = editor == StripEditor::Compressor || editor == StripEditor::Peq ||
                       editor == StripEditor::Routing;
    open_editor_ = editor;
    layout_.select_page(Page::Channel);
    layout_.set_edit_mode(input ? EditMode::InputEditor : EditMode::OutputEditor);
    if (editor == StripEditor::Routing) {
        routing_->show_channel(channel);
    }
    if (input) {
        strips_->input_detail()->show_channel(channel);
        controller_.surface().strips.select_input(channel);
    } else {
        strips_->output_detail()->show_channel(channel);
        controller_.surface().strips.select_output(channel);
    }
    apply_layout();
}

void MainWindow::show_connection(const ConnectionStatus& status) {
    header_->show_connection(status.online());
    system_->connect_tab().show_connected(status.connected());
    show_foreign_senders();
    // Told once when the completion becomes overdue, not again while it stays so.
    if (status.completion_overdue && !shown_connection_.completion_overdue) {
        dialogs_.notice(ConnectionRules::kIncompleteNotice, "");
    }
    shown_connection_ = status;
}

// Someone else sending to the control port is worth an installer's look, not a dialog.
void MainWindow::show_foreign_senders() {
    const ProcessorSession& session = controller_.session();
    const QString tip = tr("Processor %1\n%2 datagrams from other senders ignored")
                            .arg(QString::fromStdString(session.device().text()))
                            .arg(session.foreign_datagrams());
    header_->set_senders_tip(tip);
}

void MainWindow::show_readout(const ReadoutDisplay& display) {
    header_->show_readout(display);
}

void MainWindow::select_bank(int bank) {
    scroll_to_origin();
    layout_.select_bank(bank);
    layout_.set_edit_mode(EditMode::Strips);
    apply_layout();
}

void MainWindow::select_page(Page page) {
    scroll_to_origin();
    if (page == Page::Groups) {
        groups_->show_page();
    }
    layout_.select_page(page);
    layout_.set_edit_mode(EditMode::Strips);
    apply_layout();
}

void MainWindow::set_firmware_time_scale(double scale) {
    system_->help_tab().set_time_scale(scale);
}

void MainWindow::scroll_to_origin() {
    scroll_->horizontalScrollBar()->setValue(0);
    scroll_->verticalScrollBar()->setValue(0);
}

void MainWindow::connect_device() {
    if (controller_.connect()) {
        scroll_to_origin();
        select_page(Page::Channel);
    }
}

void MainWindow::apply_layout() {
    canvas_->resize(layout_.canvas_size());
    strips_->hide_all();
    for (QWidget* w : input_editors_)
        w->hide();
    for (QWidget* w : output_editors_)
        w->hide();
    for (QWidget* w : {mode_, static_cast<QWidget*>(groups_), static_cast<QWidget*>(system_)}) {
        w->hide();
    }
    header_->apply(layout_);

    switch (layout_.page()) {
        case Page::Channel:
            show_channel_page();
            break;
        case Page::System:
            system_->setGeometry(layout_.page_pane());
            system_->show();
            break;
        case Page::Mode:
            mode_->setGeometry(layout_.page_pane());
            mode_->show();
            break;
        case Page::Groups:
            groups_->setGeometry(layout_.page_pane());
            groups_->show();
            break;
    }
}

void MainWindow::show_channel_page() {
    switch (layout_.edit_mode()) {
        case EditMode::Strips: {
            const std::vector<ChannelStrip*> strips = strips_->bank(layout_.bank());
            const int first = strips.front()->channel();
            for (int slot = 0; slot < MainLayout::kStripsPerBank; ++slot) {
                ChannelStrip* strip = strips[static_cast<size_t>(slot)];
                strip->setGeometry(layout_.strip(slot));
                strip->show_channel(first + slot);
            }
            break;
        }
        case EditMode::InputEditor: {
            strips_->input_detail()->setGeometry(layout_.input_detail_strip());
            strips_->input_detail()->show();
            const auto k = static_cast<size_t>(open_editor_);  // compressor, PEQ, routing
            show_editor(input_editors_[k], layout_.input_editor(),
                        strips_->input_detail()->channel());
            break;
        }
        case EditMode::OutputEditor: {
            strips_->output_detail()->setGeometry(layout_.output_detail_strip());
            strips_->output_detail()->show();
            const bool limiter = open_editor_ == StripEditor::Limiter;
            show_editor(output_editors_[limiter ? 0 : 1], layout_.output_editor(),
                        strips_->output_detail()->channel());
            break;
        }
    }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scroll_->setGeometry(rect());
    if (!initialised_) {
        return;
    }
    scroll_to_origin();
    if (layout_.resize(size())) {
        apply_layout();
    } else {
        canvas_->resize(layout_.canvas_size());
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1) {
        show_about();
        return;
    }
    // Every control lets Ctrl+Z pass; a read-out box keeps it for its own text.
    switch (JournalWindow::undo_key(event)) {
        case JournalWindow::UndoKey::Undo:
            undo();
            return;
        case JournalWindow::UndoKey::Redo:
            redo();
            return;
        case JournalWindow::UndoKey::None:
            break;
    }
    QWidget::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == canvas_ && event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        QTimer::singleShot(0, this, &MainWindow::first_painted);
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::open_menu(const QPoint& global) {
    CMenuEx menu(this);
    menu.setObjectName(QStringLiteral("menu.popup"));
    controller_.settle();
    ChangeJournal& journal = controller_.journal();
    const auto entry = [&menu](const char* name, const QString& caption, const std::string& text,
                               const char* keys) {
        QAction* a = menu.addAction(
            text.empty() ? caption : caption + QStringLiteral(" ") + QString::fromStdString(text));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        a->setEnabled(!text.empty());
        return a;
    };
    QAction* undo_entry = entry("menu.undo", QStringLiteral("UNDO"), journal.undo_text(), "Ctrl+Z");
    QAction* redo_entry =
        entry("menu.redo", QStringLiteral("REDO"), journal.redo_text(), "Ctrl+Shift+Z");
    QAction* journal_entry = menu.addAction(QStringLiteral("JOURNAL..."));
    journal_entry->setObjectName(QStringLiteral("menu.journal"));
    menu.addSeparator();
    // Qt marks a mnemonic with & on its letter; a "(&A)" suffix would show literally.
    QAction* about = menu.addAction(QStringLiteral("&ABOUT KESTRA-V 2.1..."));
    about->setObjectName(QStringLiteral("menu.about"));
    QAction* chosen = menu.exec(global);
    if (chosen == about) {
        show_about();
    } else if (chosen == undo_entry) {
        undo();
    } else if (chosen == redo_entry) {
        redo();
    } else if (chosen == journal_entry) {
        show_journal();
    }
}

void MainWindow::undo() {
    controller_.journal().undo();
}

void MainWindow::redo() {
    controller_.journal().redo();
}

void MainWindow::show_journal() {
    if (journal_window_ == nullptr) {
        journal_window_ = new JournalWindow(controller_.journal(), this);
    }
    journal_window_->show();
    journal_window_->raise();
}

void MainWindow::show_about() {
    const std::unique_ptr<QMessageBox> box(SkinnedBox::make(
        QMessageBox::Information, QStringLiteral("About"),
        QStringLiteral("KESTRA-V 2.1\nControl of the KESTRA-V conference audio processor."),
        QMessageBox::Ok, this));
    box->setObjectName(QStringLiteral("about"));
    box->exec();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (close_done_) {
        event->accept();
        return;
    }
    event->ignore();
    if (closing_) {
        return;
    }
    if (controller_.surface().full_state.running() &&
        !dialogs_.ask(kCloseQuestion, NoticeSink::kCaption)) {
        return;
    }
    closing_ = true;
    controller_.shutdown();  // "Q" 00 goes out behind every frame still waiting
    close_clock_.start();
    close_timer_.start();
    // Nothing to wait for when the socket was closed already; checked once the event is done.
    QTimer::singleShot(0, this, &MainWindow::close_tick);
}

void MainWindow::close_tick() {
    if (!controller_.shutdown_done() && close_clock_.elapsed() < kCloseLimit.count()) {
        return;
    }
    close_timer_.stop();
    tick_.stop();
    close_done_ = true;
    close();
    emit finished();
}

}  // namespace kestra
