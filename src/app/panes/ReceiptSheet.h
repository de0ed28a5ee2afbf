#pragma once

#include "controller/Receipt.h"
#include "design/SheetFrame.h"
#include "panes/ReceiptLayout.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QVariantAnimation;

namespace kelvora {

class OutlineButton;
class InkButton;
class PaintedText;

// The sheet that prints the receipt of a finished clean-up: the paper slides out from under
// a printer slot, and below it "Copy image" (the picture onto the clipboard; it then reads
// "Copied"), "Save…" (a PNG wherever the user says), "Share…" (the PNG of the temporary
// folder shown in the file manager, ready to be sent on) and "Done" (Return), which calls
// `close`. A save that fails says why under the buttons. In a short window the paper scrolls
// and the buttons stay in view.
class ReceiptSheet : public SheetFrame {
    Q_OBJECT

public:
    static constexpr qreal kWidth = 456;
    // How far above its place the paper starts, and how it comes down.
    static constexpr qreal kTravel = 720;
    static constexpr int kDelayMs = 200;
    static constexpr int kDurationMs = 1600;

    explicit ReceiptSheet(const Receipt& receipt, std::function<void()> close,
                          QWidget* parent = nullptr);

    // How far the paper has come out, 0 to 1.
    double printed() const { return printed_; }
    bool copied() const { return copied_; }
    // The PNG written to the temporary folder when the sheet appeared.
    const std::optional<std::string>& file() const { return file_; }
    // The name the save dialog proposes.
    QString proposedName() const;
    // Writes the PNG to `path`; on failure shows the reason and returns false.
    bool saveTo(const QString& path);
    // What the last failed save said; empty after a good one.
    QString error() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void copyImage();
    void save();
    void share();
    void setPrinted(double printed);
    void showError(const QString& text);

    Receipt receipt_;
    std::function<void()> close_;
    ReceiptLayout layout_;
    bool copied_ = false;
    std::optional<std::string> file_;
    double printed_ = 0;
    QWidget* printer_ = nullptr;
    OutlineButton* copy_ = nullptr;
    OutlineButton* save_ = nullptr;
    OutlineButton* share_ = nullptr;
    InkButton* done_ = nullptr;
    PaintedText* error_ = nullptr;
    QPointer<QVariantAnimation> printing_;
};

} // namespace kelvora
