#pragma once

// The code generator of Qt cannot read every standard header; it needs none of these.
#ifndef Q_MOC_RUN
#include "window/CategoryRows.h"
#endif

#include <QPointer>
#include <QWidget>

#include <optional>

namespace kelvora {

class AppModel;
class CategoryList;
class FullDiskAccessGuide;
class Inspector;
class Scrolling;
class TextLinkButton;

// One category's items, picked one by one: a header with the picks of the category and
// links to pick all or none, the rows (removable items, then the ones left alone), an empty
// state, and the inspector of the focused item on the right. Shows the controller's
// category in its result; nothing while there is none.
class CategoryDetail : public QWidget {
    Q_OBJECT

public:
    explicit CategoryDetail(AppModel& model, QWidget* parent = nullptr);

    static constexpr qreal kHeaderHeight = 64;
    static constexpr const char* kEmpty = "Nothing here right now.";

    const CategoryHeader& header() const { return header_; }
    CategoryRows* rows() const { return rows_; }
    CategoryList* list() const { return list_; }
    Inspector* inspector() const { return inspector_; }
    TextLinkButton* pickAllButton() const { return pickAll_; }
    TextLinkButton* pickNoneButton() const { return pickNone_; }
    // The guide shown for a category whose folder the scan could not read; none otherwise.
    FullDiskAccessGuide* guide() const;
    // Whether the body shows "Nothing here right now.".
    bool showsEmptyState() const;

    // Works everything out again from the controller; changes call it by themselves.
    void refresh();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void relayout();
    void showGuide(const std::optional<std::string>& phrase);
    QRectF listColumn() const;
    QRectF body() const;

    AppModel& model_;
    // Made in the order Tab follows, the page's from top to bottom: the header's links, the
    // rows below them, then the inspector beside the rows.
    TextLinkButton* pickAll_;
    TextLinkButton* pickNone_;
    CategoryRows* rows_;
    CategoryList* list_;
    Scrolling* scrolling_;
    Inspector* inspector_;
    QPointer<FullDiskAccessGuide> guide_;
    std::string guidePhrase_;
    CategoryHeader header_;
};

} // namespace kelvora
