#pragma once

#include <QDialog>
#include <optional>

namespace kestra {

class EntryEdit;
class NoticeSink;
class PngButton;
class ValueLabel;

// The NAME dialog: one entry box with OK and Cancel. OK (or Enter in the box) closes only when
// the name fits the channel-name rule; otherwise the operator is told and the dialog stays open
// with the text as typed. Below the box, how many characters the rule still takes, so a name
// is not typed long only to be refused. Storing and sending the name is the caller's job.
class NameDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kEntryLengthLimit = 10;

    explicit NameDialog(QWidget* parent = nullptr);

    void set_name(const QString& name);
    QString name() const;
    // Where a refused name is told; without one, a warning box opens over the dialog.
    void set_notices(NoticeSink& notices) { notices_ = &notices; }

    // Modal: the new name on OK, nothing on Cancel.
    std::optional<QString> run(const QString& current_name);
    // The whole rename question of a page: the dialog over `parent`, pre-filled, its refusals
    // told to the operator through `notices`.
    static std::optional<QString> ask(QWidget* parent, const QString& current_name,
                                      NoticeSink& notices);

    PngButton* ok_button() const { return ok_; }
    PngButton* cancel_button() const { return cancel_; }
    EntryEdit* entry() const { return entry_; }
    ValueLabel* room_label() const { return room_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void confirm();
    void show_room();

    PngButton* ok_;
    PngButton* cancel_;
    ValueLabel* caption_;
    EntryEdit* entry_;
    ValueLabel* room_;
    NoticeSink* notices_ = nullptr;
};

}  // namespace kestra
