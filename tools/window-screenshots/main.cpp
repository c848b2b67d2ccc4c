// Renders the main window and the progress sheet of a running export into
// PNG files for the documentation, and, when asked, the window asking for
// an encrypted backup's password. Runs without a display:
//   QT_QPA_PLATFORM=offscreen window-screenshots docs/window.png docs/sheet.png [docs/backup.png]
#include "app/gui/AppDelegate.h"
#include "app/gui/BackupPasswordDialog.h"
#include "platform/Progress.h"

#include <QApplication>
#include <QLocale>
#include <QDir>
#include <QLineEdit>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

// Ostrel is "installed" and recent; opening it does nothing.
class QuietWorkspace final : public platform::Workspace {
public:
    QUrl urlForApplication(const QString&) override { return QUrl::fromLocalFile(QStringLiteral("/ostrel.desktop")); }
    QVariantMap bundleInfo(const QUrl&) override
    {
        return {{QStringLiteral("CFBundleShortVersionString"), QStringLiteral("1.10.4")}};
    }
    void openURLs(const QList<QUrl>&, const QUrl&, bool, OpenCompletion) override {}
};

// The window with the sheet drawn over its top edge, where it hangs.
QImage windowWithSheet(QWidget* window, QWidget* sheet)
{
    QImage image = window->grab().toImage();
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor(0, 0, 0, 40));
    const QPixmap sheetImage = sheet->grab();
    const int x = (image.width() - sheetImage.width()) / 2;
    painter.fillRect(QRect(x - 1, 0, sheetImage.width() + 2, sheetImage.height() + 1), QColor(0, 0, 0, 90));
    painter.drawPixmap(x, 0, sheetImage);
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: window-screenshots WINDOW.png SHEET.png [BACKUP-PASSWORD.png]\n");
        return 2;
    }
    // Settings and the import folder go to a scratch place, never the user's.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    QApplication application(argc, argv);
    // The README's pictures are English, whatever the language of the machine.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString windowPath = QString::fromLocal8Bit(argv[1]);
    const QString sheetPath = QString::fromLocal8Bit(argv[2]);
    const QString backupPath = argc == 4 ? QString::fromLocal8Bit(argv[3]) : QString();

    QuietWorkspace workspace;
    AppDelegate delegate(&workspace);
    delegate.setTerminateHandler([] {});
    delegate.window()->show();
    int status = 1;
    bool sheetTaken = false;
    QObject::connect(&delegate, &AppDelegate::notesLibraryOpened, &delegate, [&](bool ok) {
        if (!ok) {
            std::fprintf(stderr, "the sample library did not open\n");
            QCoreApplication::exit(1);
            return;
        }
        if (!delegate.window()->grab().save(windowPath)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(windowPath));
            QCoreApplication::exit(1);
            return;
        }
        delegate.startImport();
        ProgressWindowController* sheet = delegate.progressWindow();
        if (!sheet) {
            QCoreApplication::exit(1);
            return;
        }
        // Taken part-way, while the worker waits for this progress change.
        QObject::connect(sheet->progress().get(), &platform::Progress::changed, sheet, [&, sheet] {
            const auto progress = sheet->progress();
            if (sheetTaken || progress->completedUnitCount() < progress->totalUnitCount() / 3
                || progress->completedUnitCount() < 1)
                return;
            sheetTaken = true;
            status = windowWithSheet(delegate.window(), sheet->window()).save(sheetPath) ? 0 : 1;
            sheet->cancelOperation();
            if (status == 0 && !backupPath.isEmpty()) {
                // What Choose… shows for an encrypted backup, with a password half typed.
                BackupPasswordDialog dialog(QStringLiteral("Ann’s iPhone"), delegate.window());
                dialog.passwordField()->setText(QStringLiteral("correct horse"));
                dialog.adjustSize();
                status = windowWithSheet(delegate.window(), &dialog).save(backupPath) ? 0 : 1;
            }
            QTimer::singleShot(0, [&] { QCoreApplication::exit(status); });
        });
    });
    QTimer::singleShot(0, &delegate, &AppDelegate::applicationDidFinishLaunching);
    return application.exec();
}
