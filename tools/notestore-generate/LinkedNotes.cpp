#include "notestore-generate/LinkedNotes.h"

#include "notestore-generate/NoteEncryption.h"

namespace notestoregen {

namespace {

const QString kCloudID = QStringLiteral("6E1D2C3B-0000-4000-8000-00000000C10D");
const QString kIndex = QStringLiteral("1D0F5A57-1111-4111-8111-000000000001");
const QString kMeetingNew = QStringLiteral("1D0F5A57-2222-4222-8222-000000000002");
const QString kMeetingOld = QStringLiteral("1D0F5A57-3333-4333-8333-000000000003");
const QString kPlan = QStringLiteral("1D0F5A57-4444-4444-8444-000000000004");
const QString kTrip = QStringLiteral("1D0F5A57-5555-4555-8555-000000000005");
const QString kTrashed = QStringLiteral("1D0F5A57-6666-4666-8666-000000000006");
const QString kLocked = QStringLiteral("1D0F5A57-7777-4777-8777-000000000007");
const QString kElsewhere = QStringLiteral("1D0F5A57-8888-4888-8888-000000000008"); // in no database here

TextRun inlineRun(const QString& identifier, const QString& type)
{
    return TextRun(QString(QChar(0xFFFC))).withAttachment(identifier, type);
}

} // namespace

QString noteAddress(const QString& identifier)
{
    return QStringLiteral("applenotes:note/") + identifier.toLower();
}

void addInlineAttachment(Container& container, int note, const QString& identifier, const QString& type,
                         const QString& altText, const QString& token)
{
    const QString typeColumn = versionHasColumn(container.version, QStringLiteral("ZTYPEUTI1"))
                                   ? QStringLiteral("ZTYPEUTI1")
                                   : QStringLiteral("ZTYPEUTI");
    QVariantMap columns{{typeColumn, type}, {QStringLiteral("ZALTTEXT"), altText}};
    if (!token.isEmpty())
        columns.insert(QStringLiteral("ZTOKENCONTENTIDENTIFIER"), token);
    container.objects.push_back(
        ObjectRow{QStringLiteral("ICInlineAttachment"), identifier, columns, {{QStringLiteral("ZNOTE1"), note}}, {}});
}

Container linkedNotesContainer()
{
    Container c;
    c.version = SchemaVersion::iOS18;
    const int cloud = c.addAccount(QStringLiteral("iCloud"), kCloudID);
    const int local = c.addAccount(QStringLiteral("On My Mac"), QStringLiteral("LocalAccount"));
    const int notes = c.addFolder(QStringLiteral("Notes"), cloud);
    const int work = c.addFolder(QStringLiteral("Work"), cloud);
    const int projects = c.addFolder(QStringLiteral("Projects #1"), cloud, work);
    const int trash = c.addFolder(QStringLiteral("Recently Deleted"), cloud);
    c.folders[size_t(trash)].folderType = 1;
    const int travel = c.addFolder(QStringLiteral("Travel & Plans 100%"), local);

    using R = TextRun;
    const auto add = [&](const QString& identifier, const QString& title, int folder, std::vector<TextRun> runs,
                         int day) {
        runs.insert(runs.begin(), R(title + u'\n', 0));
        const int note = c.addNote(title, folder, styledText(runs), appleTime(2025, 1, day));
        c.notes[size_t(note)].identifier = identifier;
        return note;
    };

    const int index = add(kIndex, QStringLiteral("Index"), notes,
                          {R(QStringLiteral("The later meeting: ")), inlineRun(QStringLiteral("L-MEET-OLD"), kNoteLinkType),
                           R(QStringLiteral(", the first one: ")),
                           R(QStringLiteral("its notes")).withLink(noteAddress(kMeetingNew) + QStringLiteral("?ownerIdentifier=_a1b2")),
                           R(QStringLiteral("\nPlan: ")), inlineRun(QStringLiteral("L-PLAN"), kNoteLinkType),
                           R(QStringLiteral("\nTrip: ")), inlineRun(QStringLiteral("L-TRIP"), kNoteLinkType),
                           R(QStringLiteral("\nGone: ")), inlineRun(QStringLiteral("L-TRASHED"), kNoteLinkType),
                           R(QStringLiteral(" and ")), R(QStringLiteral("the draft")).withLink(noteAddress(kTrashed)),
                           R(QStringLiteral("\nLocked: ")), inlineRun(QStringLiteral("L-LOCKED"), kNoteLinkType),
                           R(QStringLiteral("\nShared: ")), inlineRun(QStringLiteral("L-ELSEWHERE"), kNoteLinkType),
                           R(QStringLiteral("\nSum: 40 + 2 ")), inlineRun(QStringLiteral("M-RESULT"), kCalculateResultType),
                           R(QStringLiteral("\nGraph: ")), inlineRun(QStringLiteral("M-GRAPH"), kGraphExpressionType),
                           R(QStringLiteral(" drawn"))},
                          20);
    addInlineAttachment(c, index, QStringLiteral("L-MEET-OLD"), kNoteLinkType, QStringLiteral("Meeting"),
                        noteAddress(kMeetingOld));
    addInlineAttachment(c, index, QStringLiteral("L-PLAN"), kNoteLinkType, QString(), noteAddress(kPlan)); // title from the target
    addInlineAttachment(c, index, QStringLiteral("L-TRIP"), kNoteLinkType, QStringLiteral("Café trip"), noteAddress(kTrip));
    addInlineAttachment(c, index, QStringLiteral("L-TRASHED"), kNoteLinkType, QStringLiteral("Old draft"),
                        noteAddress(kTrashed));
    addInlineAttachment(c, index, QStringLiteral("L-LOCKED"), kNoteLinkType, QStringLiteral("Secret"), noteAddress(kLocked));
    addInlineAttachment(c, index, QStringLiteral("L-ELSEWHERE"), kNoteLinkType, QStringLiteral("Shared note"),
                        noteAddress(kElsewhere) + QStringLiteral("?ownerIdentifier=_ff00"));
    addInlineAttachment(c, index, QStringLiteral("M-RESULT"), kCalculateResultType, QStringLiteral("= 42"));
    addInlineAttachment(c, index, QStringLiteral("M-GRAPH"), kGraphExpressionType, QStringLiteral("y = 2x + 1"));

    // Two notes of one title: the newer is "Meeting", the older "Meeting 1".
    add(kMeetingNew, QStringLiteral("Meeting"), work,
        {R(QStringLiteral("Back to ")), R(QStringLiteral("the index")).withLink(noteAddress(kIndex).toUpper())}, 19);
    const int older = add(kMeetingOld, QStringLiteral("Meeting"), work,
                          {R(QStringLiteral("Same title, see ")), inlineRun(QStringLiteral("L-SELF"), kNoteLinkType)}, 3);
    addInlineAttachment(c, older, QStringLiteral("L-SELF"), kNoteLinkType, QStringLiteral("this note"),
                        noteAddress(kMeetingOld));

    // A file attachment makes this note an ".rtfd" package.
    const int plan = add(kPlan, QStringLiteral("Plan"), projects,
                         {R(QStringLiteral("Agenda ")), inlineRun(QStringLiteral("A-PDF"), QStringLiteral("com.adobe.pdf")),
                          R(QStringLiteral(" from ")), inlineRun(QStringLiteral("L-INDEX"), kNoteLinkType),
                          R(QStringLiteral(", not ")), inlineRun(QStringLiteral("L-GONE"), kNoteLinkType)},
                         10);
    addInlineAttachment(c, plan, QStringLiteral("L-INDEX"), kNoteLinkType, QStringLiteral("Index"), noteAddress(kIndex));
    addInlineAttachment(c, plan, QStringLiteral("L-GONE"), kNoteLinkType, QStringLiteral("Old draft"), noteAddress(kTrashed));
    c.objects.push_back(ObjectRow{QStringLiteral("ICMedia"), QStringLiteral("MEDIA-PDF"),
                                  {{QStringLiteral("ZFILENAME"), QStringLiteral("Agenda.pdf")}}, {}, {}});
    c.objects.push_back(ObjectRow{QStringLiteral("ICAttachment"), QStringLiteral("A-PDF"),
                                  {{QStringLiteral("ZTYPEUTI"), QStringLiteral("com.adobe.pdf")}},
                                  {{QStringLiteral("ZNOTE"), plan}},
                                  {{QStringLiteral("ZMEDIA"), int(c.objects.size()) - 1}}});
    c.files.push_back({QStringLiteral("Accounts/%1/Media/MEDIA-PDF/Agenda.pdf").arg(kCloudID),
                       QByteArray("%PDF-1.4\n%%EOF\n")});

    // In another account, linking back by an address in upper case.
    add(kTrip, QStringLiteral("Café trip"), travel,
        {R(QStringLiteral("Discussed at ")), R(QStringLiteral("the meeting")).withLink(noteAddress(kMeetingNew).toUpper())},
        12);

    add(kTrashed, QStringLiteral("Old draft"), trash, {R(QStringLiteral("Gone."))}, 2);
    const int locked = add(kLocked, QStringLiteral("Secret"), notes, {R(QStringLiteral("Hidden."))}, 4);
    Note& secret = c.notes[size_t(locked)];
    const testsupport::LockedItem item = testsupport::lockWithPassword(gzippedBody(secret.text), "linked");
    secret.passwordProtected = true;
    secret.crypto = NoteCrypto{item.salt, item.iterations, item.wrappedKey, item.iv, item.tag};
    secret.data = item.ciphertext;
    return c;
}

} // namespace notestoregen
