#include "qt/search_results.h"

#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPalette>
#include <QStyledItemDelegate>
#include <algorithm>

#include "qt/icons.h"
#include "qt/qt_text.h"
#include "qt/row_list.h"

namespace qtui {

namespace {

enum Column { kHost, kPath, kSize, kModified, kColumnCount };

// Wide enough for a host name, a size and a date; the path takes what is left.
constexpr int kColumnWidths[kColumnCount] = {80, 200, 75, 115};

// Set on the cells of a note row.
constexpr int kNoteRole = Qt::UserRole + 1;

// Paths are cut in the middle, a note (a sentence) at its end.
class NoteAwareDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(kNoteRole).toBool()) option->textElideMode = Qt::ElideRight;
    }
};

}  // namespace

int SearchRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SearchRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant SearchRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const ui::SearchRow& row = rows_[static_cast<std::size_t>(index.row())];
    const bool note = !row.note.empty();
    switch (role) {
        case Qt::DisplayRole:
            // The view spans a note's first column across the row.
            if (note) return index.column() == kHost ? ToQt(row.note) : QVariant();
            switch (index.column()) {
                case kHost:
                    return ToQt(row.host);
                case kPath:
                    return ToQt(row.path);
                case kSize:
                    return ToQt(row.sizeText);
                case kModified:
                    return ToQt(row.modifiedText);
                default:
                    return {};
            }
        case Qt::DecorationRole:
            return index.column() == kPath && !note ? QVariant(SmallIcon(row.image)) : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() == kSize ? SizeColumnAlignment() : QVariant();
        case Qt::FontRole:
            if (note) {
                QFont font;
                font.setItalic(true);
                return font;
            }
            return {};
        case kNoteRole:
            return note;
        case Qt::ForegroundRole:
            return note ? QVariant(QPalette().brush(QPalette::Disabled, QPalette::Text))
                        : QVariant();
        default:
            return {};
    }
}

QVariant SearchRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        if (role == Qt::TextAlignmentRole && section == kSize) return SizeColumnAlignment();
        return {};
    }
    switch (section) {
        case kHost:
            return Tr(ui::StringId::ColumnHost);
        case kPath:
            return ToQt(ui::Translate("Path"));
        case kSize:
            return Tr(ui::StringId::ColumnSize);
        case kModified:
            return ToQt(ui::Translate("Modified"));
        default:
            return {};
    }
}

void SearchRowsModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

void SearchRowsModel::Append(const std::vector<ui::SearchRow>& rows) {
    if (rows.empty()) return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    endInsertRows();
}

SearchResultList::SearchResultList(QWidget* parent) : RowList(parent) {
    setObjectName("searchResults");
    setModel(&model_);
    // A path cut in the middle keeps its share and its name; the tooltip shows it whole.
    setTextElideMode(Qt::ElideMiddle);
    setItemDelegate(new NoteAwareDelegate(this));
    for (int column = 0; column < kColumnCount; ++column) {
        header()->resizeSection(column, kColumnWidths[column]);
    }
    header()->setSectionResizeMode(kPath, QHeaderView::Stretch);
    hide();
}

void SearchResultList::ShowResultList(bool shown) {
    if (shown != isHidden()) return;
    if (shown) {
        show();
        emit shownChanged(true);
        return;
    }
    // Told before it goes, so that the file list can take the focus over: a list hidden with
    // the focus hands it on along the focus ring.
    emit shownChanged(false);
    hide();
}

void SearchResultList::ClearResults() {
    model_.Clear();
}

void SearchResultList::AddResultRows(const std::vector<ui::SearchRow>& rows) {
    const int first = model_.rowCount();
    model_.Append(rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (!rows[i].note.empty()) setFirstColumnSpanned(first + static_cast<int>(i), {}, true);
    }
}

std::vector<std::size_t> SearchResultList::SelectedResultRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(index.row()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SearchResultList::SetSearchStatus(const std::string& text) {
    emit statusChanged(ToQt(text));
}

void SearchResultList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit closeRequested();
        return;
    }
    RowList::keyPressEvent(event);
}

}  // namespace qtui
