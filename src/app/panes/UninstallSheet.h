#pragma once

#include "design/SheetFrame.h"
#include "model/ScanItem.h"
#include "panes/UninstallSheetLayout.h"

#include <QImage>
#include <QWidget>

#include <map>

namespace kelvora {

class AppModel;
class PaintedButton;
class SpokenText;

// The sheet that confirms removing an application with the files it keeps in the Library,
// or cleaning up what a removed application left behind. It shows what goes and, by the
// controller's state, why it can't go yet, the administrator's route, the button that moves
// it all onto the Undo Shelf, or how the removal ended. Every button calls the controller;
// the sheet follows the controller's target, so an application released by the password
// route shows here again, ready to move.
//
// Assistive technology hears a dialog named by its title, and its words as text in the order
// they are painted; opened from the keyboard, its default button takes the keyboard.
//
// A card as tall as its state needs, for the window to show centred over itself; in a short
// window what goes scrolls and the buttons stay in view.
class UninstallSheet : public SheetFrame {
    Q_OBJECT

public:
    // What assistive technology calls the list of what goes.
    static inline const QString kFilesName = QStringLiteral("Files that go");

    explicit UninstallSheet(AppModel& model, const ScanItem& item, QWidget* parent = nullptr);

    const ScanItem& item() const { return item_; }
    const UninstallSheetLayout& layout() const { return layout_; }
    PaintedButton* button(UninstallSheetLayout::Button button) const;

private:
    void refresh();
    void placeButtons();
    void sayWords();
    void paintBody(QPainter& painter) const;
    void paintIcon(QPainter& painter) const;

    AppModel& model_;
    ScanItem item_;
    // The app's own icon, looked up once for the icon its item names; null where it has none.
    std::string iconName_;
    QImage icon_;
    UninstallSheetLayout layout_;
    std::map<UninstallSheetLayout::Button, PaintedButton*> buttons_;
    // What the body paints, as assistive technology reads it.
    SpokenText* title_;
    SpokenText* subtitle_;
    SpokenText* files_;
    SpokenText* message_;
};

} // namespace kelvora
