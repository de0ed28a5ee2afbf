#pragma once

#include "onboarding/SketchView.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kelvora {

class AccessPoll;
class AppModel;
class InkButton;
class OutlineButton;

// The card a category shows in place of its items when the scan found its folder closed:
// what is missing, the three steps that open it, and what Kelvora does with the access. It
// watches the permission live and, once it is on, offers a new scan instead of the steps.
class FullDiskAccessGuide : public SketchView {
    Q_OBJECT

public:
    explicit FullDiskAccessGuide(AppModel& model, const QString& unlocks,
                                 QWidget* parent = nullptr);

    struct State {
        QString unlocks; // what the access would reveal: "the Trash"
        bool granted = false;
        // What the settings button said, once it was pressed.
        std::optional<QString> note;
    };

    static constexpr qreal kMaxWidth = 520;
    static QString title(const State& state);
    static QString subtitle(bool granted);
    static QString symbol(bool granted);
    struct Step {
        QString text;
        QString button; // empty: none
    };
    static const std::vector<Step>& steps();
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
    void explainAccess();

    AppModel& model_;
    State state_;
    AccessPoll* poll_;
};

} // namespace kelvora
