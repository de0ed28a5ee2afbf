#pragma once

#include <QStringList>
#include <QWidget>

class QLineEdit;
class QStackedLayout;

namespace kelvora {

class AppModel;
class RowStack;
class SearchHitsModel;
class Spinner;
class PaintedText;

namespace search {
class ChipRow;
class Intro;
class MoveButton;
} // namespace search

// The plain-words search: a field for a phrase ("videos over 1 GB from last year"), the
// filters the controller understood as chips (or example phrases before a search), the
// hits as rows with pick boxes, and a footer that moves the picked files onto the Undo
// Shelf. Return in the field searches; nothing is searched while typing.
class SearchView : public QWidget {
    Q_OBJECT

public:
    explicit SearchView(AppModel& model, QWidget* parent = nullptr);

    QLineEdit* field() const { return field_; }
    RowStack* results() const { return results_; }
    SearchHitsModel* hits() const { return hits_; }
    const QStringList& examples() const { return examples_; }
    search::ChipRow* chips() const { return chips_; }
    search::MoveButton* moveButton() const { return move_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refresh();
    void search(const QString& phrase);
    void showContextMenu(const QPoint& position);
    void reveal(int row);

    AppModel& model_;
    QStringList examples_;
    QLineEdit* field_;
    Spinner* spinner_;
    search::ChipRow* chips_;
    QStackedLayout* resultsArea_;
    search::Intro* intro_;
    search::Intro* message_;
    RowStack* results_;
    SearchHitsModel* hits_;
    QWidget* footer_;
    PaintedText* count_;
    PaintedText* hold_;
    search::MoveButton* move_;
};

} // namespace kelvora
