#pragma once

#include <QWidget>

class QStackedWidget;

namespace kelvora {

class AppModel;
class InkButton;
class Meter;
class OutlineButton;
class PaintedText;
class PhotoGroupDelegate;
class PhotoGroupRows;
class RowStack;
class SignalButton;
class TextLinkButton;
class ThumbnailLoader;

// The similar photos pane: finds near-identical shots, shows each group (the kept shot and
// its extras) and moves the extras of the picked groups onto the Undo Shelf. It holds no
// state of its own beyond the thumbnails it has decoded: everything else follows the
// controller.
class SimilarPhotosView : public QWidget {
    Q_OBJECT

public:
    explicit SimilarPhotosView(AppModel& model, QWidget* parent = nullptr);

    RowStack* rows() const { return rows_; }
    ThumbnailLoader& thumbnails() const { return *thumbnails_; }
    // The row's context menu action: shows the group's files in the file manager.
    void showInFolder(int row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void refresh();
    void refreshFooter();
    QWidget* makeHeader();
    QWidget* makeSearching();
    QWidget* makeIntro();
    QWidget* makeNothingFound();
    QWidget* makeResults();
    QWidget* makeFooter();

    AppModel& model_;
    ThumbnailLoader* thumbnails_;
    PhotoGroupRows* groups_;
    PhotoGroupDelegate* delegate_;
    OutlineButton* lookAgain_ = nullptr;
    QStackedWidget* content_ = nullptr;
    PaintedText* progress_ = nullptr;
    Meter* meter_ = nullptr;
    RowStack* rows_ = nullptr;
    QWidget* footer_ = nullptr;
    PaintedText* summary_ = nullptr;
    PaintedText* hold_ = nullptr;
    TextLinkButton* pick_ = nullptr;
    SignalButton* move_ = nullptr;
};

} // namespace kelvora
