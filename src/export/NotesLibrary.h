#pragma once

#include "export/NotesScripting.h"
#include "platform/Error.h"
#include "platform/SafeFile.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <memory>
#include <vector>

// A Notes library kept in a folder: "library.json" plus the attachment
// files it names. The whole description is checked when it is loaded, so
// the export never meets a dangling reference or a folder inside itself.
class NotesLibrary {
public:
    struct Attachment {
        QString id;
        QString name;
        std::optional<QString> url;
        std::optional<QDateTime> creationDate;
        std::optional<QDateTime> modificationDate;
        QString filePath; // absolute, inside the library folder; empty when there is none
    };
    struct Note {
        QString id;
        QString name;
        QString body;
        QString bodyFilePath; // absolute, inside the library folder; read on request instead of `body`
        bool passwordProtected = false;
        std::optional<QDateTime> creationDate;
        std::optional<QDateTime> modificationDate;
        std::vector<int> attachments;
    };
    struct Folder {
        QString id;
        QString name;
        std::vector<int> folders;
        std::vector<int> notes;
    };
    struct Account {
        QString id;
        QString name;
        std::vector<int> folders;
    };

    static constexpr const char* kDescriptionFileName = "library.json";
    static constexpr const char* kErrorDomain = "NotesLibraryErrorDomain";
    enum ErrorCode { ErrorUnreadable = 1, ErrorMalformed = 2 };
    // The most this program reads of each file of a library.
    static constexpr qint64 kMaxDescriptionBytes = qint64(256) << 20;
    static constexpr qint64 kMaxBodyBytes = qint64(64) << 20;
    static constexpr qint64 kMaxAttachmentBytes = qint64(4) << 30;

    // Loads `folderPath`/library.json; nothing at all is written.
    static std::shared_ptr<const NotesLibrary> load(const QString& folderPath, platform::Error* error);
    // Reads a description given as JSON text; attachment files are looked
    // up relative to `folderPath`.
    static std::shared_ptr<const NotesLibrary> fromJSON(const QByteArray& json, const QString& folderPath,
                                                        platform::Error* error);

    const QString& folderPath() const { return m_folderPath; }
    const std::vector<Account>& accounts() const { return m_accounts; }
    const std::vector<Folder>& folders() const { return m_folders; }
    const std::vector<Note>& notes() const { return m_notes; }
    const std::vector<Attachment>& attachments() const { return m_attachments; }

    // The note's HTML: `body`, or the contents of its body file, read now so
    // that bodies are not kept in memory. False when the file cannot be read.
    bool readBody(const Note& note, QString& body, platform::Error* error) const;
    // The same as UTF-8, byte for byte what readBody() would give encoded:
    // a body file's bytes as they are when they are valid UTF-8 (less a
    // leading byte-order mark), else re-encoded after decoding.
    bool readBodyUTF8(const Note& note, QByteArray& body, platform::Error* error) const;
    // Whether the note has a body, told without reading it: a body file
    // that is there, is a regular file and is not empty.
    bool hasBody(const Note& note) const;
    // Opens `path`, a file inside the library folder, for reading; see
    // platform::safefile::openBeneath().
    platform::safefile::Descriptor openFile(const QString& path, platform::Error* error, qint64* size = nullptr) const;
    // False, with an error, when a library loaded from disk no longer has
    // its folder where it was loaded from (moved, deleted or replaced).
    bool folderIsInPlace(platform::Error* error) const;

    // hasBody() for every note with a body file, from the last note back,
    // until `stop` is set: run on another thread while the export counts
    // from the first, it halves the opens before the first note is written.
    void lookAheadForBodies(const std::atomic<bool>& stop) const;
    // Whether lookAheadForBodies() is worth a thread.
    bool hasManyBodyFiles() const;

private:
    class Parser;
    // The bytes of the note's body file, bounded.
    bool readBodyFile(const Note& note, QByteArray& body, platform::Error* error) const;
    static std::shared_ptr<NotesLibrary> parsed(QByteArray json, const QString& folderPath,
                                                platform::Error* error);
    struct FolderIdentity {
        quint64 device;
        quint64 inode;
    };
    std::optional<FolderIdentity> m_folderIdentity; // set by load() only
    // The folder, open from load() on, so each body file is one open.
    platform::safefile::Descriptor m_folder;
    QString m_folderPath;
    std::vector<Account> m_accounts;
    std::vector<Folder> m_folders;
    std::vector<Note> m_notes;
    std::vector<Attachment> m_attachments;
    // hasBody() per note once it was asked (0 not yet, 1 no, 2 yes): the
    // outline asks again for each folder above a note, and each answer is
    // an open of the body file.
    mutable std::unique_ptr<std::atomic<qint8>[]> m_bodyPresence;
};

// Serves a NotesLibrary through the scripting interface.
class LibraryNotesApplication final : public NotesApplication {
public:
    static std::shared_ptr<LibraryNotesApplication> make(std::shared_ptr<const NotesLibrary> library);

    QList<std::shared_ptr<NotesAccount>> accounts() override;
    bool isReachable(platform::Error* error) override;
    std::function<void(const std::atomic<bool>&)> countingHelper() override;

private:
    explicit LibraryNotesApplication(std::shared_ptr<const NotesLibrary> library);

    std::shared_ptr<const NotesLibrary> m_library;
};
