#include "qt/share_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "qt/icons.h"
#include "qt/qt_text.h"
#include "ui/desktop/share_checks.h"

namespace qtui {

namespace {

constexpr int kIconSize = 32;
constexpr int kFieldWidth = 260;

}  // namespace

ShareDialog::ShareDialog(QWidget* owner, utilcpp::CParseini& settings, std::string originalName,
                         const std::string& name, const std::string& path, FolderBrowser browse)
    : QDialog(owner),
      settings_(settings),
      originalName_(std::move(originalName)),
      browse_(std::move(browse)),
      name_(new QLineEdit(ToQt(name))),
      path_(new QLineEdit(ToQt(path))) {
    setWindowTitle(Tr(ui::StringId::ShareDialogTitle));
    for (QLineEdit* field : {name_, path_}) {
        field->setMaxLength(static_cast<int>(ui::kMaxShareFieldLength));
        field->setMinimumWidth(kFieldWidth);
    }

    auto* group = new QGroupBox(Tr(ui::StringId::ShareGroup));
    auto* grid = new QGridLayout(group);
    auto* icon = new QLabel;
    icon->setPixmap(DialogIcon(DialogImage::Share).pixmap(kIconSize, kIconSize));
    icon->setAlignment(Qt::AlignTop);
    grid->addWidget(icon, 0, 0, 3, 1);
    auto* nameLabel = new QLabel(Tr(ui::StringId::ShareNameLabel));
    nameLabel->setBuddy(name_);
    auto* pathLabel = new QLabel(Tr(ui::StringId::SharePathLabel));
    pathLabel->setBuddy(path_);
    auto* browseButton = new QPushButton(Tr(ui::StringId::ShareBrowseButton));
    browseButton->setAutoDefault(false);
    grid->addWidget(nameLabel, 0, 1);
    grid->addWidget(name_, 0, 2);
    grid->addWidget(pathLabel, 1, 1);
    grid->addWidget(path_, 1, 2);
    grid->addWidget(browseButton, 2, 2, Qt::AlignLeft);
    grid->setColumnStretch(2, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(Tr(ui::StringId::ButtonOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(Tr(ui::StringId::ButtonCancel));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseButton, &QPushButton::clicked, this, &ShareDialog::Browse);
    name_->setFocus(Qt::OtherFocusReason);
    name_->selectAll();
}

bool ShareDialog::AddShare(QWidget* owner, utilcpp::CParseini& settings, std::string& name,
                           std::string& path) {
    ShareDialog dialog(owner, settings, {}, name, path);
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.Name();
    path = dialog.Path();
    return true;
}

bool ShareDialog::EditShare(QWidget* owner, utilcpp::CParseini& settings, std::string& name,
                            std::string& path) {
    ShareDialog dialog(owner, settings, name, name, path);
    if (dialog.exec() != QDialog::Accepted) return false;
    name = dialog.Name();
    path = dialog.Path();
    return true;
}

std::string ShareDialog::Name() const {
    return FromQt(name_->text());
}

std::string ShareDialog::Path() const {
    return FromQt(path_->text());
}

void ShareDialog::Browse() {
    const QString folder = browse_(this, Tr(ui::StringId::SelectShareFolder), path_->text());
    if (!folder.isEmpty()) path_->setText(folder);
}

void ShareDialog::accept() {
    const std::string name = Name();
    const std::string path = Path();
    const ui::ShareProblem problem = ui::CheckShare(name, path);
    if (const auto message = ui::ShareProblemMessage(problem)) {
        QMessageBox::warning(this, Tr(ui::StringId::ProductName), Tr(*message));
        if (problem == ui::ShareProblem::PathNotAFolder) {
            path_->setFocus(Qt::OtherFocusReason);
            path_->selectAll();
        }
        return;
    }
    if (const std::string clash = ui::ShareNameCaseMessage(settings_, name, originalName_);
        !clash.empty()) {
        QMessageBox::warning(this, Tr(ui::StringId::ProductName), ToQt(clash));
        name_->setFocus(Qt::OtherFocusReason);
        name_->selectAll();
        return;
    }
    const bool written = originalName_.empty()
                             ? ui::WriteNewShare(settings_, name, path)
                             : ui::WriteEditedShare(settings_, originalName_, name, path);
    if (!written) {
        QMessageBox::warning(
            this, Tr(ui::StringId::ProductName),
            ToQt(ui::FormatText(ui::Translate("The share could not be saved in %s."),
                                {settings_.GetFileName()})));
        return;
    }
    QDialog::accept();
}

}  // namespace qtui
