// A program folder holding the user's files that cannot be written there: the
// user is asked, in the language of those settings, with both folders named,
// and the answer decides the folder and the read-only run.

#include "app/FolderChoice.h"
#include "base/ProgramFolder.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/TempFolder.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTest>

class TestFolderChoice : public QObject {
    Q_OBJECT

    TTempFolder FTemp;
    std::string FStranded = FTemp.Path() + "opt/";
    std::string FData = FTemp.Path() + "data/pelmora-desk/";

private slots:
    void init() {
        SetProgramFolder("");
        SetReadOnlyRun(false);
        std::filesystem::create_directories(FStranded);
    }

    void eachAnswerDecidesTheFolder() {
        struct TCase {
            TFolderAnswer Answer;
            bool Goes;
            std::string Folder;
            bool ReadOnly;
        };
        const TCase cases[] = {
            {TFolderAnswer::UseDataFolder, true, FData, false},
            {TFolderAnswer::ReadOnly, true, FStranded, true},
            {TFolderAnswer::Quit, false, "", false},
        };
        for (const TCase& c : cases) {
            init();
            QString asked;
            const bool goes =
                SettleProgramFolder(FStranded, FData, [&](const QString& text, uint8_t) {
                    asked = text;
                    return c.Answer;
                });
            QCOMPARE(goes, c.Goes);
            QVERIFY2(asked.contains(QString::fromStdString(FStranded)), qPrintable(asked));
            QVERIFY2(asked.contains(QString::fromStdString(FData)), qPrintable(asked));
            if (c.Goes)
                QCOMPARE(ProgramFolder(), c.Folder);
            QCOMPARE(ReadOnlyRun(), c.ReadOnly);
        }
    }

    void nothingLeftBehindAsksNothing() {
        bool asked = false;
        QVERIFY(SettleProgramFolder("", FData, [&](const QString&, uint8_t) {
            asked = true;
            return TFolderAnswer::Quit;
        }));
        QVERIFY(!asked);
    }

    void theBoxSpeaksTheLanguageOfTheSettingsLeftBehind() {
        WriteBytes(FStranded + "UserParaIni.ini", "[Language]\nLanguage=1\n");
        TModalDriver driver;
        QStringList buttons;
        driver.Then([&](QWidget* modal) {
            auto* box = TModalDriver::As<QMessageBox>(modal);
            QVERIFY(box != nullptr);
            QVERIFY(box->text().startsWith("程序文件夹 " + QString::fromStdString(FStranded)));
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text() == "只读运行")
                    b->click();
        });
        QVERIFY(SettleProgramFolder(FStranded, FData, AskFolderInBox));
        QCOMPARE(buttons.size(), 3);
        QVERIFY(buttons.contains("使用数据文件夹") && buttons.contains("退出"));
        QVERIFY(ReadOnlyRun());
        QCOMPARE(ProgramFolder(), FStranded);
    }
};

QTEST_MAIN(TestFolderChoice)
#include "test_folderchoice.moc"
