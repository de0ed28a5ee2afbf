#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "login/LoginItem.h"
#include "panes/LoginItemsText.h"
#endif

#include <QWidget>

#include <array>
#include <optional>

namespace kelvora {

class AppModel;
class Caption;
class OutlineButton;
class SelectableText;
class PaintedText;

// The facts of a login item: "Now" with its state badge, "At login", "Belongs to" and
// "Kind", one per row under a hairline.
class LoginFacts : public QWidget {
    Q_OBJECT

public:
    explicit LoginFacts(QWidget* parent = nullptr);

    void setItem(const LoginItem& item);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    LoginItem item_;
    std::vector<LoginItemsText::Fact> facts_;
};

// The right-hand column of the login items pane: what the selected item is called and
// does, its facts, where its file lies and what it runs, why it can't be switched here,
// and its buttons. Without a selection it says how to get one.
class LoginItemInspector : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 300;

    explicit LoginItemInspector(AppModel& model, QWidget* parent = nullptr);

    void refresh();
    const std::optional<LoginItem>& item() const { return item_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void present(const LoginItem& item);

    AppModel& model_;
    std::optional<LoginItem> item_;
    PaintedText* placeholder_;
    PaintedText* name_;
    PaintedText* purpose_;
    LoginFacts* facts_;
    std::array<QWidget*, 3> blocks_{};
    std::array<Caption*, 3> blockTitles_{};
    std::array<SelectableText*, 3> blockValues_{};
    PaintedText* notLoaded_;
    PaintedText* switchNote_;
    QWidget* buttons_;
    OutlineButton* reveal_;
    OutlineButton* switch_;
};

} // namespace kelvora
