// The file list beside the tree. Model/view: the controller's rows live in one vector behind a
// table model, so a folder of 100,000 files is one model reset, not 100,000 widgets.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "qt/row_list.h"
#include "ui/views/file_list_view.h"

namespace qtui {

class FileRowsModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Replace(std::vector<ui::FileListRow> rows);

private:
    std::vector<ui::FileListRow> rows_;
};

class FileList final : public RowList, public ui::FileListView {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    // The controller fills the list row by row; the rows reach the view as one batch, when the
    // event loop next runs or when something asks for them.
    void Clear() override;
    void AddRow(const std::string& name, const std::string& sizeText, int image) override;
    std::vector<std::size_t> SelectedRows() const override;
    void SelectRow(std::size_t row) override;
    void SetSortMark(int column, ui::SortMark mark) override;
    void SetStatusText(const std::string& text) override;

    // Hands the rows filled so far to the view.
    void Commit();
    int RowCount() const { return model_.rowCount(); }
    const FileRowsModel& Model() const { return model_; }

signals:
    void sortRequested(int column);
    // The controller's line about the rows shown; empty clears it.
    void statusChanged(const QString& text);

private:
    FileRowsModel model_;
    std::vector<ui::FileListRow> staged_;
    bool commitPending_ = false;
};

}  // namespace qtui
