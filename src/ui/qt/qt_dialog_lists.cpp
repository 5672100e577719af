// QtDialog: list views as QTreeWidgets in list form, with the notifications of a Win32 list view.
#include <QHeaderView>
#include <QTreeWidget>

#include "ui/qt/qt_dialog.h"

namespace axistune {

namespace {

QTreeWidget* ListOf(QWidget* widget) {
    return qobject_cast<QTreeWidget*>(widget);
}

}  // namespace

QWidget* QtDialog::CreateList(const ControlTemplate& control) {
    auto* list = new QTreeWidget(this);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    size_t count = 0;
    const ListColumnTemplate* columns = ListColumnsOf(template_.id, control.id, &count);
    QStringList titles;
    for (size_t i = 0; i < count; ++i) {
        titles << QString::fromLatin1(columns[i].title);
    }
    list->setColumnCount(static_cast<int>(count));
    list->setHeaderLabels(titles);
    for (size_t i = 0; i < count; ++i) {
        list->setColumnWidth(static_cast<int>(i),
                             static_cast<int>(columns[i].width * unitWidth_ + 0.5));
    }
    return list;
}

void QtDialog::ConnectList(int id, QWidget* widget) {
    auto* list = ListOf(widget);
    QObject::connect(list, &QTreeWidget::itemSelectionChanged, this, [this, id] {
        if (programChanges_ == 0) {
            Command(id, kLvnItemChanged);
        }
    });
    QObject::connect(list, &QTreeWidget::itemDoubleClicked, this,
                     [this, id] { Command(id, kNmDblClk); });
}

void QtDialog::ListSetColumns(int id, const ListColumn* columns, size_t count) {
    auto* list = ListOf(Control(id));
    if (list == nullptr) {
        return;
    }
    ++programChanges_;
    list->clear();
    QStringList titles;
    for (size_t i = 0; i < count; ++i) {
        titles << QString::fromWCharArray(columns[i].title != nullptr ? columns[i].title : L"");
    }
    list->setColumnCount(static_cast<int>(count));
    list->setHeaderLabels(titles);
    for (size_t i = 0; i < count; ++i) {
        list->setColumnWidth(static_cast<int>(i),
                             static_cast<int>(columns[i].width * unitWidth_ + 0.5));
    }
    --programChanges_;
}

void QtDialog::ListClear(int id) {
    if (auto* list = ListOf(Control(id))) {
        ++programChanges_;
        list->clear();
        --programChanges_;
    }
}

int QtDialog::ListAddRow(int id, const wchar_t* const* cells, size_t count) {
    auto* list = ListOf(Control(id));
    if (list == nullptr) {
        return -1;
    }
    ++programChanges_;
    auto* row = new QTreeWidgetItem();
    // One text per column, as a list view keeps them; more are dropped.
    for (size_t i = 0; i < count && static_cast<int>(i) < list->columnCount(); ++i) {
        row->setText(static_cast<int>(i),
                     QString::fromWCharArray(cells[i] != nullptr ? cells[i] : L""));
    }
    list->addTopLevelItem(row);
    --programChanges_;
    return list->indexOfTopLevelItem(row);
}

int QtDialog::ListRowCount(int id) {
    auto* list = ListOf(Control(id));
    return list != nullptr ? list->topLevelItemCount() : 0;
}

int QtDialog::ListGetSelection(int id) {
    auto* list = ListOf(Control(id));
    if (list == nullptr) {
        return kListNoSelection;
    }
    const QList<QTreeWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? kListNoSelection : list->indexOfTopLevelItem(selected.first());
}

void QtDialog::ListSetSelection(int id, int row) {
    auto* list = ListOf(Control(id));
    if (list == nullptr) {
        return;
    }
    ++programChanges_;
    QTreeWidgetItem* item =
        row >= 0 && row < list->topLevelItemCount() ? list->topLevelItem(row) : nullptr;
    if (item == nullptr) {
        list->clearSelection();
    } else {
        list->setCurrentItem(item);
        list->scrollToItem(item);
    }
    --programChanges_;
}

}  // namespace axistune
