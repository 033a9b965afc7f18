#include "ui/desktop/window_layout.h"

#include <algorithm>

namespace ui {

MainLayout ComputeMainLayout(Size client, PanelSizes panels) {
    const int W = client.width;
    const int H = client.height;
    const int L = panels.leftPanelWidth;
    const int B = panels.bottomPanelHeight;
    const int upperHeight = H - B - 48;

    MainLayout layout;
    layout.tree = {7, kPaneTop, L, upperHeight};
    layout.fileList = {L + 12, kPaneTop, W - L - 19, upperHeight};
    layout.horizontalSplitter = {7, H - B - 12, W - 14, 5};
    layout.verticalSplitter = {L + 7, 43, 5, H - 50};
    layout.chatPane = {7, H - B - 7, L, B};
    layout.chatGroup = {0, 0, L, B};
    layout.chatHistory = {7, 14, L - 14, B - 50};
    layout.chatInput = {7, B - 28, L - 94, 22};
    layout.sendButton = {L - 82, B - 29, 75, 24};
    layout.transferGroup = {L + 12, H - B - 7, W - L - 19, B};
    layout.transferList = {7, 14, W - L - 33, B - 21};
    return layout;
}

Size MinimumTrackingSize(PanelSizes panels) {
    return {panels.leftPanelWidth + 119, panels.bottomPanelHeight + 169};
}

int DefaultLeftPanelWidth(int clientWidth) {
    return (clientWidth - 19) / 2;
}

int DefaultBottomPanelHeight(int clientHeight) {
    return clientHeight * 2 / 3;
}

PanelSizes ClampStoredPanels(PanelSizes stored, Size client) {
    return {std::min(stored.leftPanelWidth, client.width - 150),
            std::min(stored.bottomPanelHeight, client.height - 150)};
}

}  // namespace ui
