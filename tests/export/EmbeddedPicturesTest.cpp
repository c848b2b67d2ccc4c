#include "export/EmbeddedPictures.h"
#include "support/TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

QByteArray bytesOf(int size, int seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed) >> 2);
    return bytes;
}

QString dataURL(const QByteArray& bytes, const char* type = "image/png")
{
    return QStringLiteral("data:%1;base64,").arg(QLatin1String(type)) + QString::fromLatin1(bytes.toBase64());
}

TEST(EmbeddedPictures, BecomeFilesShownByContentIDOrAnErrorNamingTheFile)
{
    const QByteArray small = bytesOf(100, 1);
    const QByteArray large = bytesOf(700 * 1024, 2); // more than one piece
    QString wrapped = QString::fromLatin1(small.toBase64());
    for (qsizetype at = 76; at < wrapped.size(); at += 78)
        wrapped.insert(at, QStringLiteral("\r\n"));
    const struct {
        QString fragment;
        QString expected;           // the fragment afterwards; unchanged when empty
        QList<QByteArray> pictures; // the files, by content ID order
        const char* error = nullptr; // when the folder is missing: the file the error names
    } cases[] = {
        {QStringLiteral("<p>text</p>"), {}, {}},
        {QStringLiteral("<img src=\"%1\"> and <IMG SRC = \"%2\">").arg(dataURL(small), dataURL(large, "image/jpeg")),
         QStringLiteral("<img src=\"cid:embedded-0\"> and <IMG SRC = \"cid:embedded-1\">"), {small, large}},
        {QStringLiteral("<img alt=x src='data:image/gif;base64,%1'>").arg(wrapped),
         QStringLiteral("<img alt=x src='cid:embedded-0'>"), {small}},
        // Not base64, or no picture: left to the importer, which shows none.
        {QStringLiteral("<img src=\"data:image/png;base64,@@@@\">"), {}, {}},
        {QStringLiteral("<a href=\"data:text/html;base64,PGI+\">x</a>"), {}, {}},
        {QStringLiteral("<img src=\"data:image/png;base64,AAAA"), {}, {}},
        {QStringLiteral("<img src=\"%1\">").arg(dataURL(small)), {}, {}, "missing/embedded-0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment.left(80).toStdString());
        testsupport::TempDir dir;
        QString fragment = c.fragment;
        QHash<QString, platform::TextAttachmentRef> pictures;
        QString error;
        const QString folder = c.error ? dir.filePath(QStringLiteral("missing")) : dir.path();
        ASSERT_EQ(takeOutEmbeddedPictures(fragment, folder, pictures, &error), !c.error) << error.toStdString();
        EXPECT_TRUE(!c.error || error.contains(QLatin1String(c.error))) << error.toStdString();
        EXPECT_EQ(fragment, c.expected.isEmpty() ? c.fragment : c.expected);
        ASSERT_EQ(pictures.size(), c.pictures.size());
        for (qsizetype i = 0; i < pictures.size(); ++i) {
            const auto picture = pictures.value(QStringLiteral("embedded-%1").arg(i));
            ASSERT_TRUE(picture);
            EXPECT_TRUE(picture->fileName.startsWith(QLatin1String("Picture.")));
            EXPECT_EQ(testsupport::readFile(picture->contentsFilePath), c.pictures[i]);
        }
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), pictures.size()); // nothing half-written left
    }
}

} // namespace
