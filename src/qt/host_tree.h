// The tree of hosts, shares and folders. The network structure inserts, labels and deletes its
// items through TreeSink; each item carries its node, so the selection leads to the node. A
// single folder dropped from a file manager is offered as a new share.
#pragma once

#include <QTreeWidget>

#include "model/tree_sink.h"
#include "ui/views/tree_view.h"

namespace qtui {

class HostTree final : public QTreeWidget, public TreeSink, public ui::TreeView {
    Q_OBJECT
public:
    explicit HostTree(QWidget* parent = nullptr);

    TreeItem InsertItem(const std::string& text, TreeItem parent) override;
    void SetItemImages(TreeItem item, int image, int selectedImage) override;
    void SetItemData(TreeItem item, CNetNode* node) override;
    void SetItemText(TreeItem item, const std::string& text) override;
    void DeleteItem(TreeItem item) override;
    void Invalidate() override;

    CNetNode* SelectedNode() const override;
    bool IsExpanded(const CNetNode& node) const override;
    void SelectNode(const CNetNode& node) override;
    void ExpandNode(const CNetNode& node) override;

    // After shutdown the nodes are gone: the items keep their texts but lead nowhere.
    void ForgetNodes();

    static CNetNode* NodeOf(const QTreeWidgetItem* item);
    QTreeWidgetItem* ItemOf(const CNetNode& node) const;

signals:
    // The selected node changed, by the user or because its item went.
    void selectionChangedByUser();
    void nodeExpanding(CNetNode* node);
    // Exactly one existing folder was dropped.
    void folderDropped(const QString& folder);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    void ReportSelection();

    // The node the controller last saw selected: a selection it made itself is not reported back.
    const CNetNode* reported_ = nullptr;
};

// The one folder a drop carries, or an empty text when it is anything else.
QString DroppedFolder(const QMimeData* data);

}  // namespace qtui
