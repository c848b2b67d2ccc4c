// Time to write one note as an ".rtfd" package: the page built, imported as
// styled text, the attachment staged and the package written in place.
#include "export/ExportNoteOperation.h"
#include "export/NotesLibrary.h"
#include "platform/FileURL.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Fixture {
    QTemporaryDir dir;
    std::shared_ptr<LibraryNotesApplication> app;
    std::shared_ptr<NotesNote> note;

    Fixture(const QString& body, qsizetype attachmentBytes)
    {
        QFile file(dir.filePath(QStringLiteral("attachment.pdf")));
        if (file.open(QIODevice::WriteOnly))
            file.write(QByteArray(attachmentBytes, 'x'));
        file.close();
        QString quoted = body;
        quoted.replace(u'"', QStringLiteral("\\\""));
        const QByteArray json = QStringLiteral(R"({"accounts": [{"id": "a", "name": "A", "folders": ["f"]}],
            "folders": [{"id": "f", "name": "F", "notes": ["n"]}],
            "notes": [{"id": "n", "name": "Note", "body": "%1", "attachments": ["pdf"]}],
            "attachments": [{"id": "pdf", "name": "attachment.pdf", "file": "attachment.pdf"}]})")
                                    .arg(quoted)
                                    .toUtf8();
        platform::Error error;
        auto library = NotesLibrary::fromJSON(json, dir.path(), &error);
        if (library) {
            app = LibraryNotesApplication::make(library);
            note = app->accounts().first()->folders().first()->notes().first();
        }
    }
};

void runNote(benchmark::State& state, const QString& body, qsizetype attachmentBytes)
{
    Fixture fixture(body, attachmentBytes);
    if (!fixture.note) {
        state.SkipWithError("the library could not be made");
        return;
    }
    ExportNoteOperation operation;
    const QUrl target = platform::fileurl::fromPath(fixture.dir.filePath(QStringLiteral("Note.rtfd")), true);
    for (auto _ : state) {
        platform::Error error;
        if (!operation.createRichTextFileForNote(*fixture.note, target, &error)) {
            state.SkipWithError(error.localizedDescription().toStdString().c_str());
            return;
        }
    }
    state.SetLabel("per RTFD note");
}

void BM_RTFDNoteWithOneMegabyteAttachment(benchmark::State& state)
{
    runNote(state, QStringLiteral("<h1>Report</h1><div>See the attached file.</div>"), 1 << 20);
}
BENCHMARK(BM_RTFDNoteWithOneMegabyteAttachment)->Unit(benchmark::kMillisecond);

void BM_RTFDNoteWith200Paragraphs(benchmark::State& state)
{
    QString body = QStringLiteral("<h1>Long note</h1>");
    for (int i = 0; i < 200; ++i)
        body += QStringLiteral("<div>Paragraph %1 with <b>bold</b>, <i>italic</i> and <tt>code</tt> text.</div>").arg(i);
    runNote(state, body, 1024);
}
BENCHMARK(BM_RTFDNoteWith200Paragraphs)->Unit(benchmark::kMillisecond);

} // namespace

// Styled text needs a GUI application object; it never needs a display.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
