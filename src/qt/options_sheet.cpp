#include "qt/options_sheet.h"

#include <QCheckBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWhatsThis>

#include "qt/icons.h"
#include "qt/qt_text.h"
#include "ui/controller/file_list_rows.h"
#include "ui/desktop/options_settings.h"
#include "ui/desktop/web_view_settings.h"

namespace qtui {

namespace {

constexpr int kIconSize = 32;
constexpr int kFieldWidth = 220;
// Pixels of one QR module, and the light border in modules that scanners need around the code.
constexpr int kQrModulePixels = 4;
constexpr int kQrQuietModules = 4;

// The code as the controller made it, black on white whatever the style's colours.
QLabel* QrCodeLabel(const std::vector<std::string>& modules) {
    const int count = static_cast<int>(modules.size());
    const int side = count + 2 * kQrQuietModules;
    QImage image(side, side, QImage::Format_Mono);
    image.fill(1);
    image.setColor(0, qRgb(0, 0, 0));
    image.setColor(1, qRgb(255, 255, 255));
    for (int y = 0; y < count; ++y) {
        for (int x = 0; x < count && x < static_cast<int>(modules[y].size()); ++x) {
            if (modules[y][x] == '#') image.setPixel(x + kQrQuietModules, y + kQrQuietModules, 0);
        }
    }
    auto* label = new QLabel;
    label->setPixmap(
        QPixmap::fromImage(image.scaled(side * kQrModulePixels, side * kQrModulePixels)));
    return label;
}

// A group of the page: its picture on the left, its controls beside it.
QGroupBox* Group(ui::StringId title, DialogImage image, QLayout* controls) {
    auto* group = new QGroupBox(Tr(title));
    auto* row = new QHBoxLayout(group);
    auto* icon = new QLabel;
    icon->setPixmap(DialogIcon(image).pixmap(kIconSize, kIconSize));
    row->addWidget(icon);
    row->addSpacing(12);
    row->addLayout(controls, 1);
    return group;
}

}  // namespace

OptionsSheet::OptionsSheet(QWidget* owner, utilcpp::CParseini& settings)
    : QDialog(owner),
      settings_(settings),
      pages_(new QTabWidget),
      name_(new QLineEdit),
      sound_(new QCheckBox(Tr(ui::StringId::OptionsActivateSounds))),
      webView_(new QCheckBox(ToQt(ui::Translate("Let browsers on this network see the shares")))),
      downloadLimit_(new QSpinBox),
      browsers_(new QVBoxLayout) {
    setWindowTitle(Tr(ui::StringId::TooltipOptions));
    const ui::OptionsValues values = ui::LoadOptions(settings_);
    name_->setText(ToQt(values.hostName));
    name_->setMaxLength(1023);
    name_->setFixedWidth(kFieldWidth);
    sound_->setChecked(values.sound);
    webView_->setChecked(values.webView);
    downloadLimit_->setRange(0, ui::kMaxDownloadLimit);
    downloadLimit_->setValue(values.downloadLimit);
    downloadLimit_->setWhatsThis(
        ToQt(ui::Translate("All downloads together receive at most this many kilobytes a second, "
                           "from every host. 0 lets them go as fast as the network allows.")));
    name_->setWhatsThis(Tr(ui::ContextHelpFor(ui::OptionsControl::ComputerName)));
    sound_->setWhatsThis(Tr(ui::ContextHelpFor(ui::OptionsControl::Sound)));

    auto* nameRow = new QHBoxLayout;
    auto* nameLabel = new QLabel(Tr(ui::StringId::OptionsComputerName));
    nameLabel->setBuddy(name_);
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(name_);
    nameRow->addStretch(1);
    auto* soundRow = new QHBoxLayout;
    soundRow->addWidget(sound_);
    soundRow->addStretch(1);

    auto* limitRow = new QHBoxLayout;
    auto* limitLabel = new QLabel(ToQt(ui::Translate("Limit download speed to")));
    limitLabel->setBuddy(downloadLimit_);
    limitRow->addWidget(limitLabel);
    limitRow->addWidget(downloadLimit_);
    limitRow->addWidget(new QLabel(ToQt(ui::Translate("KB/s (0 = no limit)"))));
    limitRow->addStretch(1);

    auto* webRows = new QVBoxLayout;
    webRows->addWidget(webView_);
    const std::vector<std::string> addresses = ui::WebViewAddresses();
    if (!addresses.empty()) {
        auto* address = new QLabel(ToQt(ui::FormatText(
            ui::Translate("Type this address in a browser: %s"), {addresses.front()})));
        address->setTextInteractionFlags(Qt::TextSelectableByMouse);
        webRows->addWidget(address);
        const std::vector<std::string> modules = ui::AddressQrModules(addresses.front());
        if (!modules.empty()) {
            qrCode_ = QrCodeLabel(modules);
            qrCode_->setToolTip(
                ToQt(ui::Translate("Point a phone's camera at this code to open the address.")));
            webRows->addWidget(qrCode_);
        }
    }
    webRows->addWidget(new QLabel(ToQt(ui::Translate("Browsers let in:"))));
    webRows->addLayout(browsers_);
    FillBrowsers();

    auto* general = new QWidget;
    auto* page = new QVBoxLayout(general);
    page->addWidget(Group(ui::StringId::OptionsComputerGroup, DialogImage::Computer, nameRow));
    page->addWidget(Group(ui::StringId::OptionsSoundGroup, DialogImage::Sound, soundRow));
    auto* limitGroup = new QGroupBox(ToQt(ui::Translate("Downloads")));
    auto* limitGroupRow = new QHBoxLayout(limitGroup);
    auto* limitIcon = new QLabel;
    limitIcon->setPixmap(SmallIcon(ui::kImageDownload).pixmap(kIconSize, kIconSize));
    limitGroupRow->addWidget(limitIcon);
    limitGroupRow->addSpacing(12);
    limitGroupRow->addLayout(limitRow, 1);
    page->addWidget(limitGroup);
    auto* webGroup = new QGroupBox(ToQt(ui::Translate("Web view")));
    auto* webGroupRow = new QHBoxLayout(webGroup);
    auto* webIcon = new QLabel;
    webIcon->setPixmap(DialogIcon(DialogImage::Share).pixmap(kIconSize, kIconSize));
    webGroupRow->addWidget(webIcon);
    webGroupRow->addSpacing(12);
    webGroupRow->addLayout(webRows, 1);
    page->addWidget(webGroup);
    page->addStretch(1);
    pages_->addTab(general, Tr(ui::StringId::OptionsGeneralPage));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(ui::StringId::ButtonOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(Tr(ui::StringId::ButtonCancel));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &OptionsSheet::ShowContextHelp);
    name_->setFocus(Qt::OtherFocusReason);
}

bool OptionsSheet::Run(QWidget* owner, utilcpp::CParseini& settings) {
    OptionsSheet sheet(owner, settings);
    return sheet.exec() == QDialog::Accepted;
}

void OptionsSheet::accept() {
    if (!ui::SaveOptions(settings_, {FromQt(name_->text()), sound_->isChecked(),
                                     webView_->isChecked(), downloadLimit_->value()})) {
        QMessageBox::warning(
            this, Tr(ui::StringId::ProductName),
            ToQt(ui::FormatText(ui::Translate("The options could not be saved in %s."),
                                {settings_.GetFileName()})));
    }
    QDialog::accept();
}

void OptionsSheet::FillBrowsers() {
    while (QLayoutItem* item = browsers_->takeAt(0)) {
        if (QLayout* row = item->layout()) {
            while (QLayoutItem* part = row->takeAt(0)) {
                delete part->widget();
                delete part;
            }
        }
        delete item->widget();
        delete item;
    }
    const std::string file = settings_.GetFileName();
    const std::vector<ui::ApprovedBrowserRow> rows = ui::ApprovedBrowserRows(file);
    if (rows.empty()) {
        browsers_->addWidget(new QLabel(ToQt(ui::Translate("No browser has been let in."))));
        return;
    }
    for (const ui::ApprovedBrowserRow& browser : rows) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(ToQt(browser.text)), 1);
        auto* revoke = new QPushButton(ToQt(ui::Translate("Revoke")));
        const std::string token = browser.token;
        connect(revoke, &QPushButton::clicked, this, [this, file, token] {
            (void)ui::RevokeBrowser(file, token);
            // Queued: the button that was clicked is among the widgets the refill deletes.
            QMetaObject::invokeMethod(
                this, [this] { FillBrowsers(); }, Qt::QueuedConnection);
        });
        row->addWidget(revoke);
        browsers_->addLayout(row);
    }
}

void OptionsSheet::ShowContextHelp() {
    QWidget* focused = focusWidget();
    if (focused != name_ && focused != sound_ && focused != downloadLimit_) return;
    QWhatsThis::showText(QCursor::pos(), focused->whatsThis(), focused);
}

}  // namespace qtui
