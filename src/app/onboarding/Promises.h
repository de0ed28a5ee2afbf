#pragma once

#include "controller/AppModel.h"
#include "design/Focus.h"
#include "onboarding/SketchView.h"

#include <QAbstractButton>

#include <vector>

namespace kelvora {

// One of the two cards that choose the window's view mode: a small drawing of the mode, its
// name and a line about it, and a mark when it is the chosen one. A click emits `clicked`;
// the card does not select itself: the controller's mode does, handed back by setSelected.
class ModeCard : public Focus::Ringed<QAbstractButton> {
    Q_OBJECT

public:
    enum class Preview { simple, detailed };

    ModeCard(const QString& title, const QString& detail, Preview preview,
             QWidget* parent = nullptr);

    bool selected() const { return isChecked(); }
    void setSelected(bool selected) { setChecked(selected); }
    Preview preview() const { return preview_; }
    QString detail() const { return detail_; }

    static constexpr qreal kPadding = 14;
    static constexpr QSizeF kPreviewSize{92, 60};
    static qreal height(const QString& title, const QString& detail, qreal width);
    static void paint(QPainter& painter, const QRectF& rect, const QString& title,
                      const QString& detail, bool selected, Preview preview,
                      bool focusRing = false);
    // The miniature of the mode, centred in `rect` (the 92 × 60 tile).
    static void previewArt(QPainter& painter, const QRectF& rect, Preview preview);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void nextCheckState() override {}

private:
    QString detail_;
    Preview preview_;
};

// The welcome's second step: three promises about how Kelvora behaves, and the choice of
// the simple or the detailed view, written to the controller at once.
class Promises : public SketchView {
    Q_OBJECT

public:
    explicit Promises(AppModel& model, QWidget* parent = nullptr);

    struct Row {
        QString symbol;
        QString title;
        QString detail;
    };
    struct Card {
        QString title;
        QString detail;
        ModeCard::Preview preview;
        AppModel::ViewMode mode;
    };
    // The promises for a hold period of the Undo Shelf in days.
    static std::vector<Row> rows(int holdDays);
    static const std::vector<Card>& cards();
    // One promise row at a width, its top left at the origin.
    static Sketch promise(const Row& row, qreal width);
    // The step at a width, its top left at the origin.
    static Sketch step(int holdDays, qreal width);

    ModeCard* card(AppModel::ViewMode mode) const;

protected:
    Sketch layout(QSizeF size) const override;

private:
    void refresh();

    AppModel& model_;
    int holdDays_ = 0;
    std::vector<ModeCard*> cards_;
};

} // namespace kelvora
