#include "window/FlowStates.h"

#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/Spinner.h"
#include "design/Theme.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace kelvora {

namespace {

OutlineButton* doneButton(const QString& title, const char* name, QWidget* parent) {
    auto* button = new OutlineButton(title, 40, 14, parent);
    button->setObjectName(name);
    return button;
}

} // namespace

std::string scanningLine(const std::optional<AppModel::ScanStep>& step) {
    return step ? "Checking " + step->name + "…" : "Checking your computer…";
}

std::optional<DoneContent> doneContent(const AppModel& model) {
    const AppModel::Phase& phase = model.phase();
    if (!phase.is(AppModel::Phase::Kind::done) || !phase.report) return std::nullopt;
    DoneContent content;
    content.headline = Copy::doneHeadline(*phase.report);
    content.paragraph = Copy::done(*phase.report, phase.disk, phase.report->sweep);
    content.openShelf = model.shelfBytes() >= 1;
    content.shareReceipt = model.receipt().has_value();
    return content;
}

// ---- Scanning ----

ScanningState::ScanningState(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), line_(new PaintedText(Fonts::text(15), Token::muted, this)) {
    setObjectName("ScanningState");
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->addStretch();
    layout->addWidget(new Spinner(32, this), 0, Qt::AlignHCenter);
    layout->addWidget(line_, 0, Qt::AlignHCenter);
    layout->addStretch();
    model_.follow({&AppModel::scanChanged}, this, &ScanningState::refresh);
    refresh();
}

QString ScanningState::line() const {
    return line_->text();
}

void ScanningState::refresh() {
    line_->setText(QString::fromStdString(scanningLine(model_.scanStep())));
}

// ---- Done ----

DoneState::DoneState(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model),
      headline_(new PaintedText(Fonts::text(40, QFont::DemiBold), Token::ink, this)),
      paragraph_(new PaintedText(Fonts::text(17), Token::muted, this)),
      openShelf_(doneButton("Open Undo Shelf", "OpenUndoShelfButton", this)),
      shareReceipt_(doneButton("Share receipt", "ShareReceiptButton", this)),
      checkAgain_(doneButton("Check again", "DoneCheckAgainButton", this)) {
    setObjectName("DoneState");
    paragraph_->setMaximumTextWidth(560);
    headline_->setObjectName("DoneHeadline");
    paragraph_->setObjectName("DoneParagraph");

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addWidget(openShelf_);
    buttons->addWidget(shareReceipt_);
    buttons->addWidget(checkAgain_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(48, 48, 48, 48);
    layout->setSpacing(14);
    layout->addWidget(new Caption("Done", this), 0, Qt::AlignLeft);
    layout->addWidget(headline_);
    layout->addWidget(paragraph_);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(openShelf_, &QAbstractButton::clicked, &model_,
            [this] { model_.show(std::nullopt, true, false, false, false, false); });
    connect(shareReceipt_, &QAbstractButton::clicked, &model_,
            [this] { model_.setShowingReceipt(true); });
    connect(checkAgain_, &QAbstractButton::clicked, &model_, [this] { model_.scan(); });
    model_.follow({&AppModel::scanChanged, &AppModel::shelfChanged, &AppModel::settingsChanged},
                  this, &DoneState::refresh);
    refresh();
}

void DoneState::refresh() {
    auto content = doneContent(model_);
    if (!content) return;
    headline_->setRuns(Copy::flowRuns(content->headline));
    paragraph_->setText(QString::fromStdString(content->paragraph));
    openShelf_->setVisible(content->openShelf);
    shareReceipt_->setVisible(content->shareReceipt);
}

} // namespace kelvora
