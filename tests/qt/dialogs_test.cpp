// The dialogs and wizards on OK, Finish and Cancel: what they write to the settings file, and when
// their Next, Finish and OK let the user go on. The first-run wizard's Finish is the end-to-end
// test's.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>

#include "core/parseini.h"
#include "qt/add_host_dialog.h"
#include "qt/options_sheet.h"
#include "qt/qt_text.h"
#include "qt/setup_wizard.h"
#include "qt/share_dialog.h"

namespace {

using Lines = std::vector<std::string>;
using qtui::SetupWizard;
using Page = ui::WizardPage;

int Id(Page page) {
    return static_cast<int>(page);
}

class DialogsTest final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        settingsFile_ = folder_->filePath("wendaro.ini").toStdString();
        std::ofstream(settingsFile_) << "[global]\nhostname=test-pc\n";
        music_ = folder_->filePath("Music");
        QVERIFY(QDir().mkpath(music_));
        file_ = folder_->filePath("notes.txt");
        std::ofstream(file_.toStdString()) << "notes\n";
    }

    void ShareWizardSkipsTheNameAndWritesOnlyTheShareOnFinish() {
        utilcpp::CParseini settings(settingsFile_);
        SetupWizard wizard(nullptr, settings, false,
                           [this](QWidget*, const QString&, const QString&) { return music_; });
        wizard.show();
        QCOMPARE(wizard.currentId(), Id(Page::Welcome));
        Next(wizard);
        QCOMPARE(wizard.currentId(), Id(Page::Folder));
        QVERIFY(!NextEnabled(wizard));  // no folder yet
        QTest::mouseClick(wizard.BrowseButton(), Qt::LeftButton);
        QCOMPARE(wizard.PathField()->text(), music_);
        QVERIFY(NextEnabled(wizard));
        wizard.PathField()->setText(music_ + "/");
        Next(wizard);

        QCOMPARE(wizard.currentId(), Id(Page::ShareName));
        QCOMPARE(wizard.NameField()->text(), QString("Music"));
        QVERIFY(wizard.NameWarning()->text().isEmpty());
        QTest::keyClick(wizard.NameField(), Qt::Key_Backslash);
        QCOMPARE(wizard.NameWarning()->text(), qtui::Tr(ui::StringId::ShareNameBackslash));
        QVERIFY(!NextEnabled(wizard));
        QTest::keyClick(wizard.NameField(), Qt::Key_Backspace);
        QVERIFY(wizard.NameWarning()->text().isEmpty());
        wizard.NameField()->setText("Songs");
        Next(wizard);
        QCOMPARE(wizard.currentId(), Id(Page::Completed));
        QAbstractButton* finish = wizard.button(QWizard::FinishButton);
        QVERIFY(finish->isVisible() && finish->isEnabled());
        QCOMPARE(Section("shares"), Lines{});  // nothing before Finish
        finish->click();
        QVERIFY(!wizard.isVisible());
        QCOMPARE(wizard.result(), int(QDialog::Accepted));
        QCOMPARE(Section("shares"), (Lines{"Songs=" + music_.toStdString() + "/"}));
        QCOMPARE(Section("global"), (Lines{"hostname=test-pc"}));
    }

    // Only the first-run wizard offers the web view; it stays off unless ticked, and Back keeps
    // the tick.
    void FirstRunWizardSwitchesTheWebViewOnOnlyWhenTicked() {
        for (const bool tick : {false, true}) {
            std::ofstream(settingsFile_) << "[global]\nhostname=test-pc\n";
            utilcpp::CParseini settings(settingsFile_);
            SetupWizard wizard(nullptr, settings, true);
            wizard.show();
            Next(wizard);
            QCOMPARE(wizard.currentId(), Id(Page::ComputerName));
            wizard.ShareNowBox()->setChecked(false);
            Next(wizard);
            QCOMPARE(wizard.currentId(), Id(Page::Completed));
            QVERIFY(wizard.WebViewBox() != nullptr && wizard.WebViewBox()->isVisible());
            QVERIFY(!wizard.WebViewBox()->isChecked());
            wizard.WebViewBox()->setChecked(tick);
            wizard.back();
            Next(wizard);
            QCOMPARE(wizard.WebViewBox()->isChecked(), tick);
            QCOMPARE(Section("global"), (Lines{"hostname=test-pc"}));  // nothing before Finish
            wizard.button(QWizard::FinishButton)->click();
            const Lines written =
                tick ? Lines{"hostname=test-pc", "webview=1"} : Lines{"hostname=test-pc"};
            QCOMPARE(Section("global"), written);
        }
        utilcpp::CParseini settings(settingsFile_);
        QVERIFY(SetupWizard(nullptr, settings, false).WebViewBox() == nullptr);
    }

    // Which problem is found first is the share check's test; here the dialog says so, stays open
    // and writes nothing, and Properties renames the share it opened with.
    void ShareDialogChecksBeforeWritingAndRenamesOnEdit() {
        utilcpp::CParseini settings(settingsFile_);
        qtui::ShareDialog dialog(nullptr, settings, {}, "", music_.toStdString());
        dialog.show();
        dialog.NameField()->setText("Music");
        dialog.PathField()->setText(file_);
        QString message;  // the message box is answered as it opens
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box) message = box->text(), box->accept();
        });
        dialog.accept();
        QCOMPARE(message, qtui::Tr(ui::StringId::SharePathInvalid));
        QVERIFY(dialog.isVisible());
        QCOMPARE(Section("shares"), Lines{});
        dialog.PathField()->setText(music_);
        dialog.accept();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Section("shares"), (Lines{"Music=" + music_.toStdString()}));

        qtui::ShareDialog edit(nullptr, settings, "Music", "Music", music_.toStdString());
        edit.show();
        QCOMPARE(edit.NameField()->selectedText(), QString("Music"));
        edit.NameField()->setText("Songs");
        edit.accept();
        QCOMPARE(Section("shares"), (Lines{"Songs=" + music_.toStdString()}));
    }

    // OK waits for the controller's lookup with the dialog open; a name that is not found is said
    // so, and the typed text stays for correcting.
    void AddHostKeepsTheTypedTextWhenTheNameIsNotFound() {
        std::vector<std::string> looked;
        std::function<void(ui::AddHostOutcome)> answer;
        qtui::AddHostDialog dialog(nullptr, {"alpha"}, [&](const std::string& text, auto done) {
            looked.push_back(text);
            answer = std::move(done);
            return true;
        });
        dialog.show();
        dialog.setTextValue("nowhere.lan");
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.IsWaiting());
        dialog.accept();  // a second OK while waiting starts nothing
        QCOMPARE(looked, Lines{"nowhere.lan"});
        QString message;  // the message box is answered once it opens
        QTimer answerBox;
        connect(&answerBox, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box) message = box->text(), box->accept(), answerBox.stop();
        });
        answerBox.start(10);
        answer(ui::AddHostOutcome::Unresolved);
        QTRY_COMPARE(message, qtui::Tr(ui::StringId::HostNotResolved));
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.IsWaiting());
        QCOMPARE(dialog.textValue(), QString("nowhere.lan"));
        dialog.setTextValue("kitchen");
        dialog.accept();
        answer(ui::AddHostOutcome::Accepted);
        QTRY_VERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    // Cancel writing nothing is the end-to-end test's.
    void OptionsWriteBothOnOkAndExplainOnF1() {
        utilcpp::CParseini settings(settingsFile_);
        qtui::OptionsSheet sheet(nullptr, settings);
        QCOMPARE(sheet.ComputerNameField()->text(), QString("test-pc"));
        QVERIFY(sheet.SoundBox()->isChecked());  // "sound" defaults to on
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        sheet.ComputerNameField()->setFocus();
        QTest::keyClick(&sheet, Qt::Key_F1);
        const QWidgetList shown = QApplication::topLevelWidgets();
        QVERIFY(std::any_of(shown.begin(), shown.end(), [](QWidget* widget) {
            return widget->isVisible() && widget->inherits("QWhatsThat");
        }));
        sheet.ComputerNameField()->clear();  // an empty name is written as it is
        sheet.SoundBox()->setChecked(false);
        QCOMPARE(sheet.DownloadLimitBox()->value(), 0);  // no limit unless asked for
        sheet.DownloadLimitBox()->setValue(250);
        sheet.accept();
        QCOMPARE(Section("global"),
                 (Lines{"hostname=", "sound=0", "webview=0", "downloadlimit=250"}));
    }

    void OptionsSwitchTheWebViewAndRevokeABrowser() {
        const std::string token(48, 'a');
        std::ofstream(settingsFile_) << "[global]\nhostname=test-pc\nsound=1\nwebview=1\n"
                                     << "[webbrowsers]\n"
                                     << token << "=10.0.0.7 Firefox on Android\n";
        utilcpp::CParseini settings(settingsFile_);
        qtui::OptionsSheet sheet(nullptr, settings);
        QVERIFY(sheet.WebViewBox()->isChecked());
        if (sheet.QrCode() != nullptr) {
            // A square of whole modules with its quiet zone, black on white.
            const QImage code = sheet.QrCode()->pixmap().toImage();
            QCOMPARE(code.width(), code.height());
            QVERIFY(code.width() >= (21 + 8) * 4 && code.width() % 4 == 0);
            QCOMPARE(QColor(code.pixel(0, 0)), QColor(Qt::white));
            QCOMPARE(QColor(code.pixel(16, 16)), QColor(Qt::black));  // the finder's corner
        }
        const QList<QLabel*> labels = sheet.findChildren<QLabel*>();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
            return label->text() == "Firefox on Android (10.0.0.7)";
        }));
        QPushButton* revoke = nullptr;
        for (QPushButton* button : sheet.findChildren<QPushButton*>()) {
            if (button->text() == "Revoke") revoke = button;
        }
        QVERIFY(revoke != nullptr);
        revoke->click();
        // Revoked at once, whatever the sheet's end: the browser's cookie no longer lets it in.
        QCOMPARE(Section("webbrowsers"), Lines{});
        const auto shows = [&sheet](const QString& text) {
            const QList<QLabel*> shown = sheet.findChildren<QLabel*>();
            return std::any_of(shown.begin(), shown.end(),
                               [&text](QLabel* label) { return label->text() == text; });
        };
        QTRY_VERIFY(shows("No browser has been let in."));
        QVERIFY(!shows("Firefox on Android (10.0.0.7)"));
        sheet.WebViewBox()->setChecked(false);
        sheet.accept();
        QCOMPARE(Section("global"),
                 (Lines{"hostname=test-pc", "sound=1", "webview=0", "downloadlimit=0"}));
    }

private:
    static void Next(QWizard& wizard) {
        QAbstractButton* next = wizard.button(QWizard::NextButton);
        QVERIFY(next->isEnabled());
        next->click();
    }
    static bool NextEnabled(QWizard& wizard) {
        return wizard.button(QWizard::NextButton)->isEnabled();
    }

    Lines Section(const char* name) const {
        Lines lines;
        utilcpp::CParseini(settingsFile_).GetSection(name, lines);
        return lines;
    }

    std::unique_ptr<QTemporaryDir> folder_;
    std::string settingsFile_;
    QString music_;
    QString file_;
};

}  // namespace

int RunDialogTests(int argc, char** argv) {
    DialogsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "dialogs_test.moc"
