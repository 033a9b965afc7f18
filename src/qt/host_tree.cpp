#include "qt/host_tree.h"

#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMimeData>
#include <QUrl>

#include "model/net_node.h"
#include "qt/cut_text_tips.h"
#include "qt/icons.h"
#include "qt/qt_text.h"
#include "qt/tree_notes.h"

namespace qtui {

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kSelectedImageRole = Qt::UserRole + 1;
constexpr int kImageRole = Qt::UserRole + 2;

QTreeWidgetItem* ItemFromHandle(TreeItem handle) {
    return reinterpret_cast<QTreeWidgetItem*>(handle);
}

}  // namespace

HostTree::HostTree(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setColumnCount(1);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    setSelectionMode(QAbstractItemView::SingleSelection);
    WrapTreeNotes(this, kNodeRole);
    ShowCutTextsInToolTips(this);
    // Queued: the controller may delete the selected item while it handles an event; it hears
    // of the new selection once that handler is done.
    connect(this, &QTreeWidget::itemSelectionChanged, this, &HostTree::ReportSelection,
            Qt::QueuedConnection);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (CNetNode* node = NodeOf(item)) emit nodeExpanding(node);
    });
    // The selected item shows its own image (an open folder).
    connect(this, &QTreeWidget::currentItemChanged, this,
            [](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                if (previous)
                    previous->setIcon(0, SmallIcon(previous->data(0, kImageRole).toInt()));
                if (current) {
                    current->setIcon(0, SmallIcon(current->data(0, kSelectedImageRole).toInt()));
                }
            });
}

TreeItem HostTree::InsertItem(const std::string& text, TreeItem parent) {
    auto* item = new QTreeWidgetItem(QStringList{ToQt(text)});
    if (parent == kTreeRoot) {
        addTopLevelItem(item);
    } else {
        ItemFromHandle(parent)->addChild(item);
    }
    return reinterpret_cast<TreeItem>(item);
}

void HostTree::SetItemImages(TreeItem handle, int image, int selectedImage) {
    QTreeWidgetItem* item = ItemFromHandle(handle);
    item->setData(0, kImageRole, image);
    item->setData(0, kSelectedImageRole, selectedImage);
    item->setIcon(0, SmallIcon(item == currentItem() ? selectedImage : image));
}

void HostTree::SetItemData(TreeItem handle, CNetNode* node) {
    ItemFromHandle(handle)->setData(0, kNodeRole,
                                    QVariant::fromValue(reinterpret_cast<quintptr>(node)));
}

void HostTree::SetItemText(TreeItem handle, const std::string& text) {
    ItemFromHandle(handle)->setText(0, ToQt(text));
}

void HostTree::DeleteItem(TreeItem handle) {
    delete ItemFromHandle(handle);
}

void HostTree::Invalidate() {
    viewport()->update();
}

CNetNode* HostTree::NodeOf(const QTreeWidgetItem* item) {
    if (item == nullptr) return nullptr;
    return reinterpret_cast<CNetNode*>(item->data(0, kNodeRole).value<quintptr>());
}

CNetNode* HostTree::SelectedNode() const {
    const auto selected = selectedItems();
    return selected.isEmpty() ? nullptr : NodeOf(selected.front());
}

QTreeWidgetItem* HostTree::ItemOf(const CNetNode& node) const {
    // The node knows its item; files have none.
    QTreeWidgetItem* item = ItemFromHandle(node.GetTreeItem());
    return item != nullptr && NodeOf(item) == &node ? item : nullptr;
}

bool HostTree::IsExpanded(const CNetNode& node) const {
    const QTreeWidgetItem* item = ItemOf(node);
    return item != nullptr && item->isExpanded();
}

void HostTree::SelectNode(const CNetNode& node) {
    QTreeWidgetItem* item = ItemOf(node);
    if (item == nullptr) return;
    reported_ = &node;
    setCurrentItem(item);
    scrollToItem(item);
}

void HostTree::ExpandNode(const CNetNode& node) {
    if (QTreeWidgetItem* item = ItemOf(node)) expandItem(item);
}

void HostTree::ForgetNodes() {
    reported_ = nullptr;
    for (QTreeWidgetItemIterator it(this); *it; ++it) (*it)->setData(0, kNodeRole, QVariant());
}

QItemSelectionModel::SelectionFlags HostTree::selectionCommand(const QModelIndex& index,
                                                               const QEvent* event) const {
    // Up, Download and the file list all follow the selected item: a click on blank space or a
    // Ctrl+click on the selected item leaves it selected rather than leaving them nothing.
    if (!index.isValid()) return QItemSelectionModel::NoUpdate;
    const QItemSelectionModel::SelectionFlags flags = QTreeWidget::selectionCommand(index, event);
    if (flags.testFlag(QItemSelectionModel::Deselect) ||
        flags.testFlag(QItemSelectionModel::Toggle)) {
        return QItemSelectionModel::NoUpdate;
    }
    return flags;
}

void HostTree::ReportSelection() {
    const CNetNode* node = SelectedNode();
    if (node == reported_) return;
    reported_ = node;
    emit selectionChangedByUser();
}

QString DroppedFolder(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
    const QString path = urls.front().toLocalFile();
    return QFileInfo(path).isDir() ? QFileInfo(path).absoluteFilePath() : QString();
}

void HostTree::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedFolder(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void HostTree::dragMoveEvent(QDragMoveEvent* event) {
    event->acceptProposedAction();
}

void HostTree::dropEvent(QDropEvent* event) {
    const QString folder = DroppedFolder(event->mimeData());
    if (folder.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit folderDropped(folder);
}

}  // namespace qtui
