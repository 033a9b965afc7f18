#include "web/qr_text.h"

#include <qrencode.h>

#include <memory>

namespace web {

std::vector<std::string> QrCodeModules(const std::string& text) {
    std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1), &QRcode_free);
    if (!code) return {};
    std::vector<std::string> rows;
    const int width = code->width;
    for (int y = 0; y < width; ++y) {
        std::string row;
        for (int x = 0; x < width; ++x) {
            // The lowest bit of each byte is the module's colour.
            row.push_back((code->data[y * width + x] & 1) != 0 ? '#' : ' ');
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string QrCodeText(const std::string& text) {
    const std::vector<std::string> modules = QrCodeModules(text);
    if (modules.empty()) return {};
    constexpr int kQuiet = 2;
    const int width = static_cast<int>(modules.size());
    // Light squares are printed as full blocks: a terminal's background is the dark colour.
    const auto light = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= width || y >= width) return true;
        return modules[y][x] == ' ';
    };
    std::string out;
    for (int y = -kQuiet; y < width + kQuiet; y += 2) {
        for (int x = -kQuiet; x < width + kQuiet; ++x) {
            const bool top = light(x, y);
            const bool bottom = light(x, y + 1);
            out += top && bottom ? "\u2588" : top ? "\u2580" : bottom ? "\u2584" : " ";
        }
        out += '\n';
    }
    return out;
}

}  // namespace web
