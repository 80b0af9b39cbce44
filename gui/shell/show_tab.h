#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "recall/recall_read_back.h"
#include "recall/scene_library.h"
#include "session/full_state_writer.h"
#include "util/publisher.h"

class QProgressBar;

namespace kestra {

class Console;
class NoticeSink;
class PngButton;
class SceneActions;
class ValueLabel;

// The SYSTEM page's SHOW tab: SAVE and the 32 scene buttons "ID:NAME" in ID order (the first
// 32 rows), each opening the scene menu: NAME (the NAME dialog), RECALL and DELETE with their
// questions. A recall writes the processor while the progress bar counts the commands sent,
// then tells the read-back while it runs and how it ended; the window stays usable meanwhile.
class ShowTab : public QWidget {
    Q_OBJECT

public:
    static constexpr int kButtons = 32;
    static constexpr double kCaptionSize = 8;
    // The widest caption a scene button must show whole: the highest ID and eight of the
    // skin font's widest letters.
    static constexpr const char* kWidestCaption = "32:WWWWWWWW";
    // A scene button's width: kWidestCaption at kCaptionSize with a margin each side.
    static int button_width();

    ShowTab(Console& controller, NoticeSink& notices, QWidget* parent);

    // The buttons from the scene table; done when the tab is shown.
    void refresh();

signals:
    // A scene was recalled into the state: the window returns to the CHANNEL page.
    void recalled();

private:
    SceneActions* scenes();
    void follow_read_back(SceneActions& scenes);
    void open_menu(int button);

    Console& controller_;
    NoticeSink& notices_;
    PngButton* save_ = nullptr;
    std::array<PngButton*, kButtons> buttons_{};
    std::vector<SceneEntry> entries_;  // what the buttons show, in their order
    QProgressBar* progress_ = nullptr;
    ValueLabel* progress_text_ = nullptr;
    Publisher<FullStateProgress>::Subscription progress_sub_;
    bool following_read_back_ = false;
    std::string read_back_title_;
    Publisher<std::string>::Subscription read_back_started_;
    Publisher<ReadBackResult>::Subscription read_back_finished_;
};

}  // namespace kestra
