#include "panes/ReceiptSheet.h"

#include "controller/Reveal.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Motion.h"
#include "design/PaintedText.h"
#include "design/Shapes.h"
#include "design/Theme.h"
#include "panes/ReceiptImage.h"
#include "platform/FileSystem.h"

#include <QClipboard>
#include <QDir>
#include <QEasingCurve>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QVariantAnimation>

#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kPadding = 24;
constexpr qreal kSpacing = 18;
constexpr qreal kSlotHeight = 8;
constexpr qreal kSlotInset = 30;
constexpr qreal kPaperRadius = 12;

// The printer: a dark slot across the top with the paper coming out from under it. The
// part of the paper still inside the printer is not drawn.
class Printer : public QWidget {
public:
    Printer(const ReceiptLayout& layout, const double& printed, QWidget* parent)
        : QWidget(parent), layout_(layout), printed_(printed) {
        QSizeF paper = layout_.size();
        setFixedSize(static_cast<int>(std::ceil(paper.width())),
                     static_cast<int>(std::ceil(kSlotHeight + paper.height())));
        setAccessibleName("Receipt");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QRectF place(QPointF(0, kSlotHeight), layout_.size());
        qreal offset = -(1 - printed_) * ReceiptSheet::kTravel;
        painter.save();
        painter.setClipRect(place.adjusted(0, -1, 0, 0));
        painter.translate(0, place.top() + offset);
        painter.setClipPath(
            Shapes::continuousRect(QRectF(QPointF(0, 0), layout_.size()), kPaperRadius),
            Qt::IntersectClip);
        layout_.paint(painter);
        painter.restore();
        QRectF slot(kSlotInset, 0, width() - 2 * kSlotInset, kSlotHeight);
        painter.fillPath(Shapes::capsule(slot), Theme::ink());
    }

private:
    const ReceiptLayout& layout_;
    const double& printed_;
};

QEasingCurve printingCurve() {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.2, 0.8), QPointF(0.3, 1.0), QPointF(1, 1));
    return curve;
}

} // namespace

ReceiptSheet::ReceiptSheet(const Receipt& receipt, std::function<void()> close, QWidget* parent)
    : SheetFrame(parent), receipt_(receipt), close_(std::move(close)), layout_(receipt) {
    setObjectName("ReceiptSheet");
    setAccessibleName("Receipt");
    printer_ = new Printer(layout_, printed_, this);
    copy_ = new OutlineButton("Copy image", 32, 13, this);
    copy_->setObjectName("copyImage");
    save_ = new OutlineButton("Save…", 32, 13, this);
    save_->setObjectName("save");
    share_ = new OutlineButton("Share…", 32, 13, this);
    share_->setObjectName("share");
    share_->hide();
    done_ = new InkButton("Done", this);
    done_->setObjectName("done");
    done_->setKeyRole(KeyRole::confirm);
    error_ = new PaintedText(Fonts::text(12.5), Token::signalText, this);
    error_->setObjectName("saveError");
    error_->setFixedWidth(static_cast<int>(kWidth - 2 * kPadding));
    error_->hide();

    // The paper scrolls in a short window; the buttons stay below it.
    auto* paper = new QWidget;
    paper->setObjectName("receiptPaper");
    auto* printing = new QVBoxLayout(paper);
    printing->setContentsMargins(kPadding, kPadding, kPadding, kSpacing);
    printing->addWidget(printer_, 0, Qt::AlignHCenter);
    printing->setSizeConstraint(QLayout::SetFixedSize);

    auto* foot = new QWidget;
    foot->setObjectName("receiptButtons");
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(10);
    buttons->addWidget(copy_, 0, Qt::AlignVCenter);
    buttons->addWidget(save_, 0, Qt::AlignVCenter);
    buttons->addWidget(share_, 0, Qt::AlignVCenter);
    buttons->addStretch(1);
    buttons->addWidget(done_, 0, Qt::AlignVCenter);
    auto* column = new QVBoxLayout(foot);
    column->setContentsMargins(kPadding, 0, kPadding, kPadding);
    column->setSpacing(kSpacing);
    column->addLayout(buttons);
    // A save error grows the foot by its line.
    column->addWidget(error_);
    setParts(paper, foot);

    connect(copy_, &QPushButton::clicked, this, &ReceiptSheet::copyImage);
    connect(save_, &QPushButton::clicked, this, &ReceiptSheet::save);
    connect(share_, &QPushButton::clicked, this, &ReceiptSheet::share);
    connect(done_, &QPushButton::clicked, this, [this] {
        if (close_) close_();
    });
}

QString ReceiptSheet::proposedName() const {
    if (file_) return QString::fromStdString(lastComponent(*file_));
    return "Kelvora receipt.png";
}

QString ReceiptSheet::error() const {
    return error_->isHidden() ? QString() : error_->text();
}

void ReceiptSheet::showEvent(QShowEvent* event) {
    SheetFrame::showEvent(event);
    file_ = ReceiptImage::file(receipt_);
    share_->setVisible(file_.has_value());
    if (printing_) printing_->stop();
    if (!Motion::animates(this)) {
        setPrinted(1);
        return;
    }
    setPrinted(0);
    auto* animation = new QVariantAnimation(this);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->setDuration(kDurationMs);
    animation->setEasingCurve(printingCurve());
    connect(animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setPrinted(value.toDouble()); });
    printing_ = animation;
    QTimer::singleShot(kDelayMs, animation,
                       [animation] { animation->start(QAbstractAnimation::DeleteWhenStopped); });
}

void ReceiptSheet::setPrinted(double printed) {
    printed_ = printed;
    printer_->update();
}

void ReceiptSheet::copyImage() {
    auto bytes = ReceiptImage::png(receipt_);
    if (!bytes) return;
    QImage image = QImage::fromData(*bytes, "PNG");
    if (image.isNull()) return;
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setImage(image);
    copied_ = true;
    copy_->setText("Copied");
}

void ReceiptSheet::save() {
    QFileDialog dialog(this, "Save Receipt");
    dialog.setObjectName("saveReceiptDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter("PNG image (*.png)");
    dialog.setDefaultSuffix("png");
    dialog.setDirectory(QDir::homePath());
    dialog.selectFile(proposedName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    saveTo(dialog.selectedFiles().front());
}

bool ReceiptSheet::saveTo(const QString& path) {
    auto bytes = ReceiptImage::png(receipt_);
    if (!bytes) {
        showError("The receipt couldn’t be drawn, so nothing was saved.");
        return false;
    }
    FileResult written = writeFileAtomically(path.toStdString(),
                                             std::string_view(bytes->constData(), bytes->size()));
    if (!written) {
        showError("The receipt wasn’t saved. " + QString::fromStdString(written.reason) + ".");
        return false;
    }
    error_->hide();
    return true;
}

void ReceiptSheet::showError(const QString& text) {
    error_->setText(text);
    error_->show();
}

void ReceiptSheet::share() {
    file_ = ReceiptImage::file(receipt_);
    if (file_) revealInFileManager(URL::fileURL(*file_));
}

} // namespace kelvora
