#include "panes/SearchView.h"

#include "controller/AppModel.h"
#include "design/Fonts.h"
#include "design/PaintedText.h"
#include "design/QtString.h"
#include "design/RowStack.h"
#include "design/Spinner.h"
#include "design/Surfaces.h"
#include "design/Symbols.h"
#include "design/Theme.h"
#include "panes/SearchParts.h"
#include "panes/SearchResults.h"
#include "panes/SearchText.h"
#include "search/QueryCalendar.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedLayout>

#include <cmath>

namespace kelvora {

namespace {

constexpr int kQueryPadding = 18;
constexpr int kFooterSide = 24;
constexpr int kFooterTop = 14;

QStringList chipsOf(const PlainQuery& query, const std::map<std::string, std::string>& folders) {
    QStringList chips;
    for (const auto& chip : query.chips(QueryCalendar::gregorian(), folders))
        chips << QString::fromStdString(chip);
    return chips;
}

} // namespace

SearchView::SearchView(AppModel& model, QWidget* parent)
    : QWidget(parent), model_(model), examples_(SearchText::examples()) {
    setObjectName("SearchView");

    auto* box = new search::FieldBox(this);
    auto* boxRow = new QHBoxLayout(box);
    boxRow->setContentsMargins(14 + static_cast<int>(std::ceil(Symbols::extent(17))) + 10, 0, 14,
                               0);
    boxRow->setSpacing(10);
    field_ = new search::FieldEdit(box);
    spinner_ = new Spinner(16, box);
    spinner_->hide();
    boxRow->addWidget(field_, 1);
    boxRow->addWidget(spinner_);
    // A pane made again (another pane was shown meanwhile, or a picture is drawn) shows the
    // words its results were found for, not the empty field's placeholder.
    field_->setText(toQString(model_.searchPhrase()));
    connect(field_, &QLineEdit::returnPressed, this, [this] { search(field_->text()); });

    chips_ = new search::ChipRow(
        [this](const QString& example) {
            field_->setText(example);
            search(example);
        },
        this);

    auto* query = new QVBoxLayout;
    query->setContentsMargins(kQueryPadding, kQueryPadding, kQueryPadding, kQueryPadding);
    query->setSpacing(12);
    query->addWidget(box);
    query->addWidget(chips_);

    intro_ = new search::Intro(
        {{SearchText::kIntroTitle, Fonts::text(17, QFont::DemiBold), Token::ink, 10000},
         {SearchText::introBody(model_.catalog().macPlaces()), Fonts::text(13.5), Token::muted,
          440}},
        8, this);
    intro_->setObjectName("searchIntro");
    message_ = new search::Intro({{{}, Fonts::text(14), Token::muted, 10000}}, 0, this);
    message_->setObjectName("searchMessage");
    results_ = new RowStack(this);
    results_->setObjectName("searchResults");
    hits_ = new SearchHitsModel(this);
    results_->setModel(hits_);
    results_->setItemDelegate(new SearchHitDelegate(results_));
    results_->setUniformItemSizes(true);
    results_->setContextMenuPolicy(Qt::CustomContextMenu);
    results_->viewport()->installEventFilter(this);
    connect(results_, &QWidget::customContextMenuRequested, this, &SearchView::showContextMenu);
    connect(results_, &RowStack::rowAction, this, [this](int row, const QString& action) {
        if (action == SearchText::kShowInFolder)
            reveal(row);
        else
            model_.toggleSearchPick(hits_->row(row).hit.url);
    });
    auto* area = new QWidget(this);
    resultsArea_ = new QStackedLayout(area);
    resultsArea_->addWidget(intro_);
    resultsArea_->addWidget(message_);
    resultsArea_->addWidget(results_);

    footer_ = new Filled(Token::sidebar, this);
    footer_->setObjectName("searchFooter");
    auto* footerRow = new QHBoxLayout(footer_);
    footerRow->setContentsMargins(kFooterSide, kFooterTop, kFooterSide, kFooterTop);
    footerRow->setSpacing(12);
    auto* lines = new QVBoxLayout;
    lines->setSpacing(2);
    count_ = new PaintedText(Fonts::text(14, QFont::DemiBold), Token::ink, footer_);
    count_->setObjectName("searchCount");
    hold_ = new PaintedText(Fonts::text(12.5), Token::muted, footer_);
    lines->addStretch(1);
    lines->addWidget(count_);
    lines->addWidget(hold_);
    lines->addStretch(1);
    footerRow->addLayout(lines);
    footerRow->addStretch(1);
    move_ = new search::MoveButton(footer_);
    footerRow->addWidget(move_, 0, Qt::AlignVCenter);
    connect(move_, &QPushButton::clicked, this, [this] { model_.removePickedSearchHits(); });

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(query);
    column->addWidget(new Hairline(Qt::Horizontal, this));
    column->addWidget(area, 1);
    column->addWidget(footer_);

    model_.follow({&AppModel::searchChanged, &AppModel::settingsChanged}, this,
                  &SearchView::refresh);
    refresh();
}

void SearchView::search(const QString& phrase) {
    model_.search(phrase.toStdString());
}

void SearchView::refresh() {
    spinner_->setVisible(model_.searching());
    if (const auto& query = model_.searchQuery())
        chips_->showQuery(chipsOf(*query, model_.searchFolderNames()));
    else
        chips_->showExamples(examples_);

    const auto& hits = model_.searchHits();
    static const std::vector<PlainQuery::Hit> none;
    const Catalog& catalog = model_.catalog();
    Date now = catalog.now();
    hits_->set(hits ? *hits : none, model_.searchPicks(), [&](const PlainQuery::Hit& hit) {
        return SearchText::folderText(hit.url, catalog.home) +
               SearchText::dateText(hit.changed, now);
    });
    if (!hits) {
        resultsArea_->setCurrentWidget(intro_);
    } else if (hits->empty()) {
        message_->setText(0, model_.searching() ? SearchText::kLooking : SearchText::kNothing);
        resultsArea_->setCurrentWidget(message_);
    } else {
        resultsArea_->setCurrentWidget(results_);
    }

    footer_->setVisible(hits && !hits->empty());
    if (!hits || hits->empty()) return;
    size_t picked = 0;
    int64_t pickedBytes = 0;
    for (const auto& hit : *hits)
        if (model_.searchPicks().count(hit.url)) {
            ++picked;
            pickedBytes += hit.bytes;
        }
    count_->setText(SearchText::countLine(hits->size(), picked));
    hold_->setText(SearchText::holdLine(catalog.settings().shelfDays));
    move_->setText(SearchText::moveTitle(pickedBytes));
    move_->setEnabled(picked > 0);
}

bool SearchView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == results_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        QModelIndex index = results_->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && index.isValid() &&
            SearchHitDelegate::pickBox(results_->visualRect(index)).contains(mouse->position())) {
            model_.toggleSearchPick(hits_->row(index.row()).hit.url);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SearchView::showContextMenu(const QPoint& position) {
    QModelIndex index = results_->indexAt(position);
    if (!index.isValid()) return;
    QMenu menu(this);
    QAction* show = menu.addAction(SearchText::kShowInFolder);
    if (menu.exec(results_->viewport()->mapToGlobal(position)) == show) reveal(index.row());
}

void SearchView::reveal(int row) {
    ScanItem place;
    place.location = hits_->row(row).hit.url;
    model_.showInFinder(place);
}

void SearchView::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), Theme::panel());
}

} // namespace kelvora
