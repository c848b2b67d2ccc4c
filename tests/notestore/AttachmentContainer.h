#pragma once

#include "notestore/NoteStoreTestSupport.h"

#include <QList>
#include <QVariantMap>
#include <utility>

namespace testsupport {

inline const QString kAccountID = QStringLiteral("0A0C0F2E-ACCT");
inline const QByteArray kPDF = "%PDF-1.4\n1 0 obj <<>> endobj\n%%EOF\n";

// One container: an account, a folder, and notes whose text names attachments.
class AttachmentContainer {
public:
    AttachmentContainer()
    {
        notestoregen::Account account;
        account.identifier = kAccountID;
        c.accounts.push_back(account);
        folder = c.addFolder(QStringLiteral("Notes"), 0);
    }

    // A note "Title / before ￼ after" naming `identifier` of `type` at ￼.
    int note(const QString& title, const QList<std::pair<QString, QString>>& attachments)
    {
        std::vector<notestoregen::TextRun> runs{notestoregen::TextRun(title + u'\n', 0), notestoregen::TextRun(QStringLiteral("before "))};
        for (const auto& [identifier, type] : attachments) {
            runs.push_back(notestoregen::TextRun(QString(QChar(0xFFFC))).withAttachment(identifier, type));
            runs.push_back(notestoregen::TextRun(QStringLiteral(" ")));
        }
        runs.push_back(notestoregen::TextRun(QStringLiteral("after")));
        return c.addNote(title, folder, notestoregen::styledText(runs), notestoregen::appleTime(2024, 3, 1) + c.notes.size());
    }

    int attachment(int note, const QString& identifier, const QString& type, QVariantMap columns = {})
    {
        columns.insert(QStringLiteral("ZTYPEUTI"), type);
        columns.insert(QStringLiteral("ZCREATIONDATE"), notestoregen::appleTime(2023, 5, 6));
        columns.insert(QStringLiteral("ZMODIFICATIONDATE"), notestoregen::appleTime(2023, 7, 8));
        c.objects.push_back(notestoregen::ObjectRow{QStringLiteral("ICAttachment"), identifier, columns, {{QStringLiteral("ZNOTE"), note}}, {}});
        return int(c.objects.size()) - 1;
    }

    // Its media row, with further `columns`, and the file unless `contents`
    // is null (never downloaded).
    void media(int attachment, const QString& identifier, const QString& filename, const QByteArray& contents,
               QVariantMap columns = {})
    {
        columns.insert(QStringLiteral("ZFILENAME"), filename);
        c.objects.push_back(notestoregen::ObjectRow{QStringLiteral("ICMedia"), identifier, columns, {}, {}});
        c.objects[size_t(attachment)].objectReferences.push_back({QStringLiteral("ZMEDIA"), int(c.objects.size()) - 1});
        if (!contents.isNull())
            file(QStringLiteral("Media/%1/%2").arg(identifier, filename), contents);
    }

    // A file of the account's folder.
    void file(const QString& relative, const QByteArray& contents)
    {
        c.files.push_back({QStringLiteral("Accounts/%1/%2").arg(kAccountID, relative), contents});
    }

    notestoregen::Container c;
    int folder = 0;
};

} // namespace testsupport
