// The file list's rows (name, size text, image) for the children of the selected tree node,
// and the sort state that column clicks change.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "ui/text/number_format.h"

namespace ui {

// Indices into the small image list.
inline constexpr int kImageFolderUnlisted = 0;
inline constexpr int kImageFolder = 1;
inline constexpr int kImageFolderSelected = 2;
inline constexpr int kImageFile = 3;
inline constexpr int kImageDiscoveredHost = 4;
inline constexpr int kImageLocalHost = 5;
inline constexpr int kImageShare = 6;
inline constexpr int kImageUpload = 7;
inline constexpr int kImageDownload = 8;
inline constexpr int kImageManualHost = 9;
inline constexpr int kImageHintSecond = 10;

enum class EntryKind { File, Folder, Share };

int RowImage(EntryKind kind);

// Whole kilobytes, rounded up: 0 -> 0, 1 -> 1, 1024 -> 1, 1025 -> 2. A negative size (no
// well-behaved peer sends one) counts as 0; the largest sizes do not overflow.
std::int64_t SizeInKilobytes(std::int64_t bytes);

// The size column: files "<kilobytes in the user's number format> kB", folders and shares "".
std::string SizeColumnText(EntryKind kind, std::int64_t bytes, const NumberFormat& format);

struct FileListRow {
    std::string name;
    std::string sizeText;
    int image = kImageFile;
};

FileListRow MakeFileListRow(const std::string& name, EntryKind kind, std::int64_t bytes,
                            const NumberFormat& format);

// The header mark of the sorted column.
enum class SortMark { None, Ascending, Descending };

// Legacy headers without their own arrows show an image: 0 ascending, 1 descending.
int LegacySortImage(bool ascending);

// Column clicks: a new column sorts ascending, the same column again toggles the direction.
class FileListSort {
public:
    struct Change {
        std::optional<int> clearedColumn;  // header item whose mark goes
        int markedColumn = 0;
        SortMark mark = SortMark::Ascending;
    };

    // Applies a click and says which header marks change; the list is refilled afterwards.
    Change Click(int column);

    int Column() const { return column_; }  // -1 until the first click
    bool Ascending() const { return ascending_; }

private:
    int column_ = -1;
    bool ascending_ = true;
};

}  // namespace ui
