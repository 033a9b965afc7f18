// The transfer rows' own bookkeeping: rows found by id and by folder stay found while finished
// rows around them go in runs, and the view loses exactly the rows the controller drops.
#include <gtest/gtest.h>

#include "ui/fakes.h"
#include "ui/transfers/transfer_rows.h"

namespace fakes {
namespace {

ui::TransferRow Row(const std::string& name, std::uint32_t id,
                    ui::FolderDownload* folder = nullptr) {
    ui::TransferRow row;
    row.name = name;
    row.item.id = id;
    row.item.folder = folder;
    return row;
}

TEST(TransferRows, RowsAreFoundWhileFinishedRunsAroundThemGo) {
    FakeTransferList view;
    ui::TransferRows rows(view);
    ui::FolderDownload walk(1, "\\S\\f", "/t/");
    // Finished rows in two runs, with running rows before, between and behind them.
    rows.Append(Row("running", 1));
    for (std::uint32_t id = 10; id < 15; ++id) rows.Append(Row("a" + std::to_string(id), id));
    rows.Append(Row("folder", 0, &walk));
    for (std::uint32_t id = 20; id < 23; ++id) rows.Append(Row("b" + std::to_string(id), id));
    rows.Append(Row("last", 2));
    for (std::uint32_t id : {10u, 11u, 12u, 13u, 14u, 20u, 21u, 22u})
        rows.MarkDone(*rows.FindById(id));
    EXPECT_FALSE(rows.FindById(12)) << "a finished row lets go of its id";
    rows.SetId(*rows.FindByFolder(&walk), 30);

    for (int tick = 0; tick < 5; ++tick) rows.CountDown();
    EXPECT_EQ(rows.Count(), 11u);
    rows.CountDown();
    EXPECT_EQ(view.Column(0), (Lines{"running", "folder", "last"}));
    ASSERT_EQ(rows.Count(), 3u);
    EXPECT_EQ(rows.FindById(1), 0u);
    EXPECT_EQ(rows.FindById(30), 1u);
    EXPECT_EQ(rows.FindByFolder(&walk), 1u);
    EXPECT_EQ(rows.FindById(2), 2u);
    EXPECT_EQ(rows.At(2).name, "last");

    // A folder row's file id changes hands; the old one no longer leads anywhere.
    rows.SetId(1, 31);
    EXPECT_FALSE(rows.FindById(30));
    EXPECT_EQ(rows.FindById(31), 1u);
    rows.Append(Row("new", 40));
    EXPECT_EQ(rows.FindById(40), 3u);
}

}  // namespace
}  // namespace fakes
