#pragma once

#ifndef Q_MOC_RUN
#include "controller/AppModel.h"
#include "panes/Copy.h"
#endif

#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace kelvora {

class Caption;
class OutlineButton;
class PaintedText;

// The line under the spinner while a scan runs: the step's name once the scanner reports
// one, before that "Checking your computer…".
std::string scanningLine(const std::optional<AppModel::ScanStep>& step);

// What the detailed view's done state shows after a clean-up.
struct DoneContent {
    std::vector<Copy::Run> headline;
    std::string paragraph;
    bool openShelf = false;    // the shelf still holds something
    bool shareReceipt = false; // the clean-up got something back
};
// Nothing outside the done phase.
std::optional<DoneContent> doneContent(const AppModel& model);

// The main column while a scan runs: a spinner over the step being checked.
class ScanningState : public QWidget {
    Q_OBJECT

public:
    explicit ScanningState(AppModel& model, QWidget* parent = nullptr);
    QString line() const;

private:
    void refresh();

    AppModel& model_;
    PaintedText* line_;
};

// The main column after a clean-up: "Done", what was cleared, what it means for the disk
// and the shelf, and the ways on.
class DoneState : public QWidget {
    Q_OBJECT

public:
    explicit DoneState(AppModel& model, QWidget* parent = nullptr);

    PaintedText* headline() const { return headline_; }
    PaintedText* paragraph() const { return paragraph_; }
    OutlineButton* openShelfButton() const { return openShelf_; }
    OutlineButton* shareReceiptButton() const { return shareReceipt_; }
    OutlineButton* checkAgainButton() const { return checkAgain_; }

private:
    void refresh();

    AppModel& model_;
    PaintedText* headline_;
    PaintedText* paragraph_;
    OutlineButton* openShelf_;
    OutlineButton* shareReceipt_;
    OutlineButton* checkAgain_;
};

} // namespace kelvora
