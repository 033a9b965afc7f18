#include "qt/diagnosis_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "qt/qt_text.h"

namespace qtui {

namespace {

QIcon MarkIcon(diagnosis::Mark mark) {
    QColor colour;
    switch (mark) {
        case diagnosis::Mark::Good:
            colour = QColor(0x2e, 0x7d, 0x32);
            break;
        case diagnosis::Mark::Warning:
            colour = QColor(0xf9, 0xa8, 0x25);
            break;
        case diagnosis::Mark::Problem:
            colour = QColor(0xc6, 0x28, 0x28);
            break;
    }
    QPixmap pixmap(14, 14);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(1, 1, 12, 12);
    return QIcon(pixmap);
}

QString WhatToDo(const std::string& fix) {
    return ToQt(std::string(ui::Translate("What to do:")) + " " + fix);
}

}  // namespace

DiagnosisDialog::DiagnosisDialog(QWidget* parent, ui::Dispatcher& dispatcher) : QDialog(parent) {
    setWindowTitle(ToQt(ui::Translate("Find a missing computer")));
    auto* explanation = new QLabel(
        ToQt(ui::Translate("Checks this computer's network, ports and firewall, listens for the "
                           "others, and, when you name one, why it cannot be seen. Nothing is "
                           "changed.")),
        this);
    explanation->setWordWrap(true);
    host_ = new QLineEdit(this);
    host_->setObjectName("diagnosisHost");
    host_->setPlaceholderText(ToQt(ui::Translate("Name or address (optional)")));
    start_ = new QPushButton(ToQt(ui::Translate("Check")), this);
    start_->setObjectName("diagnosisStart");
    start_->setDefault(true);
    auto* hostRow = new QHBoxLayout;
    hostRow->addWidget(new QLabel(ToQt(ui::Translate("Missing computer:")), this));
    hostRow->addWidget(host_, 1);
    hostRow->addWidget(start_);
    progress_ = new QProgressBar(this);
    results_ = new QTreeWidget(this);
    results_->setObjectName("diagnosisResults");
    results_->setHeaderHidden(true);
    results_->setWordWrap(true);
    verdict_ = new QLabel(this);
    verdict_->setObjectName("diagnosisVerdict");
    verdict_->setWordWrap(true);
    verdict_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(hostRow);
    layout->addWidget(progress_);
    layout->addWidget(results_, 1);
    layout->addWidget(verdict_);
    layout->addWidget(buttons);
    resize(640, 520);

    presenter_ = std::make_unique<ui::DiagnosisPresenter>(*this, dispatcher);
    connect(start_, &QPushButton::clicked, this,
            [this] { presenter_->Start(FromQt(host_->text().trimmed())); });
    connect(host_, &QLineEdit::returnPressed, start_, &QPushButton::click);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void DiagnosisDialog::ShowRunning(bool running) {
    start_->setEnabled(!running);
    host_->setEnabled(!running);
    if (running) {
        results_->clear();
        verdict_->setText(ToQt(ui::Translate("Checking…")));
    }
}

void DiagnosisDialog::ShowProgress(int done, int total) {
    progress_->setRange(0, total);
    progress_->setValue(done);
}

void DiagnosisDialog::AddRow(const ui::DiagnosisRow& row) {
    auto* item = new QTreeWidgetItem(results_);
    item->setIcon(0, MarkIcon(row.mark));
    item->setText(0, ToQt(row.title + ": " + row.summary));
    if (!row.fix.empty()) new QTreeWidgetItem(item, QStringList{WhatToDo(row.fix)});
    for (const std::string& detail : row.details) {
        new QTreeWidgetItem(item, QStringList{ToQt(detail)});
    }
    item->setExpanded(row.mark != diagnosis::Mark::Good);
}

void DiagnosisDialog::ShowVerdict(diagnosis::Mark mark, const std::string& summary,
                                  const std::string& fix) {
    QString text = "<b>" + ToQt(summary).toHtmlEscaped() + "</b>";
    if (!fix.empty()) text += "<br>" + WhatToDo(fix).toHtmlEscaped();
    const char* colour = mark == diagnosis::Mark::Good ? "#2e7d32" : "#c62828";
    verdict_->setText(QStringLiteral("<span style=\"color:%1\">&#9679;</span> ").arg(colour) +
                      text);
}

}  // namespace qtui
