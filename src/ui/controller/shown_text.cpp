#include "ui/controller/shown_text.h"

#include "ui/text/ui_strings.h"
#include "util/printable_text.h"

namespace ui {

std::string ShownName(std::string_view name) {
    return util::PrintableText(name);
}

std::string ShownChatText(std::string_view text) {
    const std::string_view shown = util::Utf8Prefix(text, kMaxShownChatText);
    if (shown.size() == text.size()) return util::PrintableText(text);
    return FormatText(Translate("%s [cut: %s more bytes]"),
                      {util::PrintableText(shown), std::to_string(text.size() - shown.size())});
}

class ShownTextViews::Tree final : public TreeSink {
public:
    explicit Tree(TreeSink& inner) : inner_(inner) {}
    TreeItem InsertItem(const std::string& text, TreeItem parent) override {
        return inner_.InsertItem(ShownName(text), parent);
    }
    void SetItemImages(TreeItem item, int image, int selectedImage) override {
        inner_.SetItemImages(item, image, selectedImage);
    }
    void SetItemData(TreeItem item, CNetNode* node) override { inner_.SetItemData(item, node); }
    void SetItemText(TreeItem item, const std::string& text) override {
        inner_.SetItemText(item, ShownName(text));
    }
    void DeleteItem(TreeItem item) override { inner_.DeleteItem(item); }
    void Invalidate() override { inner_.Invalidate(); }

private:
    TreeSink& inner_;
};

class ShownTextViews::Files final : public FileListView {
public:
    explicit Files(FileListView& inner) : inner_(inner) {}
    void Clear() override { inner_.Clear(); }
    void AddRow(const std::string& name, const std::string& sizeText, int image) override {
        inner_.AddRow(ShownName(name), sizeText, image);
    }
    std::vector<std::size_t> SelectedRows() const override { return inner_.SelectedRows(); }
    void SelectRow(std::size_t row) override { inner_.SelectRow(row); }
    void SetSortMark(int column, SortMark mark) override { inner_.SetSortMark(column, mark); }
    void SetStatusText(const std::string& text) override { inner_.SetStatusText(text); }

private:
    FileListView& inner_;
};

class ShownTextViews::TransferRows final : public TransferListView {
public:
    explicit TransferRows(TransferListView& inner) : inner_(inner) {}
    void AppendRow(const std::string& name, const std::string& status, const std::string& host,
                   int image) override {
        inner_.AppendRow(ShownName(name), status, ShownName(host), image);
    }
    void SetStatus(std::size_t row, const std::string& status, TransferState state) override {
        inner_.SetStatus(row, status, state);
    }
    void DeleteRow(std::size_t row) override { inner_.DeleteRow(row); }
    void DeleteRows(std::size_t first, std::size_t count) override {
        inner_.DeleteRows(first, count);
    }
    std::vector<std::size_t> SelectedRows() const override { return inner_.SelectedRows(); }

private:
    TransferListView& inner_;
};

ShownTextViews::ShownTextViews(const ControllerViews& views)
    : inner_(views),
      tree_(std::make_unique<Tree>(views.treeSink)),
      files_(std::make_unique<Files>(views.files)),
      transfers_(std::make_unique<TransferRows>(views.transfers)) {}

ShownTextViews::~ShownTextViews() = default;

ControllerViews ShownTextViews::Views() {
    return {*tree_,       inner_.tree,   *files_,           *transfers_,
            inner_.chat,  inner_.prompt, inner_.folders,    inner_.sound,
            inner_.focus, inner_.clock,  inner_.dispatcher, inner_.search};
}

}  // namespace ui
