// The program's icon: drawn from the SVG compiled into the program at every
// size the desktop asks for, and carried by the main window together with the
// desktop file name that ties the window to the menu entry.

#include "app/AppIcon.h"
#include "app/UFrmMain.h"
#include "base/ProgramFolder.h"
#include "ui/BeatTimer.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

class TestAppIcon : public QObject {
    Q_OBJECT

    // The tile's corners are rounded off; its middle is the opaque battery.
    static void VerifyDrawn(const QImage& image, int size) {
        QCOMPARE(image.size(), QSize(size, size));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
        QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }

private slots:
    void drawnAtEverySize_data() {
        QTest::addColumn<int>("size");
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            QTest::addRow("%d", size) << size;
    }
    void drawnAtEverySize() {
        QFETCH(int, size);
        VerifyDrawn(RenderAppIcon(size), size);
    }

    void mainWindowCarriesTheIconAndTheDesktopName() {
        QTemporaryDir folder;
        SetProgramFolder(folder.path().toStdString());
        SetDesktopIdentity();
        TFrmMain w;
        w.findChild<TBeatTimer*>("Timer1")->Stop();

        const QIcon icon = w.windowIcon();
        QVERIFY(!icon.isNull());
        for (int size : {16, 32, 48, 256}) {
            QVERIFY(icon.availableSizes().contains(QSize(size, size)));
            VerifyDrawn(icon.pixmap(size).toImage(), size);
        }
        QCOMPARE(QGuiApplication::desktopFileName(), QString("com.pelmora.Desk"));
    }
};

QTEST_MAIN(TestAppIcon)
#include "test_appicon.moc"
