#include "notestore/NoteStoreSource.h"
#include "platform/LocalizedString.h"

#include "export/NoteLinks.h"
#include "notestore/FolderFiles.h"
#include "notestore/NoteBody.h"
#include "notestore/NoteHTML.h"
#include "notestore/NoteLinkTargets.h"
#include "notestore/NoteStoreAttachment.h"
#include "notestore/NoteStoreAttachmentRows.h"
#include "notestore/NoteTable.h"
#include "notestore/PictureBudget.h"
#include "platform/StringCompare.h"

#include <QFileInfo>
#include <QTimeZone>
#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace notestore {

namespace {

constexpr double kAppleEpochOffset = 978307200.0;
// Bytes of a note body's messages kept on the stack before the arena asks
// for more; a note of a few KB of text fits.
constexpr size_t kArenaFirstBlock = 32 * 1024;

std::optional<QDateTime> dateFromAppleTime(std::optional<double> seconds)
{
    // Years 1 to 9999 either side; anything else is not a date.
    constexpr double kLimit = 3.0e11;
    if (!seconds || !std::isfinite(*seconds) || std::abs(*seconds) > kLimit)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(std::llround((*seconds + kAppleEpochOffset) * 1000.0)),
                                          Qt::UTC);
}

// A row without an identifier still needs an id that stays the same.
QString stableID(const QString& identifier, const char* entity, qint64 pk)
{
    return identifier.isEmpty() ? QStringLiteral("%1/p%2").arg(QLatin1String(entity)).arg(pk) : identifier;
}

bool hasAttachments(const pb::NoteText& text)
{
    return std::any_of(text.run().begin(), text.run().end(), [](const pb::Run& run) { return run.has_attachment(); });
}

class StoreObject {
protected:
    StoreObject(std::shared_ptr<NoteStoreApplication> app, int index) : m_app(std::move(app)), m_index(index) {}
    std::shared_ptr<NoteStoreApplication> m_app;
    int m_index;
};

class StoreNote final : public NotesNote, StoreObject {
public:
    StoreNote(std::shared_ptr<NoteStoreApplication> app, int index) : StoreObject(std::move(app), index) {}
    // Links name notes by identifier, whatever its case.
    QString id() override { return row().identifier.isEmpty() ? QString() : noteLinkID(row().identifier); }
    QString name() override { return row().title; }
    QString body() override { return QString::fromUtf8(bodyUTF8()); }
    // Built as UTF-8, which is what the export writes.
    QByteArray bodyUTF8() override
    {
        m_problem.clear();
        m_attachments.clear();
        m_read = true;
        return m_app->bodyOfNoteAt(m_index, &m_problem, &m_attachments);
    }
    QString bodyProblem() override { return m_problem; }
    // Counting needs no decoding; a locked note only counts when it opens.
    bool hasBody() override
    {
        return row().passwordProtected ? !bodyUTF8().isEmpty() : m_app->database().hasNoteData(row().pk);
    }
    bool passwordProtected() override { return row().passwordProtected; }
    std::optional<QDateTime> creationDate() override { return dateFromAppleTime(row().creationDate); }
    std::optional<QDateTime> modificationDate() override { return dateFromAppleTime(row().modificationDate); }
    // Known once the body is drawn: they are the attachments its text names.
    QList<std::shared_ptr<NotesAttachment>> attachments() override
    {
        if (!m_read)
            bodyUTF8();
        return m_attachments;
    }

private:
    const NoteRow& row() const { return m_app->notes()[size_t(m_index)]; }
    QString m_problem;
    bool m_read = false;
    QList<std::shared_ptr<NotesAttachment>> m_attachments;
};

class StoreFolder final : public NotesFolder, StoreObject {
public:
    StoreFolder(std::shared_ptr<NoteStoreApplication> app, int index) : StoreObject(std::move(app), index) {}
    QString id() override { return stableID(folder().row.identifier, "ICFolder", folder().row.pk); }
    QString name() override { return folder().row.title.value_or(QString()); }
    QList<std::shared_ptr<NotesFolder>> folders() override
    {
        QList<std::shared_ptr<NotesFolder>> list;
        for (const int child : folder().folders)
            list << std::make_shared<StoreFolder>(m_app, child);
        return list;
    }
    QList<std::shared_ptr<NotesNote>> notes() override
    {
        QList<std::shared_ptr<NotesNote>> list;
        for (const int note : folder().notes)
            list << std::make_shared<StoreNote>(m_app, note);
        return list;
    }

private:
    const NoteStoreApplication::Folder& folder() const { return m_app->folders()[size_t(m_index)]; }
};

class StoreAccount final : public NotesAccount, StoreObject {
public:
    StoreAccount(std::shared_ptr<NoteStoreApplication> app, int index) : StoreObject(std::move(app), index) {}
    QString id() override
    {
        const AccountRow& row = m_app->accountRows()[size_t(m_index)];
        return stableID(row.identifier, "ICAccount", row.pk);
    }
    QString name() override { return m_app->accountRows()[size_t(m_index)].name; }
    QList<std::shared_ptr<NotesFolder>> folders() override
    {
        QList<std::shared_ptr<NotesFolder>> list;
        for (const int folder : m_app->accountFolders(m_index))
            list << std::make_shared<StoreFolder>(m_app, folder);
        return list;
    }
};

} // namespace

NoteStoreApplication::NoteStoreApplication(std::shared_ptr<NoteStoreDatabase> database,
                                           std::shared_ptr<const ContainerFiles> files)
    : m_database(std::move(database)), m_files(std::move(files))
{
}

std::shared_ptr<NoteStoreApplication> NoteStoreApplication::open(const QString& databasePath, platform::Error* error)
{
    return open(std::make_shared<FolderFiles>(databasePath), error);
}

std::shared_ptr<NoteStoreApplication> NoteStoreApplication::open(std::shared_ptr<const ContainerFiles> files,
                                                                 platform::Error* error)
{
    auto database = NoteStoreDatabase::open(*files, error);
    if (!database)
        return nullptr;
    std::shared_ptr<NoteStoreApplication> app(new NoteStoreApplication(std::move(database), std::move(files)));
    if (!app->load(error))
        return nullptr;
    return app;
}

bool NoteStoreApplication::load(platform::Error* error)
{
    std::vector<FolderRow> folders;
    if (!m_database->readAccounts(m_accounts, error) || !m_database->readFolders(folders, error) ||
        !m_database->readNotes(m_notes, error))
        return false;
    m_attachmentRows.emplace(*m_database);
    m_folders.reserve(folders.size());
    for (FolderRow& row : folders) {
        Folder folder;
        folder.row = std::move(row);
        m_folders.push_back(std::move(folder));
    }
    // Before the outline adds folders of its own, which no note row names.
    for (size_t i = 0; i < m_folders.size(); ++i)
        m_folderByKey.insert(m_folders[i].row.pk, int(i));
    buildOutline();
    for (size_t i = 0; i < m_notes.size(); ++i) {
        if (!m_notes[i].identifier.isEmpty() && !m_notes[i].markedForDeletion)
            m_noteByIdentifier.insert(noteLinkID(m_notes[i].identifier), int(i));
    }
    m_placeOfNote.assign(m_notes.size(), {-1, -1});
    for (size_t folder = 0; folder < m_folders.size(); ++folder) {
        const std::vector<int>& notes = m_folders[folder].notes;
        for (size_t position = 0; position < notes.size(); ++position) {
            const int note = notes[position];
            m_placeOfNote[size_t(note)] = {int(folder), int(position)};
            if (!m_notes[size_t(note)].identifier.isEmpty())
                m_servedNotes.insert(noteLinkID(m_notes[size_t(note)].identifier));
        }
    }
    return true;
}

void NoteStoreApplication::buildOutline()
{
    std::unordered_map<qint64, int> accountByKey;
    for (size_t i = 0; i < m_accounts.size(); ++i)
        accountByKey.emplace(m_accounts[i].pk, int(i));
    std::unordered_map<qint64, int> folderByKey;
    for (size_t i = 0; i < m_folders.size(); ++i)
        folderByKey.emplace(m_folders[i].row.pk, int(i));
    const int count = int(m_folders.size());
    auto rawParent = [&](int index) {
        const auto& parent = m_folders[size_t(index)].row.parent;
        const auto it = parent ? folderByKey.find(*parent) : folderByKey.end();
        return it == folderByKey.end() || it->second == index ? -1 : it->second;
    };
    // Trash and deleted folders take everything beneath them along.
    auto removed = [&](int index) {
        const FolderRow& row = m_folders[size_t(index)].row;
        return row.folderType == 1 || row.markedForDeletion;
    };
    // Smart folders and folders without a title are not shown themselves,
    // but what is beneath them is.
    auto hidden = [&](int index) {
        const FolderRow& row = m_folders[size_t(index)].row;
        return row.folderType == 3 || !row.title || row.title->isEmpty();
    };
    // A folder whose account is missing still has notes: it goes to an
    // account of its own rather than out of the export, made once needed.
    constexpr int kNoAccount = -2;
    for (int i = 0; i < count; ++i) {
        const auto& owner = m_folders[size_t(i)].row.owner;
        const auto account = owner ? accountByKey.find(*owner) : accountByKey.end();
        m_folders[size_t(i)].account = account != accountByKey.end() ? account->second : kNoAccount;
    }
    const auto accountOf = [&](int folder) {
        int& account = m_folders[size_t(folder)].account;
        if (account == kNoAccount)
            account = orphanAccount();
        return account;
    };
    std::vector<bool> shown(size_t(count), false);
    std::vector<bool> withdrawn(size_t(count), false); // in the trash or deleted, itself or above
    for (int i = 0; i < count; ++i) {
        Folder& folder = m_folders[size_t(i)];
        if (removed(i)) {
            withdrawn[size_t(i)] = true;
            continue;
        }
        // Bounded walk up: a damaged database may loop.
        bool gone = false;
        int effective = -1;
        int at = rawParent(i);
        for (int steps = 0; at >= 0 && steps <= count && steps <= kMaxFolderDepth; ++steps) {
            if (at == i || removed(at)) {
                gone = removed(at);
                break;
            }
            if (effective < 0 && !hidden(at))
                effective = at;
            at = rawParent(at);
        }
        withdrawn[size_t(i)] = gone;
        if (gone || hidden(i))
            continue;
        // A parent in another account is no parent here.
        if (effective >= 0 && m_folders[size_t(effective)].account != folder.account)
            effective = -1;
        folder.parent = effective;
        shown[size_t(i)] = true;
    }
    for (int i = 0; i < count; ++i) {
        if (shown[size_t(i)])
            accountOf(i);
    }
    // Break what still loops or nests too deep by making that folder top-level.
    for (int i = 0; i < count; ++i) {
        if (!shown[size_t(i)])
            continue;
        int depth = 0;
        for (int at = m_folders[size_t(i)].parent; at >= 0; at = m_folders[size_t(at)].parent) {
            if (at == i || !shown[size_t(at)] || ++depth >= kMaxFolderDepth) {
                m_folders[size_t(i)].parent = -1;
                break;
            }
        }
    }

    // Notes go to their folder; a note that is not deleted but whose folder
    // cannot be found, or is no folder to show, goes to the "Notes without
    // a folder" of its folder's account, else of the account without one.
    std::map<int, std::vector<int>> orphansByAccount;
    for (size_t n = 0; n < m_notes.size(); ++n) {
        const NoteRow& note = m_notes[n];
        if (note.markedForDeletion)
            continue;
        const auto folder = note.folder ? folderByKey.find(*note.folder) : folderByKey.end();
        if (folder == folderByKey.end()) {
            orphansByAccount[orphanAccount()].push_back(int(n));
        } else if (shown[size_t(folder->second)]) {
            m_folders[size_t(folder->second)].notes.push_back(int(n));
        } else if (!withdrawn[size_t(folder->second)]) {
            orphansByAccount[accountOf(folder->second)].push_back(int(n));
        }
    }
    for (auto& [account, notes] : orphansByAccount) {
        Folder orphans;
        orphans.row.title = platform::localizedString("Notes without a folder");
        orphans.row.identifier = QStringLiteral("NotesWithoutAFolder-%1").arg(account);
        orphans.account = account;
        orphans.notes = std::move(notes);
        m_orphanedNoteCount += int(orphans.notes.size());
        m_folders.push_back(std::move(orphans));
        shown.push_back(true);
    }

    auto byName = [this](int a, int b) {
        const int order = platform::localizedStandardCompare(*m_folders[size_t(a)].row.title,
                                                              *m_folders[size_t(b)].row.title);
        return order != 0 ? order < 0 : a < b;
    };
    m_accountFolders.assign(m_accounts.size(), {});
    for (int i = 0; i < int(m_folders.size()); ++i) {
        if (!shown[size_t(i)])
            continue;
        m_accountFolders[size_t(m_folders[size_t(i)].account)].push_back(i);
        if (m_folders[size_t(i)].parent >= 0)
            m_folders[size_t(m_folders[size_t(i)].parent)].folders.push_back(i);
    }
    for (auto& list : m_accountFolders)
        std::sort(list.begin(), list.end(), byName);
    for (Folder& folder : m_folders)
        std::sort(folder.folders.begin(), folder.folders.end(), byName);

    auto newestFirst = [this](int a, int b) {
        const NoteRow& left = m_notes[size_t(a)];
        const NoteRow& right = m_notes[size_t(b)];
        const double leftDate = left.modificationDate.value_or(-INFINITY);
        const double rightDate = right.modificationDate.value_or(-INFINITY);
        if (leftDate != rightDate && !std::isnan(leftDate) && !std::isnan(rightDate))
            return leftDate > rightDate;
        return left.pk < right.pk;
    };
    for (Folder& folder : m_folders)
        std::stable_sort(folder.notes.begin(), folder.notes.end(), newestFirst);
}

int NoteStoreApplication::orphanAccount()
{
    if (m_orphanAccount < 0) {
        m_orphanAccount = int(m_accounts.size());
        m_accounts.push_back({0, platform::localizedString("Notes without an account"), QStringLiteral("NotesWithoutAnAccount")});
    }
    return m_orphanAccount;
}

QStringList NoteStoreApplication::summaryRemarks()
{
    if (m_orphanedNoteCount == 0)
        return {};
    return {platform::localizedString("Notes whose folder could not be found, exported into “Notes without a folder”: %1.")
                .arg(m_orphanedNoteCount)};
}

QList<std::shared_ptr<NotesAccount>> NoteStoreApplication::accounts()
{
    QList<std::shared_ptr<NotesAccount>> list;
    for (size_t i = 0; i < m_accounts.size(); ++i)
        list << std::make_shared<StoreAccount>(shared_from_this(), int(i));
    return list;
}

QByteArray NoteStoreApplication::bodyOfNote(const NoteRow& note, QString* problem,
                                        QList<std::shared_ptr<NotesAttachment>>* attachments)
{
    return *buildBody(note, problem, attachments, false);
}

std::optional<QByteArray> NoteStoreApplication::buildBody(const NoteRow& note, QString* problem,
                                                          QList<std::shared_ptr<NotesAttachment>>* attachments,
                                                          bool ahead)
{
    if (ahead && note.passwordProtected)
        return std::nullopt;
    QString reason;
    const auto data = m_database->readNoteData(note.pk, &reason);
    if (!data) {
        *problem = reason;
        return QByteArray();
    }
    if (note.passwordProtected)
        return lockedBody(note, *data, problem, attachments);
    if (data->data.isEmpty())
        return QByteArray();
    // Room for a typical body's messages up front.
    alignas(std::max_align_t) char firstBlock[kArenaFirstBlock];
    google::protobuf::ArenaOptions options;
    options.initial_block = firstBlock;
    options.initial_block_size = sizeof firstBlock;
    google::protobuf::Arena arena(options);
    const pb::NoteText* text = decodeNoteBody(data->data, arena, &reason);
    if (!text) {
        *problem = platform::localizedString("its body cannot be read (%1)").arg(reason);
        return QByteArray();
    }
    if (ahead && hasAttachments(*text))
        return std::nullopt;
    return htmlWithAttachments(note, *text, problem, attachments);
}

QByteArray NoteStoreApplication::htmlWithAttachments(const NoteRow& note, const pb::NoteText& text, QString* problem,
                                                  QList<std::shared_ptr<NotesAttachment>>* attachments)
{
    QHash<QString, AttachmentRow> rows;
    QHash<QString, InlineAttachmentRow> tokens;
    QString reason;
    // Attachments are only ever reached from the body's runs: most notes
    // have none, and need not look for their rows.
    if (hasAttachments(text) && !m_attachmentRows->read(*m_database, note.pk, rows, tokens, &reason)) {
        *problem = reason;
        return {};
    }
    MediaPlace place;
    place.containerRoot = m_files->root();
    place.files = m_files;
    if (const auto folder = note.folder ? m_folderByKey.constFind(*note.folder) : m_folderByKey.constEnd();
        folder != m_folderByKey.constEnd() && m_folders[size_t(*folder)].account >= 0)
        place.accountIdentifier = m_accounts[size_t(m_folders[size_t(*folder)].account)].identifier;
    // Media files may be locked even where the note is not; the passwords
    // stay here, the attachments only get a way to ask for a key.
    place.lockedNote = note.passwordProtected;
    place.mediaKey = [weak = weak_from_this()](qint64 mediaPK, const LockedKeyParameters& key, Secret& out,
                                               QString* why) {
        const auto app = weak.lock();
        if (!app) {
            *why = platform::localizedString(kNoPasswordGiven);
            return CryptoOutcome::NoPassword;
        }
        return app->m_lockedKeys.itemKey(mediaPK, key, out, why);
    };
    const auto table = [](const QByteArray& data, AttachmentRenderer& cells, int depth, QString* why) {
        const std::optional<Table> decoded = decodeTable(data, why);
        return decoded ? htmlForTable(*decoded, &cells, depth) : QString();
    };
    const auto title = [this](const QString& identifier) {
        const auto found = m_noteByIdentifier.constFind(identifier);
        return found == m_noteByIdentifier.constEnd() ? QString() : m_notes[size_t(*found)].title;
    };
    // A note whose pictures exceed the budget shows them all as files.
    auto budget = std::make_shared<PictureBudget>(kMaxPictureBytesInBody);
    if (pictureBytesShown(text, rows, place, kMaxPictureBytesInBody) > kMaxPictureBytesInBody)
        budget->refuseAll();
    NoteAttachmentRenderer renderer(std::move(place), std::move(rows), std::move(tokens), table, title);
    renderer.setPictureBudget(std::move(budget));
    QByteArray html = htmlForNote(text, &renderer);
    // Notes in the trash or in no folder served here are never exported:
    // links to them are text at once, and the note need not wait.
    if (NoteLinkTable::holdsNoteLinks(html))
        html = withoutNoteLinks(QString::fromUtf8(html), [this](const QString& id) { return m_servedNotes.contains(id); })
                   .toUtf8();
    if (attachments)
        *attachments = scriptingAttachments(renderer);
    return html;
}

QByteArray NoteStoreApplication::lockedBody(const NoteRow& note, const NoteData& data, QString* problem,
                                         QList<std::shared_ptr<NotesAttachment>>* attachments)
{
    const auto gzipped = m_lockedKeys.open(note.pk, {note.cryptoSalt, note.cryptoIterations, note.cryptoWrappedKey},
                                           data.data, {data.cryptoIV, data.cryptoTag}, problem);
    if (!gzipped)
        return {};
    QString reason;
    google::protobuf::Arena arena;
    const pb::NoteText* text = decodeNoteBody(*gzipped, arena, &reason);
    if (!text) {
        *problem = platform::localizedString("its body cannot be read (%1)").arg(reason);
        return {};
    }
    return htmlWithAttachments(note, *text, problem, attachments);
}

int NoteStoreApplication::lockedNoteCount() const
{
    int count = 0;
    for (const Folder& folder : m_folders)
        for (const int note : folder.notes)
            count += m_notes[size_t(note)].passwordProtected ? 1 : 0;
    return count;
}

QStringList NoteStoreApplication::passwordHints() const
{
    QStringList hints;
    for (const Folder& folder : m_folders)
        for (const int note : folder.notes) {
            const NoteRow& row = m_notes[size_t(note)];
            if (row.passwordProtected && !row.passwordHint.trimmed().isEmpty()
                && !hints.contains(row.passwordHint.trimmed()))
                hints.append(row.passwordHint.trimmed());
        }
    return hints;
}

} // namespace notestore
