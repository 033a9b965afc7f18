#include "qt/file_list.h"

#include <QHeaderView>
#include <QMetaObject>
#include <algorithm>

#include "qt/icons.h"
#include "qt/qt_text.h"
#include "qt/row_list.h"
#include "ui/desktop/layout_settings.h"

namespace qtui {

int FileRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(ui::kFileListColumns.size());
}

QVariant FileRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ui::FileListRow& row = rows_[static_cast<std::size_t>(index.row())];
    const bool nameColumn = index.column() == 0;
    switch (role) {
        case Qt::DisplayRole:
            return ToQt(nameColumn ? row.name : row.sizeText);
        case Qt::DecorationRole:
            return nameColumn ? QVariant(SmallIcon(row.image)) : QVariant();
        case Qt::TextAlignmentRole:
            return nameColumn ? QVariant() : SizeColumnAlignment();
        default:
            return {};
    }
}

QVariant FileRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(ui::kFileListColumns.size())) {
        return {};
    }
    const ui::ColumnInfo& column = ui::kFileListColumns[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return Tr(column.title);
    if (role == Qt::TextAlignmentRole && column.rightAligned) return SizeColumnAlignment();
    return {};
}

void FileRowsModel::Replace(std::vector<ui::FileListRow> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

FileList::FileList(QWidget* parent) : RowList(parent) {
    setModel(&model_);
    header()->setSectionsClickable(true);
    header()->setSortIndicatorShown(false);
    connect(header(), &QHeaderView::sectionClicked, this, &FileList::sortRequested);
}

void FileList::Clear() {
    staged_.clear();
    if (!commitPending_) {
        commitPending_ = true;
        QMetaObject::invokeMethod(this, &FileList::Commit, Qt::QueuedConnection);
    }
}

void FileList::AddRow(const std::string& name, const std::string& sizeText, int image) {
    staged_.push_back({name, sizeText, image});
}

void FileList::Commit() {
    if (!commitPending_) return;
    commitPending_ = false;
    model_.Replace(std::move(staged_));
    staged_.clear();
}

std::vector<std::size_t> FileList::SelectedRows() const {
    // Rows still staged have never been shown, so nothing of them can be selected.
    if (commitPending_) return {};
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(index.row()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FileList::SelectRow(std::size_t row) {
    // The row must be in the model before it can be selected.
    Commit();
    const QModelIndex index = model_.index(static_cast<int>(row), 0);
    if (!index.isValid()) return;
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

void FileList::SetStatusText(const std::string& text) {
    emit statusChanged(QString::fromStdString(text));
}

void FileList::SetSortMark(int column, ui::SortMark mark) {
    if (mark == ui::SortMark::None) {
        if (header()->sortIndicatorSection() == column) header()->setSortIndicatorShown(false);
        return;
    }
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(
        column, mark == ui::SortMark::Ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

}  // namespace qtui
