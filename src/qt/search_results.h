// The search box's result list, in the file list's place while the controller shows it. Rows
// arrive host by host; a host that gave no results is one grey note row.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "qt/row_list.h"
#include "ui/views/search_view.h"

namespace qtui {

class SearchRowsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Clear();
    void Append(const std::vector<ui::SearchRow>& rows);

private:
    std::vector<ui::SearchRow> rows_;
};

class SearchResultList final : public RowList, public ui::SearchView {
    Q_OBJECT
public:
    explicit SearchResultList(QWidget* parent = nullptr);

    void ShowResultList(bool shown) override;
    void ClearResults() override;
    void AddResultRows(const std::vector<ui::SearchRow>& rows) override;
    std::vector<std::size_t> SelectedResultRows() const override;
    void SetSearchStatus(const std::string& text) override;

    const SearchRowsModel& Model() const { return model_; }

signals:
    // The list came or went: the file list takes the other turn.
    void shownChanged(bool shown);
    // Escape on the list.
    void closeRequested();
    void statusChanged(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    SearchRowsModel model_;
};

}  // namespace qtui
