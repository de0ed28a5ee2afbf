#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "design/RollingNumber.h"
#include "design/TextFlow.h"
#include "window/InspectorContent.h"
#endif

#include <QWidget>

#include <optional>
#include <vector>

namespace kelvora {

class AppModel;
class InspectorBody;
class OutlineButton;
class Scrolling;
class SelectableText;

// The pane beside a category's list that tells about the one item the user focused: what
// it is and frees, what removing it does, its facts, where it lies, and what can be done
// with it. Without an item it says how to get one. What it tells scrolls when the pane is
// too short for it; the buttons stay at the foot of the pane, always in reach.
class Inspector : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 300;

    explicit Inspector(AppModel& model, QWidget* parent = nullptr);

    // The item to show, or none; read again with the picks at each call.
    void setItem(const ScanItem* item);
    const std::optional<InspectorContent>& content() const { return content_; }

    OutlineButton* showInFolderButton() const { return showButton_; }
    OutlineButton* secondButton() const { return secondButton_; }
    SelectableText* whereText() const { return where_; }
    // Holds everything above the buttons.
    Scrolling* scrolling() const { return scrolling_; }

    QSize sizeHint() const override { return {kWidth, 400}; }

    // Where each block goes, for the width of the pane.
    struct Layout {
        struct FactRow {
            qreal top = 0;
            qreal height = 0;
            TextFlow value; // wrapped text values and the kept copy's path
        };
        qreal captionTop = 0;
        TextFlow name;
        qreal nameTop = 0;
        qreal sizeTop = 0;
        qreal sizeHeight = 0;
        TextFlow explanation;
        qreal explanationTop = 0;
        std::vector<FactRow> facts;
        qreal whereTop = 0;
        qreal whereTextTop = 0;
        qreal bottom = 0; // of the last block
    };
    // In the coordinates of what scrolls, which starts at the top of the pane.
    const Layout& layout() const { return layout_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class InspectorBody;

    bool hasButtons() const;
    Layout layOut(qreal width) const;
    void arrange();
    void relayout();
    void paintDetails(QPainter& painter, qreal width) const;
    void paintFact(QPainter& painter, const Fact& fact, const Layout::FactRow& row,
                   qreal width) const;

    AppModel& model_;
    std::optional<ScanItem> item_;
    std::optional<InspectorContent> content_;
    Layout layout_;
    InspectorBody* body_;
    Scrolling* scrolling_;
    RollingNumber number_;
    OutlineButton* showButton_;
    OutlineButton* secondButton_;
    SelectableText* where_;
};

} // namespace kelvora
