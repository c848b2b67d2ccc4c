#pragma once

#include "export/NotesScripting.h"
#include "notestore/ContainerFiles.h"
#include "notestore/LockedNotes.h"
#include "notestore/NoteStoreAttachmentRows.h"
#include "notestore/NoteStoreDatabase.h"
#include "notestore.pb.h"
#include "platform/SerialQueue.h"

#include <QHash>
#include <QSet>

#include <QString>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

namespace notestore {

// A Notes database served through the scripting interface: its accounts,
// their user folders (not the trash, smart folders, deleted or untitled
// ones) by name, each folder's notes newest first. The outline is read once
// when the database opens; bodies are read and built when asked for.
class NoteStoreApplication final : public NotesApplication,
                                   public std::enable_shared_from_this<NoteStoreApplication> {
public:
    // Folders nested deeper than this are served as top-level folders, so
    // nothing walking them recurses without end.
    static constexpr int kMaxFolderDepth = 64;

    // Opens the NoteStore.sqlite at `databasePath` (see NoteStoreDatabase::open).
    static std::shared_ptr<NoteStoreApplication> open(const QString& databasePath, platform::Error* error);
    // The same for a container whose files are kept elsewhere (a backup).
    static std::shared_ptr<NoteStoreApplication> open(std::shared_ptr<const ContainerFiles> files,
                                                      platform::Error* error);

    QList<std::shared_ptr<NotesAccount>> accounts() override;
    // How many notes went to "Notes without a folder", when any did.
    QStringList summaryRemarks() override;

    NoteStoreDatabase& database() const { return *m_database; }

    // The outline as read from the database.
    struct Folder {
        FolderRow row;
        int account = -1;
        int parent = -1;          // index into folders(), -1 at top level
        std::vector<int> folders; // direct subfolders, by name
        std::vector<int> notes;   // newest first
    };
    const std::vector<AccountRow>& accountRows() const { return m_accounts; }
    const std::vector<Folder>& folders() const { return m_folders; }
    const std::vector<NoteRow>& notes() const { return m_notes; }
    // Every folder of the account, nested ones too, by name.
    const std::vector<int>& accountFolders(int account) const { return m_accountFolders[size_t(account)]; }

    // The note's HTML body as UTF-8, or empty with `problem` set when the note has
    // content that cannot be read. `attachments`, when given, receives the
    // note's attachments in text order as the scripting interface lists them.
    QByteArray bodyOfNote(const NoteRow& note, QString* problem,
                       QList<std::shared_ptr<NotesAttachment>>* attachments = nullptr);
    // The same for the note at `index` in notes(), as the scripting
    // interface asks for it: the bodies of the next few notes of its folder
    // are then built on a thread of their own, as a walk asks for them next
    // (see NoteBodiesAhead.cpp).
    QByteArray bodyOfNoteAt(int index, QString* problem, QList<std::shared_ptr<NotesAttachment>>* attachments);

    // Passwords for locked notes, each tried on every one; replaces any
    // given before. The export itself never learns of them.
    void setPasswords(PasswordList passwords) { m_lockedKeys.setPasswords(std::move(passwords)); }
    // The locked notes that would be exported, and the hints kept for them.
    int lockedNoteCount() const;
    QStringList passwordHints() const;

private:
    NoteStoreApplication(std::shared_ptr<NoteStoreDatabase> database, std::shared_ptr<const ContainerFiles> files);
    bool load(platform::Error* error);
    void buildOutline();
    // The account "Notes without an account", made when first needed.
    int orphanAccount();
    // The body; with `ahead`, only a body that needs neither keys nor
    // attachments (anything else is std::nullopt), as that is all a thread
    // beside the asking one may build.
    std::optional<QByteArray> buildBody(const NoteRow& note, QString* problem,
                                        QList<std::shared_ptr<NotesAttachment>>* attachments, bool ahead);
    QByteArray lockedBody(const NoteRow& note, const NoteData& data, QString* problem,
                       QList<std::shared_ptr<NotesAttachment>>* attachments);
    // The text as HTML with its attachments drawn in place.
    QByteArray htmlWithAttachments(const NoteRow& note, const pb::NoteText& text, QString* problem,
                                QList<std::shared_ptr<NotesAttachment>>* attachments);

    std::shared_ptr<NoteStoreDatabase> m_database;
    std::shared_ptr<const ContainerFiles> m_files;
    std::vector<AccountRow> m_accounts;
    std::vector<Folder> m_folders;
    std::vector<NoteRow> m_notes;
    std::vector<std::vector<int>> m_accountFolders;
    int m_orphanAccount = -1;
    int m_orphanedNoteCount = 0;
    LockedNoteKeys m_lockedKeys;
    std::optional<NoteAttachmentRowReader> m_attachmentRows;
    QHash<qint64, int> m_folderByKey;
    QHash<QString, int> m_noteByIdentifier;
    QSet<QString> m_servedNotes; // link ids of the notes in the outline

    struct BodyAhead {
        QByteArray html;
        QString problem;
    };
    void buildBodiesAfter(int index);
    std::vector<std::pair<int, int>> m_placeOfNote; // folder and position in it, or -1
    std::mutex m_aheadMutex;
    std::unordered_map<int, std::future<std::optional<BodyAhead>>> m_bodiesAhead;
    // Last, so that it finishes its work before anything it uses goes.
    platform::SerialQueue m_aheadQueue;
};

} // namespace notestore
