#pragma once

#include "onboarding/SketchView.h"

#include <QString>
#include <QStringList>

namespace kelvora {

class AccessPoll;
class AppModel;
class InkButton;
class OutlineButton;

// The card a category shows in place of its items when the scan found its folder closed:
// which folders Kelvora cannot read, what to check of them, and what Kelvora does with what
// it reads. It watches the folders live and, once they open, offers a new scan instead.
class FullDiskAccessGuide : public SketchView {
    Q_OBJECT

public:
    // `unlocks` names what the scan could not read where no folder it watches is closed
    // (Mail and Messages attachments).
    explicit FullDiskAccessGuide(AppModel& model, const QString& unlocks,
                                 QWidget* parent = nullptr);

    struct State {
        QString unlocks; // what Kelvora cannot read: exactly the closed folders, "the Trash"
        bool granted = false;
        // The folders closed right now, in words; only while not granted.
        QString closed;
    };

    static constexpr qreal kMaxWidth = 520;
    static QString title(const State& state);
    static QString subtitle(bool granted);
    static QString symbol(bool granted);
    // The three steps of the closed look: the closed folders, what to check, the watch.
    static QStringList steps(const State& state);
    static QString promiseCaption();
    static const QStringList& promises();
    // The card at a width (it takes at most 520), its top left at the origin.
    static Sketch card(const State& state, qreal width);

    bool granted() const { return state_.granted; }
    bool isPolling() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;

protected:
    Sketch layout(QSizeF size) const override;

private:
    void setGranted(bool granted);
    // Granted once nothing it watches is closed: the Trash's probe and every folder.
    bool open() const;
    State stateNow(bool granted) const;

    AppModel& model_;
    QString unlocks_;
    State state_;
    AccessPoll* poll_;
};

} // namespace kelvora
