// The QR code of the web view's address: the module grid the desktop draws and the text the
// console prints must be a code a phone can find (finder patterns in three corners) and keep
// every module.
#include "web/qr_text.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// The 7x7 finder pattern: a dark ring, a light ring, a dark 3x3 centre.
bool FinderAt(const std::vector<std::string>& rows, std::size_t left, std::size_t top) {
    for (std::size_t y = 0; y < 7; ++y) {
        for (std::size_t x = 0; x < 7; ++x) {
            const std::size_t ring = std::min({x, y, 6 - x, 6 - y});
            const bool dark = ring != 1;
            if ((rows[top + y][left + x] == '#') != dark) return false;
        }
    }
    return true;
}

TEST(QrCodeTest, AnAddressBecomesASquareCodeWithItsThreeFinders) {
    const std::vector<std::string> rows = web::QrCodeModules("http://192.168.178.23:12348/");
    ASSERT_GE(rows.size(), 21U);
    EXPECT_EQ(rows.size() % 4, 1U);  // versions grow by four modules from 21
    for (const std::string& row : rows) ASSERT_EQ(row.size(), rows.size());
    const std::size_t far = rows.size() - 7;
    EXPECT_TRUE(FinderAt(rows, 0, 0));
    EXPECT_TRUE(FinderAt(rows, far, 0));
    EXPECT_TRUE(FinderAt(rows, 0, far));
    EXPECT_FALSE(FinderAt(rows, far, far));
    EXPECT_NE(rows, web::QrCodeModules("http://192.168.178.24:12348/"));
}

TEST(QrCodeTest, TheConsoleTextKeepsEveryModuleWithAQuietZone) {
    const std::string address = "http://10.0.0.2:12348/";
    const std::vector<std::string> rows = web::QrCodeModules(address);
    ASSERT_FALSE(rows.empty());
    std::istringstream text(web::QrCodeText(address));
    std::vector<std::u32string> lines;
    for (std::string line; std::getline(text, line);) {
        std::u32string decoded;
        // Each character is a one-byte space or a three-byte block element.
        for (std::size_t i = 0; i < line.size(); i += line[i] == ' ' ? 1 : 3) {
            decoded += line[i] == ' ' ? U' '
                                      : static_cast<char32_t>(0x2500 + ((line[i + 1] & 0x3) << 6) +
                                                              (line[i + 2] & 0x3f));
        }
        lines.push_back(decoded);
    }
    const std::size_t side = rows.size() + 4;
    ASSERT_EQ(lines.size(), (side + 1) / 2);
    // Dark modules are the terminal's background (a space or the empty half of a block).
    const auto shownDark = [&](std::size_t x, std::size_t y) {
        const char32_t cell = lines[y / 2][x];
        if (cell == U'\u2588') return false;
        if (cell == U' ') return true;
        return (cell == U'\u2580') == (y % 2 == 1);
    };
    for (std::size_t y = 0; y < side; ++y) {
        ASSERT_EQ(lines[y / 2].size(), side);
        for (std::size_t x = 0; x < side; ++x) {
            const bool inside = x >= 2 && y >= 2 && x < side - 2 && y < side - 2;
            const bool dark = inside && rows[y - 2][x - 2] == '#';
            ASSERT_EQ(shownDark(x, y), dark) << x << "," << y;
        }
    }
}

TEST(QrCodeTest, TextTooLongForAnyCodeGivesNothing) {
    const std::string huge(8000, 'a');
    EXPECT_TRUE(web::QrCodeModules(huge).empty());
    EXPECT_TRUE(web::QrCodeText(huge).empty());
}

}  // namespace
