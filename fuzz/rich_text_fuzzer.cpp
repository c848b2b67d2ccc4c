// Feeds arbitrary bytes to the RTF tokenizer and reader.
#include "platform/RichText.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Text layout needs fonts, and fonts need an application object.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));

    // The tokenizer must reach the end, one token at least every byte or so.
    platform::RichTextTokenizer tokenizer(input);
    std::size_t tokens = 0;
    while (!tokenizer.atEnd() && tokenizer.next().type != platform::RichTextToken::End) {
        if (++tokens > size + 1) {
            fprintf(stderr, "rich text fuzzer: the tokenizer stopped moving\n");
            abort();
        }
    }

    QTextDocument document;
    platform::Error error;
    if (!platform::readRichText(input, document, &error) && error.localizedDescription().isEmpty()) {
        fprintf(stderr, "rich text fuzzer: refused without a reason\n");
        abort();
    }
    document.toPlainText();
    return 0;
}
