#include "ui/controller/file_list_rows.h"

#include "ui/text/ui_strings.h"

namespace ui {

int RowImage(EntryKind kind) {
    switch (kind) {
        case EntryKind::Share:
            return kImageShare;
        case EntryKind::Folder:
            return kImageFolder;
        case EntryKind::File:
            break;
    }
    return kImageFile;
}

std::int64_t SizeInKilobytes(std::int64_t bytes) {
    if (bytes <= 0) return 0;
    // (bytes + 1023) / 1024 without the overflow near the top of the range.
    return bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
}

std::string SizeColumnText(EntryKind kind, std::int64_t bytes, const NumberFormat& format) {
    if (kind != EntryKind::File) return {};
    const std::string number = FormatDecimalText(std::to_string(SizeInKilobytes(bytes)), format);
    return FormatText(StringId::SizeKilobytes, {number});
}

FileListRow MakeFileListRow(const std::string& name, EntryKind kind, std::int64_t bytes,
                            const NumberFormat& format) {
    return {name, SizeColumnText(kind, bytes, format), RowImage(kind)};
}

int LegacySortImage(bool ascending) {
    return ascending ? 0 : 1;
}

FileListSort::Change FileListSort::Click(int column) {
    Change change;
    if (column != column_) {
        if (column_ >= 0) change.clearedColumn = column_;
        column_ = column;
        ascending_ = true;
    } else {
        ascending_ = !ascending_;
    }
    change.markedColumn = column_;
    change.mark = ascending_ ? SortMark::Ascending : SortMark::Descending;
    return change;
}

}  // namespace ui
