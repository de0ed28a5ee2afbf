#include "panes/SpaceMapParts.h"

#include "design/Buttons.h"
#include "design/Caption.h"
#include "design/Focus.h"
#include "design/Fonts.h"
#include "design/QtString.h"
#include "design/Surfaces.h"
#include "design/Symbols.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace kelvora {

namespace {

QFont crumbFont(bool current) {
    return Fonts::text(13.5, current ? QFont::DemiBold : QFont::Normal);
}

PaintedText* oneLine(QFont font, Token colour, QWidget* parent) {
    auto* text = new PaintedText(font, colour, parent);
    text->setWrapping(false);
    return text;
}

} // namespace

// ---- Path bar ----

CrumbButton::CrumbButton(const SpaceMapText::Crumb& crumb, QWidget* parent) : Ringed(parent) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    Focus::pressOnReturn(*this);
    setCrumb(crumb);
}

void CrumbButton::focusRingChanged() {
    Focus::lightHalo(halo_, *this, showsFocusRing(), TextLinkButton::kRingOutset,
                     TextLinkButton::kRingRadius);
}

void CrumbButton::setCrumb(const SpaceMapText::Crumb& crumb) {
    crumb_ = crumb;
    setText(toQString(crumb.label));
    setAccessibleName(toQString(crumb.label));
    setEnabled(!crumb.current);
    setFocusPolicy(crumb.current ? Qt::NoFocus : Qt::TabFocus);
    setCursor(crumb.current ? Qt::ArrowCursor : Qt::PointingHandCursor);
    setShown(text());
}

void CrumbButton::setShown(const QString& label) {
    if (label == shown_) return;
    shown_ = label;
    setToolTip(label == text() ? QString() : text());
    update();
}

QSize CrumbButton::sizeHint() const {
    QFontMetricsF metrics(crumbFont(crumb_.current));
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(shown_))),
            static_cast<int>(std::ceil(metrics.height()))};
}

void CrumbButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(crumbFont(crumb_.current));
    painter.setPen(crumb_.current ? Theme::ink() : Theme::muted());
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown_);
}

CrumbBar::CrumbBar(QWidget* parent)
    : QWidget(parent), style_(SpaceMapCrumbs::Style::standard()),
      ellipsis_(new CrumbButton({URL(), SpaceMapCrumbs::kEllipsis, false}, this)) {
    ellipsis_->setObjectName("crumbsFolded");
    ellipsis_->hide();
    connect(ellipsis_, &QAbstractButton::clicked, this,
            [this] { emit zoom(ellipsis_->crumb().url); });
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
}

void CrumbBar::setCrumbs(const std::vector<SpaceMapText::Crumb>& crumbs) {
    if (crumbs == crumbs_) return;
    crumbs_ = crumbs;
    // A click on a step is what changes the crumbs: its button goes once the click is done.
    for (CrumbButton* button : buttons_) {
        button->hide();
        button->deleteLater();
    }
    buttons_.clear();
    for (size_t i = 0; i < crumbs.size(); ++i) {
        auto* button = new CrumbButton(crumbs[i], this);
        button->setObjectName(QString("crumb%1").arg(i));
        connect(button, &QAbstractButton::clicked, this,
                [this, url = crumbs[i].url] { emit zoom(url); });
        buttons_.push_back(button);
    }
    // The keyboard goes along the bar as it reads: the first folder, "…", the rest.
    QWidget* previous = nullptr;
    for (size_t i = 0; i < buttons_.size(); ++i) {
        if (previous) setTabOrder(previous, buttons_[i]);
        previous = buttons_[i];
        if (i == 0) {
            setTabOrder(previous, ellipsis_);
            previous = ellipsis_;
        }
    }
    updateGeometry();
    relayout();
}

QSize CrumbBar::sizeHint() const {
    return {SpaceMapCrumbs::naturalWidth(crumbs_, style_), minimumSizeHint().height()};
}

QSize CrumbBar::minimumSizeHint() const {
    qreal text =
        std::max(QFontMetricsF(style_.folder).height(), QFontMetricsF(style_.current).height());
    return {0, static_cast<int>(std::ceil(std::max<qreal>(text, style_.chevron)))};
}

void CrumbBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void CrumbBar::relayout() {
    layout_ = SpaceMapCrumbs::layOut(crumbs_, width(), style_);
    for (CrumbButton* button : buttons_)
        button->hide();
    ellipsis_->hide();
    for (const SpaceMapCrumbs::Step& step : layout_.steps) {
        CrumbButton* button = step.crumb ? buttons_[*step.crumb] : ellipsis_;
        button->setShown(step.label);
        if (!step.crumb) {
            // "…" opens the lowest of the folders it stands for, and names them all.
            QStringList names;
            for (size_t folded : layout_.folded)
                names << toQString(crumbs_[folded].label);
            ellipsis_->setCrumb(
                {crumbs_[layout_.folded.back()].url, SpaceMapCrumbs::kEllipsis, false});
            ellipsis_->setAccessibleName(names.join("/"));
            ellipsis_->setToolTip(names.join("/"));
        }
        button->setGeometry(step.left, 0, step.width, height());
        button->show();
    }
    update();
}

void CrumbBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QColor faint = Theme::faint();
    for (const SpaceMapCrumbs::Step& step : layout_.steps)
        if (step.chevronLeft)
            Symbols::paint(painter, "chevron.right",
                           QRectF(*step.chevronLeft, 0, style_.chevron, height()), 9, faint);
}

// ---- Header ----

SpaceMapHeader::SpaceMapHeader(QWidget* parent)
    : QWidget(parent), back_(new OutlineButton("Back", 28, 12.5, this)),
      title_(oneLine(Fonts::text(16, QFont::DemiBold), Token::ink, this)),
      crumbs_(new CrumbBar(this)), size_(new SizeFigure(26, 13, 4, this)),
      choose_(new OutlineButton("Choose folder…", 28, 12.5, this)) {
    setFixedHeight(60);
    back_->setObjectName("spaceMapBack");
    choose_->setObjectName("chooseFolder");
    title_->setText(SpaceMapText::kTitle);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(18, 0, 18, 0);
    row->setSpacing(12);
    row->addWidget(back_);
    row->addWidget(title_);
    row->addWidget(crumbs_);
    row->addSpacerItem(new QSpacerItem(10, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    row->addWidget(size_);
    row->addWidget(choose_);
    connect(back_, &QAbstractButton::clicked, this, [this] { emit zoom(backTarget_); });
    connect(crumbs_, &CrumbBar::zoom, this, &SpaceMapHeader::zoom);
    connect(choose_, &QAbstractButton::clicked, this, &SpaceMapHeader::chooseFolder);
    show(std::nullopt);
}

void SpaceMapHeader::show(const std::optional<SpaceMapHeading>& heading) {
    title_->setVisible(!heading);
    crumbs_->setVisible(heading.has_value());
    back_->setVisible(heading && heading->showsBack);
    size_->setVisible(heading && heading->size);
    if (!heading) return;
    backTarget_ = heading->back;
    crumbs_->setCrumbs(heading->crumbs);
    if (heading->size)
        size_->setParts(toQString(heading->size->number), toQString(heading->size->unit));
}

// ---- Inspector ----

SpaceMapInspector::SpaceMapInspector(QWidget* parent)
    : Filled(Token::sidebar, parent),
      name_(new PaintedText(Fonts::text(16, QFont::DemiBold), Token::ink, this)),
      size_(new SizeFigure(38, 16, 5, this)), share_(oneLine(Fonts::text(13), Token::muted, this)),
      path_(new SelectableText(Fonts::mono(11.5), Token::ink, this)), guide_(new QWidget(this)),
      guideTitle_(new PaintedText(Fonts::text(13.5, QFont::DemiBold), Token::ink, guide_)),
      guideText_(new PaintedText(Fonts::text(12.5), Token::muted, guide_)),
      advice_(new SymbolLabel(12, QFont::Medium, Token::ink, guide_)),
      unknown_(new PaintedText(Fonts::text(12.5), Token::muted, guide_)),
      buttons_(new QWidget(this)), open_(new OutlineButton("Open", 32, 13, buttons_)),
      reveal_(new OutlineButton("Show in Folder", 32, 13, buttons_)),
      hint_(new PaintedText(Fonts::text(13), Token::muted, this)) {
    setObjectName("spaceMapInspector");
    setFixedWidth(280);
    name_->setObjectName("selectedName");
    open_->setObjectName("openSelected");
    reveal_->setObjectName("revealSelected");
    guideText_->setLineSpacing(2);
    advice_->setWrapping(true);
    advice_->setObjectName("selectedAdvice");
    unknown_->setText(SpaceMapText::kUnknown);
    hint_->setText(SpaceMapText::kHint);

    auto* guide = new QVBoxLayout(guide_);
    guide->setContentsMargins(0, 4, 0, 0);
    guide->setSpacing(6);
    guide->addWidget(new Caption("What is this?", guide_));
    for (QWidget* part :
         std::initializer_list<QWidget*>{guideTitle_, guideText_, advice_, unknown_})
        guide->addWidget(part);

    auto* buttons = new QHBoxLayout(buttons_);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(8);
    buttons->addWidget(open_);
    buttons->addWidget(reveal_);
    buttons->addStretch(1);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);
    column->addWidget(new Caption("Selected", this));
    for (QWidget* part :
         std::initializer_list<QWidget*>{name_, size_, share_, path_, guide_, hint_})
        column->addWidget(part);
    column->addStretch(1);
    column->addWidget(buttons_);

    connect(open_, &QAbstractButton::clicked, this, [this] {
        if (shown_) emit open(shown_->entry.url);
    });
    connect(reveal_, &QAbstractButton::clicked, this, [this] {
        if (shown_) emit reveal(shown_->entry.url);
    });
    show(std::nullopt);
}

void SpaceMapInspector::show(const std::optional<SpaceMapText::Inspection>& inspection) {
    shown_ = inspection;
    bool found = inspection.has_value();
    hint_->setVisible(!found);
    for (QWidget* part : std::initializer_list<QWidget*>{name_, path_, guide_, buttons_})
        part->setVisible(found);
    size_->setVisible(found && inspection->size);
    share_->setVisible(found && inspection->share);
    if (!found) return;
    name_->setText(toQString(inspection->entry.name));
    if (inspection->size)
        size_->setParts(toQString(inspection->size->number), toQString(inspection->size->unit));
    if (inspection->share) share_->setText(toQString(*inspection->share));
    path_->setText(toQString(inspection->path));
    const auto& answer = inspection->answer;
    guideTitle_->setVisible(answer.has_value());
    guideText_->setVisible(answer.has_value());
    advice_->setVisible(answer.has_value());
    unknown_->setVisible(!answer);
    if (answer) {
        guideTitle_->setText(toQString(answer->title));
        guideText_->setText(toQString(answer->text));
        SpaceMapText::Advice advice = SpaceMapText::advice(answer->advice);
        advice_->setContent(toQString(advice.symbol), toQString(advice.text));
    }
    open_->setVisible(inspection->entry.isFolder);
}

} // namespace kelvora
