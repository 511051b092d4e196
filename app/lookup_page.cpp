#include "app/lookup_page.h"

#include "app/plain_tooltip.h"

#include <QBoxLayout>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

// Room below the controls for the status line ToolRun puts at the frame's bottom.
constexpr int kStatusLineRoom = 22;

// The designer placed the controls by pixels for one font: the first row is a label, an input and
// a button; everything after it goes below, the first of those taking the height left.
void layOutFrame(QGroupBox* frame) {
    const auto children = frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    auto* row = new QHBoxLayout;
    auto* column = new QVBoxLayout(frame);
    column->setContentsMargins(8, 8, 8, kStatusLineRoom);
    column->addLayout(row);
    bool first = true;
    for (QWidget* child : children) {
        if (qobject_cast<QLabel*>(child) && row->count() == 0) {
            row->addWidget(child);
        } else if (qobject_cast<QLineEdit*>(child)) {
            row->addWidget(child, 1);
        } else if (qobject_cast<QPushButton*>(child)) {
            row->addWidget(child);
        } else {
            column->addWidget(child, first ? 1 : 0);
            first = false;
        }
    }
}

} // namespace

void layOutLookupPage(QWidget* page, QGroupBox* ipFrame, QGroupBox* whoisFrame) {
    layOutFrame(ipFrame);
    layOutFrame(whoisFrame);
    // The WHOIS record's two boxes share its height.
    if (auto* column = qobject_cast<QVBoxLayout*>(whoisFrame->layout());
        column && column->count() > 2)
        column->setStretch(2, 1);
    auto* frames = new QHBoxLayout(page);
    frames->setContentsMargins(6, 6, 6, 6);
    frames->addWidget(ipFrame, 3);
    frames->addWidget(whoisFrame, 2);
}

namespace {

// Address, type, reverse name, country, network, owner: together the table's width, so that
// no column is scrolled out of sight.
void shareWidth(QTreeWidget* table) {
    const int width = table->viewport()->width();
    const double shares[] = {0.22, 0.08, 0.19, 0.16, 0.15, 0.2};
    for (int column = 0; column < int(std::size(shares)); ++column)
        table->setColumnWidth(column, int(width * shares[column]));
}

// The table's width is known only once the page is laid out, and changes with the window.
class ColumnFitter : public QObject {
public:
    explicit ColumnFitter(QTreeWidget* table) : QObject(table), table_(table) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize)
            shareWidth(table_);
        return QObject::eventFilter(watched, event);
    }

private:
    QTreeWidget* table_;
};

} // namespace

void fitAddressColumns(QTreeWidget* table) {
    table->header()->setStretchLastSection(false);
    table->header()->setMinimumSectionSize(30);
    table->viewport()->installEventFilter(new ColumnFitter(table));
    shareWidth(table);
}

void explainCutCells(QTreeWidgetItem* item) {
    const QTreeWidget* table = item->treeWidget();
    if (!table)
        return;
    const QFontMetrics metrics(table->font());
    for (int c = 0; c < item->columnCount(); ++c) {
        // The cell's margins take a few pixels of its column.
        const bool cut = metrics.horizontalAdvance(item->text(c)) > table->columnWidth(c) - 8;
        if (cut && item->toolTip(c).isEmpty())
            item->setToolTip(c, plainToolTip(item->text(c)));
    }
}
