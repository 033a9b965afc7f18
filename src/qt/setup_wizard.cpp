#include "qt/setup_wizard.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/share_check.h"
#include "qt/icons.h"
#include "qt/qt_text.h"
#include "ui/desktop/first_run.h"
#include "ui/desktop/share_checks.h"

namespace qtui {

namespace {

constexpr int kTitlePoints = 12;
constexpr int kLogoSize = 48;
constexpr int kFieldWidth = 220;
constexpr int kPathFieldWidth = 260;
// The size of the tall picture on the welcome and completed pages.
constexpr QSize kSidePicture(164, 314);
// Room for the longest welcome title of every language without crowding the edge.
constexpr int kMinimumWidth = 560;

// A page whose Next (or Finish) is enabled as the flow says while it is the flow's page.
class FlowPage final : public QWizardPage {
public:
    FlowPage(const ui::WizardFlow& flow, ui::WizardPage page) : flow_(flow), page_(page) {}

    bool isComplete() const override {
        if (flow_.Page() != page_) return true;
        const ui::WizardButtons buttons = flow_.Buttons();
        return buttons.next || buttons.finish;
    }

private:
    const ui::WizardFlow& flow_;
    const ui::WizardPage page_;
};

QLabel* WrappedLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

QLabel* TitleLabel(const QString& text) {
    QLabel* label = WrappedLabel(text);
    QFont font = label->font();
    font.setPointSize(kTitlePoints);
    font.setBold(true);
    label->setFont(font);
    return label;
}

constexpr int kButtonPadding = 24;

int IdOf(ui::WizardPage page) {
    return static_cast<int>(page);
}

}  // namespace

SetupWizard::SetupWizard(QWidget* owner, utilcpp::CParseini& settings, bool firstRun,
                         FolderBrowser browse)
    : QWizard(owner),
      settings_(settings),
      flow_(firstRun, ui::ConfiguredHostName(settings), utilcpp::IsExistingFolder,
            [&settings](const std::string& name) {
                return ui::ShareNameCaseMessage(settings, name);
            }),
      browse_(std::move(browse)) {
    setWindowTitle(Tr(ui::WizardCaption(firstRun)));
    setWizardStyle(QWizard::ModernStyle);
    setButtonText(QWizard::BackButton, ToQt(ui::Translate("< &Back")));
    setButtonText(QWizard::NextButton, ToQt(ui::Translate("&Next >")));
    setButtonText(QWizard::FinishButton, ToQt(ui::Translate("&Finish")));
    setButtonText(QWizard::CancelButton, Tr(ui::StringId::ButtonCancel));
    // A long translation ("Fertig stellen") gets the room it needs, with the margins a button's
    // style gives an English text.
    for (const auto which :
         {QWizard::BackButton, QWizard::NextButton, QWizard::FinishButton, QWizard::CancelButton}) {
        QAbstractButton* shown = button(which);
        const QString plain = QString(shown->text()).remove(QLatin1Char('&'));
        shown->setMinimumWidth(shown->fontMetrics().horizontalAdvance(plain) + kButtonPadding);
    }
    setWindowIcon(ApplicationIcon());
    setPixmap(QWizard::LogoPixmap, ApplicationIcon().pixmap(kLogoSize, kLogoSize));
    setMinimumWidth(kMinimumWidth);

    BuildWelcomePage(AddFlowPage(ui::WizardPage::Welcome));
    BuildComputerNamePage(AddFlowPage(ui::WizardPage::ComputerName));
    BuildFolderPage(AddFlowPage(ui::WizardPage::Folder));
    BuildShareNamePage(AddFlowPage(ui::WizardPage::ShareName));
    BuildCompletedPage(AddFlowPage(ui::WizardPage::Completed));
    setStartId(IdOf(ui::WizardPage::Welcome));
}

QWizardPage* SetupWizard::AddFlowPage(ui::WizardPage which) {
    auto* page = new FlowPage(flow_, which);
    if (const auto header = ui::HeaderFor(which)) {
        page->setTitle(Tr(header->title));
        page->setSubTitle(Tr(header->subtitle));
    } else {
        page->setPixmap(QWizard::WatermarkPixmap,
                        DialogIcon(DialogImage::WizardSide).pixmap(kSidePicture));
    }
    setPage(IdOf(which), page);
    return page;
}

void SetupWizard::BuildWelcomePage(QWizardPage* page) {
    const ui::WelcomeTexts texts = ui::WelcomeTextsFor(flow_.FirstRun());
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(TitleLabel(Tr(texts.title)));
    layout->addSpacing(16);
    for (const ui::StringId id : {texts.intro, texts.guide, texts.follow}) {
        layout->addWidget(WrappedLabel(Tr(id)));
        layout->addSpacing(8);
    }
    layout->addStretch(1);
    layout->addWidget(WrappedLabel(Tr(ui::StringId::WelcomeClickNext)));
}

void SetupWizard::BuildComputerNamePage(QWizardPage* page) {
    hostField_ = new QLineEdit;
    hostField_->setMaxLength(static_cast<int>(ui::kMaxWizardNameLength));
    hostField_->setFixedWidth(kFieldWidth);
    auto* label = new QLabel(Tr(ui::StringId::ComputerNameLabel));
    label->setBuddy(hostField_);
    shareNowBox_ = new QCheckBox(Tr(ui::StringId::ShareFolderNow));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(Tr(ui::StringId::ComputerNameExplanation)));
    layout->addSpacing(16);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(hostField_);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addSpacing(16);
    layout->addWidget(shareNowBox_);
    layout->addStretch(1);

    connect(hostField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (showing_) return;
        flow_.SetHostField(FromQt(text));
        FieldsChanged();
    });
    connect(shareNowBox_, &QCheckBox::toggled, this, [this](bool checked) {
        if (showing_) return;
        flow_.SetShareNowChecked(checked);
        FieldsChanged();
    });
}

void SetupWizard::BuildFolderPage(QWizardPage* page) {
    pathField_ = new QLineEdit;
    pathField_->setMaxLength(static_cast<int>(ui::kMaxWizardPathLength));
    pathField_->setMinimumWidth(kPathFieldWidth);
    auto* label = new QLabel(Tr(ui::StringId::SharePathFieldLabel));
    label->setBuddy(pathField_);
    browseButton_ = new QPushButton(Tr(ui::StringId::WizardBrowseButton));
    browseButton_->setAutoDefault(false);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(Tr(ui::StringId::ShareFolderExplanation)));
    layout->addWidget(WrappedLabel(Tr(ui::StringId::ShareFolderContents)));
    layout->addSpacing(16);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(pathField_, 1);
    row->addWidget(browseButton_);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(pathField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (showing_) return;
        flow_.SetPathField(FromQt(text));
        FieldsChanged();
    });
    connect(browseButton_, &QPushButton::clicked, this, [this] {
        const QString folder =
            browse_(this, Tr(ui::StringId::SelectShareFolder), pathField_->text());
        if (!folder.isEmpty()) pathField_->setText(folder);
    });
}

void SetupWizard::BuildShareNamePage(QWizardPage* page) {
    nameField_ = new QLineEdit;
    nameField_->setMaxLength(static_cast<int>(ui::kMaxWizardNameLength));
    nameField_->setFixedWidth(kFieldWidth);
    auto* label = new QLabel(Tr(ui::StringId::ShareNameFieldLabel));
    label->setBuddy(nameField_);
    nameWarning_ = WrappedLabel({});

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(Tr(ui::StringId::ShareNameSubtitle)));
    layout->addWidget(WrappedLabel(Tr(ui::StringId::ShareNameExplanation)));
    layout->addSpacing(16);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(nameField_);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addSpacing(8);
    layout->addWidget(nameWarning_);
    layout->addStretch(1);

    connect(nameField_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (showing_) return;
        flow_.SetNameField(FromQt(text));
        FieldsChanged();
    });
}

void SetupWizard::BuildCompletedPage(QWizardPage* page) {
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(TitleLabel(Tr(ui::StringId::CompletedTitle)));
    layout->addSpacing(16);
    layout->addWidget(WrappedLabel(Tr(ui::StringId::CompletedText)));
    if (flow_.OffersWebView()) {
        layout->addSpacing(16);
        webViewBox_ =
            new QCheckBox(ToQt(ui::Translate("Let browsers on this network see the shares")));
        layout->addWidget(webViewBox_);
        layout->addWidget(WrappedLabel(ToQt(ui::Translate(
            "Phones and other computers can then open your shares in a browser, once you allow "
            "each of them. Options shows the address to type."))));
        connect(webViewBox_, &QCheckBox::toggled, this, [this](bool checked) {
            if (showing_) return;
            flow_.SetWebViewChecked(checked);
        });
    }
    layout->addStretch(1);
}

int SetupWizard::nextId() const {
    const std::optional<ui::WizardPage> next = flow_.NextPage();
    return next ? IdOf(*next) : -1;
}

bool SetupWizard::validateCurrentPage() {
    const ui::WizardButtons buttons = flow_.Buttons();
    return buttons.next || buttons.finish;
}

void SetupWizard::initializePage(int id) {
    // QWizard has decided to go forward (to the page the flow named): the flow follows.
    if (id != IdOf(flow_.Page())) flow_.Next();
    QWizard::initializePage(id);
    ShowFlow();
}

void SetupWizard::cleanupPage(int id) {
    // Back, and the unwinding of a cancelled wizard, which writes nothing either way.
    flow_.Back();
    QWizard::cleanupPage(id);
    ShowFlow();
}

void SetupWizard::accept() {
    if (flow_.Page() != ui::WizardPage::Completed) return;
    // A failed write of the settings is not reported, like every other settings write.
    (void)flow_.Finish(settings_);
    QWizard::accept();
}

void SetupWizard::ShowFlow() {
    showing_ = true;
    auto show = [](QLineEdit* field, const std::string& text) {
        const QString shown = ToQt(text);
        if (field->text() != shown) field->setText(shown);
    };
    show(hostField_, flow_.HostField());
    shareNowBox_->setChecked(flow_.ShareNowChecked());
    show(pathField_, flow_.PathField());
    show(nameField_, flow_.NameField());
    if (webViewBox_ != nullptr) webViewBox_->setChecked(flow_.WebViewChecked());
    showing_ = false;
    FieldsChanged();
}

void SetupWizard::FieldsChanged() {
    nameWarning_->setText(ToQt(flow_.NameWarning()));
    if (QWizardPage* current = page(IdOf(flow_.Page()))) emit current->completeChanged();
}

bool RunShareWizard(QWidget* owner, utilcpp::CParseini& settings) {
    SetupWizard wizard(owner, settings, false);
    return wizard.exec() == QDialog::Accepted;
}

bool RunFirstRunWizard(QWidget* owner, utilcpp::CParseini& settings) {
    return ui::RunFirstRun(settings, [&] {
        SetupWizard wizard(owner, settings, true);
        return wizard.exec() == QDialog::Accepted;
    });
}

}  // namespace qtui
