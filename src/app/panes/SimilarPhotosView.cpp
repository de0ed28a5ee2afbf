#include "panes/SimilarPhotosView.h"

#include "controller/AppModel.h"
#include "design/Buttons.h"
#include "design/Fonts.h"
#include "design/Meter.h"
#include "design/PaintedText.h"
#include "design/QtString.h"
#include "design/RowStack.h"
#include "design/Scrolling.h"
#include "design/Surfaces.h"
#include "design/Theme.h"
#include "panes/PaneParts.h"
#include "panes/PhotoThumbnails.h"
#include "panes/SimilarPhotosRows.h"
#include "panes/SimilarPhotosText.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace kelvora {

namespace {

using SimilarPhotosText::Content;

PaintedText* text(const QString& words, const QFont& font, Token colour, QWidget* parent) {
    auto* label = new PaintedText(font, colour, parent);
    label->setWrapping(false);
    label->setText(words);
    return label;
}

PaintedText* centred(const QString& words, const QFont& font, Token colour, QWidget* parent) {
    auto* label = text(words, font, colour, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A column of parts centred in the content area.
QVBoxLayout* centredColumn(QWidget* page, int spacing) {
    auto* column = new QVBoxLayout(page);
    column->setSpacing(spacing);
    column->addStretch(1);
    return column;
}

// The footer's buttons are switched off while nothing is picked or a search runs, and
// look it.
class FooterLink : public TextLinkButton {
public:
    using TextLinkButton::TextLinkButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setOpacity(isEnabled() ? 1.0 : kDisabledOpacity);
        paint(painter, rect(), text(), 13, showsFocusRing());
    }
};

} // namespace

SimilarPhotosView::SimilarPhotosView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), thumbnails_(new ThumbnailLoader(this)),
      groups_(new PhotoGroupRows(this)), delegate_(new PhotoGroupDelegate(*thumbnails_, this)) {
    setObjectName("SimilarPhotosView");
    content_ = new QStackedWidget(this);
    content_->addWidget(makeSearching());
    content_->addWidget(makeIntro());
    content_->addWidget(makeNothingFound());
    content_->addWidget(makeResults());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeHeader());
    column->addWidget(new Hairline(Qt::Horizontal, this));
    column->addWidget(content_, 1);
    column->addWidget(makeFooter());

    connect(delegate_, &PhotoGroupDelegate::toggled, this,
            [this](int row) { model_.togglePhotos(groups_->group(row)); });
    connect(rows_, &RowStack::rowAction, this, [this](int row, const QString& action) {
        if (action == SimilarPhotosText::kShowInFolder)
            showInFolder(row);
        else
            model_.togglePhotos(groups_->group(row));
    });
    connect(thumbnails_, &ThumbnailLoader::loaded, rows_->viewport(),
            qOverload<>(&QWidget::update));
    model_.follow({&AppModel::photosChanged, &AppModel::settingsChanged}, this,
                  &SimilarPhotosView::refresh);
    refresh();
    refreshFooter();
}

QWidget* SimilarPhotosView::makeHeader() {
    auto* header = new QWidget(this);
    header->setFixedHeight(64);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(3);
    titles->addStretch(1);
    titles->addWidget(
        text(SimilarPhotosText::kTitle, Fonts::text(16, QFont::DemiBold), Token::ink, header));
    titles->addWidget(
        text(QString::fromStdString(SimilarPhotosText::subtitle(model_.catalog().macPlaces())),
             Fonts::text(12.5), Token::muted, header));
    titles->addStretch(1);
    lookAgain_ = new OutlineButton(SimilarPhotosText::kLookAgain, 28, 12.5, header);
    lookAgain_->setObjectName("lookAgain");
    connect(lookAgain_, &QAbstractButton::clicked, this, [this] { model_.findSimilarPhotos(); });
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(18, 0, 18, 0);
    row->setSpacing(12);
    row->addLayout(titles, 1);
    row->addWidget(lookAgain_);
    return header;
}

QWidget* SimilarPhotosView::makeSearching() {
    auto* page = new QWidget(this);
    auto* column = centredColumn(page, 12);
    progress_ = centred({}, Fonts::text(14), Token::muted, page);
    progress_->setObjectName("photoProgress");
    meter_ = new Meter(0, page);
    meter_->setFixedWidth(280);
    column->addWidget(progress_);
    column->addWidget(meter_, 0, Qt::AlignHCenter);
    column->addWidget(centred(SimilarPhotosText::kPrivacy, Fonts::text(12.5), Token::faint, page));
    column->addStretch(1);
    return page;
}

QWidget* SimilarPhotosView::makeIntro() {
    auto* page = new QWidget(this);
    auto* column = centredColumn(page, 14);
    auto* explanation =
        centred(SimilarPhotosText::kIntroText, Fonts::text(13.5), Token::muted, page);
    explanation->setWrapping(true);
    explanation->setMaximumTextWidth(420);
    auto* find = new InkButton(SimilarPhotosText::kFind, page);
    find->setObjectName("findPhotos");
    connect(find, &QAbstractButton::clicked, this, [this] { model_.findSimilarPhotos(); });
    column->addWidget(new SymbolMark("photo.on.rectangle.angled", 26, Token::muted, page), 0,
                      Qt::AlignHCenter);
    column->addWidget(centred(SimilarPhotosText::kIntroTitle, Fonts::text(17, QFont::DemiBold),
                              Token::ink, page));
    column->addWidget(explanation);
    column->addWidget(find, 0, Qt::AlignHCenter);
    column->addStretch(1);
    return page;
}

QWidget* SimilarPhotosView::makeNothingFound() {
    auto* page = new QWidget(this);
    auto* column = centredColumn(page, 10);
    column->addWidget(new SymbolMark("checkmark.circle", 22, Token::muted, page), 0,
                      Qt::AlignHCenter);
    column->addWidget(centred(SimilarPhotosText::kNothingFound, Fonts::text(15, QFont::Medium),
                              Token::ink, page));
    column->addStretch(1);
    return page;
}

QWidget* SimilarPhotosView::makeResults() {
    rows_ = new RowStack;
    rows_->setObjectName("photoGroups");
    rows_->setAccessibleName(SimilarPhotosText::kTitle);
    rows_->setModel(groups_);
    rows_->setItemDelegate(delegate_);
    rows_->setUniformItemSizes(true);
    rows_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(rows_, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        QModelIndex index = rows_->indexAt(point);
        if (!index.isValid()) return;
        QMenu menu(this);
        int row = index.row();
        menu.addAction(SimilarPhotosText::kShowInFolder, this, [this, row] { showInFolder(row); });
        menu.exec(rows_->viewport()->mapToGlobal(point));
    });
    return new Scrolling(rows_, this);
}

QWidget* SimilarPhotosView::makeFooter() {
    footer_ = new Filled(Token::sidebar, this);
    footer_->setObjectName("photosFooter");
    summary_ = text({}, Fonts::text(14, QFont::DemiBold), Token::ink, footer_);
    summary_->setObjectName("photosPicked");
    hold_ = text({}, Fonts::text(12.5), Token::muted, footer_);
    pick_ = new FooterLink({}, 13, footer_);
    pick_->setObjectName("pickAllPhotos");
    move_ = new SignalButton({}, 58, 18, footer_);
    move_->setObjectName("movePhotos");
    connect(pick_, &QAbstractButton::clicked, this, [this] {
        const auto& groups = model_.photoGroups();
        if (!groups) return;
        auto footer = SimilarPhotosText::footer(*groups, model_.photoPicks(),
                                                model_.catalog().settings().shelfDays,
                                                model_.findingPhotos());
        model_.pickAllPhotos(footer.picksAll);
    });
    connect(move_, &QAbstractButton::clicked, this, [this] { model_.removePickedPhotos(); });

    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addStretch(1);
    texts->addWidget(summary_);
    texts->addWidget(hold_);
    texts->addStretch(1);
    auto* row = new QHBoxLayout(footer_);
    row->setContentsMargins(24, 14, 24, 14);
    row->setSpacing(12);
    row->addLayout(texts, 1);
    row->addWidget(pick_);
    row->addWidget(move_);
    return footer_;
}

void SimilarPhotosView::showInFolder(int row) {
    if (row < 0 || row >= groups_->rowCount()) return;
    model_.showInFolder(SimilarPhotosText::revealed(groups_->group(row)));
}

void SimilarPhotosView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::ground());
}

void SimilarPhotosView::refresh() {
    const auto& groups = model_.photoGroups();
    bool finding = model_.findingPhotos();
    lookAgain_->setVisible(SimilarPhotosText::showsLookAgain(finding, groups));
    content_->setCurrentIndex(static_cast<int>(SimilarPhotosText::content(finding, groups)));
    progress_->setText(toQString(SimilarPhotosText::progress(model_.photoProgress())));
    meter_->setFraction(model_.photoProgress());

    static const std::vector<SimilarPhotos::Group> none;
    const auto& list = groups ? *groups : none;
    // The hold period is read from the settings file, so only when what the footer says
    // may have changed, not at every tick of a search's progress.
    if (groups_->update(list, model_.photoPicks(), !finding)) {
        std::unordered_set<std::string> shown;
        for (const auto& group : list)
            for (const auto& url : SimilarPhotosText::revealed(group))
                shown.insert(url.path());
        thumbnails_->keepOnly(shown);
        refreshFooter();
    }
    footer_->setVisible(SimilarPhotosText::showsFooter(groups));
}

void SimilarPhotosView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshFooter();
}

void SimilarPhotosView::refreshFooter() {
    const auto& groups = model_.photoGroups();
    static const std::vector<SimilarPhotos::Group> none;
    auto footer =
        SimilarPhotosText::footer(groups ? *groups : none, model_.photoPicks(),
                                  model_.catalog().settings().shelfDays, model_.findingPhotos());
    summary_->setText(toQString(footer.summary));
    hold_->setText(toQString(footer.hold));
    pick_->setText(toQString(footer.pickTitle));
    pick_->setEnabled(footer.canPick);
    move_->setText(toQString(footer.moveTitle));
    move_->setEnabled(footer.canMove);
}

} // namespace kelvora
