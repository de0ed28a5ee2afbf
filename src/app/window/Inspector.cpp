#include "window/Inspector.h"

#include "clean/AdminUnlock.h"
#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Fonts.h"
#include "design/Scrolling.h"
#include "design/SelectableText.h"
#include "design/Shapes.h"
#include "design/Theme.h"
#include "design/VerdictBadge.h"

#include <QCoreApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kelvora {

namespace {

constexpr qreal kInset = 20;
constexpr qreal kPlaceholderInset = 22;
constexpr qreal kGap = 14;
constexpr qreal kHeadingGap = 6;
constexpr qreal kNumberUnitGap = 5;
constexpr qreal kFactInset = 9;
constexpr qreal kFactSpacing = 8;
constexpr qreal kStackedGap = 4;
constexpr qreal kWhereGap = 6;
constexpr qreal kButtonHeight = 32;
constexpr qreal kButtonFont = 13;
constexpr qreal kButtonGap = 8;

QFont nameFont() {
    return Fonts::text(16, QFont::DemiBold);
}
QFont explanationFont() {
    return Fonts::text(13);
}
QFont labelFont() {
    return Fonts::text(12.5);
}
QFont valueFont() {
    return Fonts::text(12.5, QFont::Medium);
}
QFont pathFont() {
    return Fonts::mono(11.5);
}

qreal contentWidth(qreal paneWidth) {
    return std::max<qreal>(0, paneWidth - 2 * kInset);
}

qreal valueWidth(const Fact& fact, qreal width) {
    return std::max<qreal>(
        0, width -
               QFontMetricsF(labelFont()).horizontalAdvance(QString::fromStdString(fact.label)) -
               kFactSpacing);
}

bool sameContent(const InspectorContent& a, const InspectorContent& b) {
    return a.name == b.name && a.size.number == b.size.number && a.size.unit == b.size.unit &&
           a.explanation == b.explanation && a.facts == b.facts &&
           a.whereCaption == b.whereCaption && a.whereText == b.whereText &&
           a.showInFolder == b.showInFolder && a.second == b.second;
}

} // namespace

// What scrolls: everything above the buttons, as tall as its blocks are at its width.
class InspectorBody : public QWidget {
public:
    explicit InspectorBody(Inspector& pane) : pane_(pane) {
        setObjectName("inspectorBody");
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        if (!pane_.content_) return 0;
        qreal below = pane_.hasButtons() ? kGap : kInset;
        return static_cast<int>(std::ceil(pane_.layOut(width).bottom + below));
    }
    QSize sizeHint() const override {
        int width = this->width() > 0 ? this->width() : Inspector::kWidth;
        return {width, heightForWidth(width)};
    }

    // The Scrolling around takes in a new height from the content's own layout request, in
    // a picture as in the window.
    void heightChanged() {
        updateGeometry();
        QEvent request(QEvent::LayoutRequest);
        QCoreApplication::sendEvent(this, &request);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!pane_.content_) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        pane_.paintDetails(painter, width());
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        pane_.relayout();
        pane_.update(); // its rule shows whether this runs on under the buttons
    }

private:
    Inspector& pane_;
};

// ---- Inspector ----

Inspector::Inspector(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), body_(new InspectorBody(*this)),
      scrolling_(new Scrolling(body_, this)), number_(body_),
      showButton_(new OutlineButton("Show in Folder", kButtonHeight, kButtonFont, this)),
      secondButton_(new OutlineButton("", kButtonHeight, kButtonFont, this)),
      where_(new SelectableText(pathFont(), Token::ink, body_)) {
    setObjectName("Inspector");
    setFixedWidth(kWidth);
    showButton_->setObjectName("showInFolder");
    secondButton_->setObjectName("inspectorAction");
    // Tab reads the pane from the top: the path above before the buttons below.
    setTabOrder(where_, showButton_);
    setTabOrder(showButton_, secondButton_);
    connect(showButton_, &QPushButton::clicked, this, [this] {
        if (item_) model_.showInFinder(*item_);
    });
    connect(secondButton_, &QPushButton::clicked, this, [this] {
        if (!item_ || !content_) return;
        ScanItem item = *item_; // the call may replace what this pane shows
        if (content_->second == InspectorContent::Second::password)
            model_.removeWithPassword(item);
        else if (content_->second != InspectorContent::Second::none)
            model_.toggle(item);
    });
    arrange();
}

void Inspector::setItem(const ScanItem* item) {
    std::optional<InspectorContent> content;
    if (item)
        content = InspectorContent::of(model_.catalog(), model_.picks(), *item,
                                       AdminUnlock::isUnlockable);
    item_ = item ? std::optional<ScanItem>(*item) : std::nullopt;
    bool same = content.has_value() == content_.has_value() &&
                (!content || sameContent(*content, *content_));
    if (same) return;
    content_ = std::move(content);
    number_.setValue(content_ ? QString::fromStdString(content_->size.number) : QString());
    setAccessibleName(content_ ? QString::fromStdString(content_->name) : QString());
    setAccessibleDescription(
        QString::fromStdString(content_ ? content_->explanation : kInspectorPlaceholder));
    if (content_) {
        where_->setText(QString::fromStdString(content_->whereText));
        secondButton_->setText(QString::fromStdString(InspectorContent::title(content_->second)));
    }
    arrange();
    relayout();
    body_->heightChanged();
    body_->update();
    update();
}

bool Inspector::hasButtons() const {
    return content_ &&
           (content_->showInFolder || content_->second != InspectorContent::Second::none);
}

void Inspector::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    arrange();
}

// The buttons keep the foot of the pane; what is told scrolls in the room above them.
void Inspector::arrange() {
    bool details = content_.has_value();
    showButton_->setVisible(details && content_->showInFolder);
    secondButton_->setVisible(details && content_->second != InspectorContent::Second::none);
    where_->setVisible(details && content_->whereCaption.has_value());
    scrolling_->setVisible(details);
    if (!details) return;
    qreal buttonsTop = height() - kInset - kButtonHeight;
    qreal scrollBottom = hasButtons() ? std::max<qreal>(0, buttonsTop - kGap) : height();
    scrolling_->setGeometry(QRectF(0, 0, width(), scrollBottom).toAlignedRect());
    qreal x = kInset;
    for (OutlineButton* button : {showButton_, secondButton_}) {
        if (button->isHidden()) continue;
        QSize size = button->sizeHint();
        button->setGeometry(QRectF(x, buttonsTop, size.width(), kButtonHeight).toAlignedRect());
        x += size.width() + kButtonGap;
    }
}

void Inspector::relayout() {
    layout_ = content_ ? layOut(body_->width()) : Layout{};
    if (!content_ || !content_->whereCaption) return;
    int width = static_cast<int>(contentWidth(body_->width()));
    where_->setGeometry(static_cast<int>(kInset), static_cast<int>(layout_.whereTextTop), width,
                        where_->heightForWidth(width));
}

Inspector::Layout Inspector::layOut(qreal paneWidth) const {
    Layout layout;
    const InspectorContent& c = *content_;
    qreal width = contentWidth(paneWidth);
    qreal y = kInset;
    layout.captionTop = y;
    y += Caption::idealSize("Selected").height() + kGap;

    layout.nameTop = y;
    layout.name =
        TextFlow(QString::fromStdString(c.name), nameFont(), width, {.fontLineHeight = true});
    y += layout.name.height() + kHeadingGap;
    layout.sizeTop = y;
    layout.sizeHeight = QFontMetricsF(Fonts::number(38)).height();
    y += layout.sizeHeight + kGap;

    layout.explanationTop = y;
    layout.explanation = TextFlow(QString::fromStdString(c.explanation), explanationFont(), width,
                                  {.lineSpacing = 3, .fontLineHeight = true});
    y += layout.explanation.height() + kGap;

    qreal labelHeight = QFontMetricsF(labelFont()).height();
    for (const Fact& fact : c.facts) {
        Layout::FactRow row;
        row.top = y;
        qreal inner = labelHeight;
        switch (fact.style) {
        case Fact::Style::badge:
            inner = std::max(inner, VerdictBadge::idealSize(fact.verdict).height());
            break;
        case Fact::Style::text:
            row.value = TextFlow(QString::fromStdString(fact.text), valueFont(),
                                 valueWidth(fact, width), {.fontLineHeight = true});
            inner = std::max(inner, row.value.height());
            break;
        case Fact::Style::oneLine:
            inner = std::max(inner, QFontMetricsF(valueFont()).height());
            break;
        case Fact::Style::middleCut:
            inner = std::max(inner, QFontMetricsF(pathFont()).height());
            break;
        case Fact::Style::stacked:
            row.value = TextFlow(QString::fromStdString(fact.text), pathFont(), width,
                                 {.fontLineHeight = true});
            inner = labelHeight + kStackedGap + row.value.height();
            break;
        }
        row.height = kFactInset + inner + kFactInset;
        y += row.height;
        layout.facts.push_back(std::move(row));
    }

    if (c.whereCaption) {
        y += kGap;
        layout.whereTop = y;
        y += Caption::idealSize(QString::fromStdString(*c.whereCaption)).height() + kWhereGap;
        layout.whereTextTop = y;
        y += where_->heightForWidth(static_cast<int>(width));
    }
    layout.bottom = y;
    return layout;
}

void Inspector::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.fillRect(rect(), Theme::sidebar());
    if (content_) {
        // A rule where the facts run on under the buttons.
        qreal room = scrolling_->y() + scrolling_->height();
        if (hasButtons() && body_->height() > scrolling_->height())
            Shapes::hairline(painter, QRectF(0, room, width(), 1), Qt::Horizontal);
        return;
    }
    TextFlow placeholder(kInspectorPlaceholder, explanationFont(), width() - 2 * kPlaceholderInset,
                         {.fontLineHeight = true});
    placeholder.paint(painter, QPointF(kPlaceholderInset, kPlaceholderInset), Theme::muted());
}

void Inspector::paintDetails(QPainter& painter, qreal paneWidth) const {
    const InspectorContent& c = *content_;
    qreal width = contentWidth(paneWidth);
    Caption::paint(
        painter, QRectF(kInset, layout_.captionTop, width, Caption::idealSize("Selected").height()),
        "Selected");

    layout_.name.paint(painter, QPointF(kInset, layout_.nameTop), Theme::ink());

    QFont numberFont = Fonts::number(38);
    QFont unitFont = Fonts::number(16);
    QFontMetricsF numberMetrics(numberFont);
    qreal baseline = layout_.sizeTop + numberMetrics.ascent();
    qreal numberWidth = numberMetrics.horizontalAdvance(number_.value());
    painter.setFont(numberFont);
    painter.setPen(Theme::ink());
    number_.paint(painter, QRectF(kInset, layout_.sizeTop, width, layout_.sizeHeight),
                  Qt::AlignLeft | Qt::AlignTop);
    painter.setFont(unitFont);
    painter.drawText(QPointF(kInset + numberWidth + kNumberUnitGap, baseline),
                     QString::fromStdString(c.size.unit));

    layout_.explanation.paint(painter, QPointF(kInset, layout_.explanationTop), Theme::muted());

    for (size_t i = 0; i < c.facts.size() && i < layout_.facts.size(); ++i)
        paintFact(painter, c.facts[i], layout_.facts[i], width);

    if (c.whereCaption) {
        QString caption = QString::fromStdString(*c.whereCaption);
        Caption::paint(
            painter, QRectF(kInset, layout_.whereTop, width, Caption::idealSize(caption).height()),
            caption);
    }
}

void Inspector::paintFact(QPainter& painter, const Fact& fact, const Layout::FactRow& row,
                          qreal width) const {
    QRectF frame(kInset, row.top, width, row.height);
    Shapes::hairline(painter, QRectF(frame.left(), frame.top(), width, 1), Qt::Horizontal);
    QRectF inner = frame.adjusted(0, kFactInset, 0, -kFactInset);
    QString label = QString::fromStdString(fact.label);
    QString text = QString::fromStdString(fact.text);
    QFontMetricsF labelMetrics(labelFont());

    painter.setFont(labelFont());
    painter.setPen(Theme::faint());
    if (fact.style == Fact::Style::stacked) {
        painter.drawText(QRectF(inner.left(), inner.top(), width, labelMetrics.height()),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
        row.value.paint(painter,
                        QPointF(inner.left(), inner.top() + labelMetrics.height() + kStackedGap),
                        Theme::ink());
        return;
    }
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter, label);

    qreal available = valueWidth(fact, width);
    painter.setPen(Theme::ink());
    switch (fact.style) {
    case Fact::Style::badge: {
        QSizeF badge = VerdictBadge::idealSize(fact.verdict);
        VerdictBadge::paint(
            painter,
            QPointF(inner.right() - badge.width(), inner.center().y() - badge.height() / 2),
            fact.verdict);
        break;
    }
    case Fact::Style::text: {
        qreal left = inner.right() - row.value.naturalWidth();
        painter.setFont(valueFont());
        row.value.paint(painter, QPointF(left, inner.center().y() - row.value.height() / 2),
                        Theme::ink());
        break;
    }
    case Fact::Style::oneLine:
    case Fact::Style::middleCut: {
        bool middle = fact.style == Fact::Style::middleCut;
        QFont font = middle ? pathFont() : valueFont();
        QFontMetricsF metrics(font);
        painter.setFont(font);
        painter.drawText(
            inner, Qt::AlignRight | Qt::AlignVCenter,
            metrics.elidedText(text, middle ? Qt::ElideMiddle : Qt::ElideRight, available));
        break;
    }
    case Fact::Style::stacked:
        break;
    }
}

} // namespace kelvora
